#include "config/leading_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace velnook {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

std::optional<double> RadixNumber(const std::string& s, size_t pos, int base) {
  double value = 0;
  for (; pos < s.size(); ++pos) {
    int d = DigitValue(s[pos], base);
    if (d < 0) break;
    value = value * base + d;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// Whether a number that from_chars finds out of range is too large rather
// than too small: the place of its first significant digit plus its exponent
// decides.
bool Overflows(const std::string& num) {
  const size_t e = std::min(num.find('e'), num.size());
  const size_t point = std::min(num.find('.'), e);
  const size_t first = num.find_first_of("123456789");
  if (first >= e) return false;
  long long power = first < point ? static_cast<long long>(point - first) - 1
                                  : -static_cast<long long>(first - point);
  long long exponent = 0;
  size_t i = e + 1;
  const bool negative = i < num.size() && num[i] == '-';
  if (i < num.size() && (num[i] == '-' || num[i] == '+')) ++i;
  for (; i < num.size(); ++i) exponent = std::min(exponent * 10 + (num[i] - '0'), 1000000000LL);
  return power + (negative ? -exponent : exponent) >= 0;
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') s += c;

  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return RadixNumber(s, 2, 16);
    if (s[1] == 'O' || s[1] == 'o') return RadixNumber(s, 2, 8);
    return 0.0;
  }

  // Collect the part that fits into a plain C-locale number, then convert.
  std::string num;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) num += s[i++];
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i])) {
      num += s[i];
      digits = true;
    } else if (s[i] == '.' && !point) {
      num += '.';
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    size_t j = i + 1;
    std::string exp = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
    size_t start = j;
    while (j < s.size() && IsDigit(s[j])) exp += s[j++];
    if (j > start) num += exp;  // an exponent without digits is not read
  }
  // from_chars, unlike strtod, reads "." whatever locale the process runs in.
  const char* first = num.c_str();
  if (*first == '+') ++first;  // from_chars takes no plus sign
  double v = 0;
  auto [end, ec] = std::from_chars(first, num.c_str() + num.size(), v);
  if (ec == std::errc::result_out_of_range) {
    if (Overflows(num)) return std::nullopt;
    return num[0] == '-' ? -0.0 : 0.0;  // too small: it rounds to zero
  }
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

namespace {

std::optional<double> RoundHalfEven(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double r = std::round(value);
  if (std::fabs(value - std::trunc(value)) == 0.5) r = 2.0 * std::round(value / 2.0);
  return r;
}

}  // namespace

std::optional<std::int16_t> ToInt16(double value) {
  auto r = RoundHalfEven(value);
  if (!r || *r < -32768.0 || *r > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(*r);
}

std::optional<std::int32_t> ToInt32(double value) {
  auto r = RoundHalfEven(value);
  if (!r || *r < -2147483648.0 || *r > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(*r);
}

}  // namespace velnook
