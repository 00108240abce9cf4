#pragma once
// The one rule by which every numeric text becomes a number.

#include <cstdint>
#include <optional>
#include <string_view>

namespace velnook {

// The number at the start of a text: blanks, tabs and line feeds are ignored
// wherever they stand; then a sign, digits with one decimal point and an
// exponent (E or D), or "&H" hex / "&O" octal digits. Reading stops at the
// first character that does not fit; no number gives 0. nullopt when the
// number is too large for a double.
std::optional<double> LeadingNumber(std::string_view text);

// Rounds half to even and checks the type's range; nullopt when it does not fit.
std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);

}  // namespace velnook
