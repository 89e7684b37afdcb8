#include "files/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "common/VeskError.h"

namespace vesk {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal exponent of the first significant digit of a normalised number
// ("-0.00123e5" gives 2); only its sign matters to the caller.
long DecimalExponent(const std::string& normalised) {
  const std::size_t ePos = normalised.find('e');
  const std::string mantissa = normalised.substr(0, ePos);
  long exponent = 0;
  if (ePos != std::string::npos) {
    const std::string digits = normalised.substr(ePos + 1);
    // Clamp absurdly long exponents; only the sign of the sum is needed.
    exponent = std::strtol(digits.c_str(), nullptr, 10);
    if (exponent > 100000) exponent = 100000;
    if (exponent < -100000) exponent = -100000;
  }
  const std::size_t point = mantissa.find('.');
  const std::size_t firstSignificant = mantissa.find_first_of("123456789");
  if (firstSignificant == std::string::npos) return 0;
  const std::size_t integerEnd = point == std::string::npos ? mantissa.size() : point;
  const long position = firstSignificant < integerEnd ? static_cast<long>(integerEnd - firstSignificant) - 1
                                                      : -static_cast<long>(firstSignificant - integerEnd);
  return exponent + position;
}

}  // namespace

std::optional<double> TryParseNumber(std::string_view text, const NumberFormat& format) {
  std::size_t pos = 0;
  const std::size_t end = text.size();
  while (pos < end && text[pos] == ' ') ++pos;

  // Rebuild the number with '.' for the locale-independent std::from_chars.
  std::string normalised;
  if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
    if (text[pos] == '-') normalised.push_back('-');
    ++pos;
  }
  std::size_t mantissaDigits = 0;
  while (pos < end && IsDigit(text[pos])) {
    normalised.push_back(text[pos++]);
    ++mantissaDigits;
  }
  if (pos < end && text[pos] == format.DecimalSeparator) {
    normalised.push_back('.');
    ++pos;
    while (pos < end && IsDigit(text[pos])) {
      normalised.push_back(text[pos++]);
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (pos < end && (text[pos] == 'E' || text[pos] == 'e')) {
    normalised.push_back('e');
    ++pos;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) normalised.push_back(text[pos++]);
    std::size_t exponentDigits = 0;
    while (pos < end && IsDigit(text[pos])) {
      normalised.push_back(text[pos++]);
      ++exponentDigits;
    }
    if (exponentDigits == 0) return std::nullopt;
  }
  while (pos < end && text[pos] == ' ') ++pos;
  if (pos != end) return std::nullopt;

  double value = 0.0;
  const char* first = normalised.data();
  const char* last = first + normalised.size();
  const auto [stop, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (stop != last) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Too small to represent reads as zero; too large is refused.
    if (DecimalExponent(normalised) > 0) return std::nullopt;
    value = normalised.front() == '-' ? -0.0 : 0.0;
  } else if (error != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

double ParseNumber(std::string_view text, const NumberFormat& format) {
  if (const auto value = TryParseNumber(text, format)) return *value;
  throw VeskError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string FormatNumber(double value, const NumberFormat& format) {
  if (!std::isfinite(value)) throw VeskError("Cannot write a value that is not a finite number");
  if (value == 0.0) return "0";

  // Round to 15 significant digits first; the notation depends on the
  // exponent of the rounded value (9.9999999999999999E14 is written 1E15).
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const bool negative = scientific.front() == '-';
  if (negative) scientific.remove_prefix(1);
  const std::size_t ePos = scientific.find('e');
  std::string digits;
  for (char c : scientific.substr(0, ePos))
    if (IsDigit(c)) digits.push_back(c);
  const int exponent = std::atoi(std::string(scientific.substr(ePos + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent < -4 || exponent >= 15) {
    out += digits[0];
    if (digits.size() > 1) {
      out += format.DecimalSeparator;
      out.append(digits, 1, std::string::npos);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
  }
  if (exponent < 0) {
    out += '0';
    out += format.DecimalSeparator;
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
    return out;
  }
  const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= integerDigits) {
    out += digits;
    out.append(integerDigits - digits.size(), '0');
  } else {
    out.append(digits, 0, integerDigits);
    out += format.DecimalSeparator;
    out.append(digits, integerDigits, std::string::npos);
  }
  return out;
}

}  // namespace vesk
