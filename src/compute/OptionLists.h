#pragma once
// The option lists of the start-up texts: the tuner and call-adjustment
// lists (whole-number codes with names) and the curve list (text codes with
// names), and finding a drop-down entry by its code.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Locale.h"

namespace zemra {

class ComboBox;

// Item i (from 0) of a tuner or call-adjustment list text: its 16-bit code
// and its name. RecordError naming the list and the item when it has no
// name or its code is not a 16-bit whole number.
std::pair<int16_t, std::string> ReadCodeItem(const std::string& list, const std::string& item, std::size_t i,
                                             const Locale& locale);

// The curve list: codes and names, each unique and compared without regard
// to case.
class CurveList {
public:
    // Item i (from 0) of the curve list text; RecordError, with nothing
    // added, when it has no name or its name or code is listed already.
    // Returns the name.
    std::string Add(const std::string& item, std::size_t i);
    std::optional<std::string> CodeOf(const std::string& name) const;
    std::optional<std::string> NameOf(const std::string& code) const;

private:
    std::vector<std::pair<std::string, std::string>> m_items;  // code, name
};

// The text of the first entry of a drop-down whose item data is `code`, or
// the empty text.
std::string EntryText(const ComboBox& combo, long code);

}  // namespace zemra
