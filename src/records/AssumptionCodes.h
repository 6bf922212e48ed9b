#pragma once
#include <cstdint>

namespace zemra {

// The discounting scheme of a security (field 26 of its record), as the
// discounting drop-down's item data.
enum DiscountScheme : int16_t {
    kRiskyDiscounting = 0,
    kBondOptionDiscounting = 1,
    kBlendedDiscounting = 2,
};

// The dividend type of a security (field 27 of its record), as the
// dividend-type drop-down's item data.
enum DividendType : int16_t {
    kDiscreteDividends = 1,
    kContinuousDividends = 2,  // no discrete dividend years
};

}  // namespace zemra
