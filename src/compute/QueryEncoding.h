#pragma once
#include <cstdint>
#include <string>

namespace zemra {

// Values travel in a request address as query components, so that a page
// that decodes its query reads exactly the text the user typed: every byte
// other than A-Z, a-z, 0-9 and - . _ ~ becomes %XX with upper-case hex
// digits (a text beyond ASCII is sent as its UTF-8 bytes). A "+" would
// otherwise read as a space, a "#" would cut the address, an "&" or "="
// would start a new key and a "%" would garble what follows it.
//
// Only values are encoded: the key literals ("Secid=", "&StockPrice=" ...),
// the "?" after the page and the ";" between the values of one list are
// written as they stand. Every sender uses these writers.
std::string EncodeQueryValue(const std::string& value);

// A double as plain number text with "." as the decimal sign and no
// grouping, whatever the host's locale (0.5, 100, -10, 1E+20), encoded.
// A value that is not a finite number is never sent: std::domain_error.
std::string QueryNumber(double value);

// A whole number as decimal text.
std::string QueryInteger(int64_t value);

// A text value (curve, maturity, security type, search text ...), encoded.
inline std::string QueryText(const std::string& value) { return EncodeQueryValue(value); }

}  // namespace zemra
