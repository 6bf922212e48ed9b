#include "models/CapitalModel.h"

#include <algorithm>
#include <cmath>

#include "book/Book.h"

namespace zemra::pages {

double CapitalByRule(const CapitalLegs& legs, const std::string& method) {
    const double c = legs.convertRatePct / 100;
    const double s = legs.stockRatePct / 100;
    const double convert = std::fabs(legs.convertValue);
    const double stock = std::fabs(legs.stockValue);
    if (method == kCapitalNet) {
        return c * std::fabs(legs.convertValue + legs.stockValue) + s * std::min(convert, stock);
    }
    if (method == kCapitalLarger) return std::max(c * convert, s * stock);
    return c * convert + s * stock;
}

}  // namespace zemra::pages
