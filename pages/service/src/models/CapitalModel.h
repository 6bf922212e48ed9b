#pragma once
// Capital of a hedged position by rule. Leg values are signed (a short
// stock leg is negative), in the security's currency:
//   convert leg  V_c = convert position x convert price x price factor
//                (price factor: face / 100 for a bond priced in points of
//                face, 1 for a stock)
//   stock leg    V_s = stock position x stock price
// With c = convert rate / 100 and s = stock rate / 100:
//   gross   C = c |V_c| + s |V_s|
//   net     C = c |V_c + V_s| + s min(|V_c|, |V_s|)   (net exposure, plus a
//           charge on the hedged part that offsets itself)
//   larger  C = max(c |V_c|, s |V_s|)
#include <string>

namespace zemra::pages {

struct CapitalLegs {
    double convertValue = 0;
    double stockValue = 0;
    double convertRatePct = 0;
    double stockRatePct = 0;
};

// `method` is one of kCapitalGross, kCapitalNet, kCapitalLarger (book/Book.h);
// any other text counts as gross.
double CapitalByRule(const CapitalLegs& legs, const std::string& method);

}  // namespace zemra::pages
