#pragma once
#include <string>
#include <string_view>

namespace zemra {

// The security type codes (field 2 of a security record) that change what
// the control computes or shows. Any other code is stored and treated as
// the general case.
namespace security_type {
inline constexpr std::string_view kStock = "E";
inline constexpr std::string_view kOptionValue = "AS";  // impact from the value above the bond floor
inline constexpr std::string_view kBondFloor = "DS";    // impact from the bond floor
inline constexpr std::string_view kBond = "B";
inline constexpr std::string_view kPreferred = "P";
}  // namespace security_type

// A stock: no hedge, no separate swap leg, dollar delta from the position.
inline bool IsStock(const std::string& type) { return type == security_type::kStock; }

// Whether the type's delta counts in shares ("P", "B" and "DS" do not).
inline bool HasDeltaShares(const std::string& type) {
    return type != security_type::kPreferred && type != security_type::kBond && type != security_type::kBondFloor;
}

// Which prices a security's $Impact under a scenario comes from.
enum class ImpactBasis { EstimatedPrice, StockPrice, OptionValue, BondFloor };

inline ImpactBasis ImpactBasisOf(const std::string& type) {
    if (type == security_type::kStock) return ImpactBasis::StockPrice;
    if (type == security_type::kOptionValue) return ImpactBasis::OptionValue;
    if (type == security_type::kBondFloor) return ImpactBasis::BondFloor;
    return ImpactBasis::EstimatedPrice;
}

}  // namespace zemra
