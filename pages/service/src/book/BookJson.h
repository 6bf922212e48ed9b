#pragma once
// Reads an import document (JSON) into a Book. Every field is checked; the
// first fault refuses the whole document with the field's path and value
// named, as in "securities[3].coupon: 'abc' is not a number".
#include <stdexcept>
#include <string>

#include "book/Book.h"

namespace zemra::pages {

class BookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Book ReadBook(const std::string& jsonText);

}  // namespace zemra::pages
