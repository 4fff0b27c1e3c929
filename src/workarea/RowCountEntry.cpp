#include "workarea/RowCountEntry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace voxmire {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The parts of a numeric text, each a view into it.
struct NumberParts {
  bool Negative = false;
  std::string_view Whole, Fraction, Exponent;  // Exponent keeps its sign
};

bool SplitNumber(std::string_view text, NumberParts& parts) {
  text = TrimBlanks(text);
  std::size_t i = 0;
  auto digitsFrom = [&](std::size_t start) {
    std::size_t end = start;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return end;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    parts.Negative = text[i] == '-';
    ++i;
  }
  std::size_t end = digitsFrom(i);
  parts.Whole = text.substr(i, end - i);
  i = end;
  if (i < text.size() && text[i] == '.') {
    end = digitsFrom(i + 1);
    parts.Fraction = text.substr(i + 1, end - i - 1);
    i = end;
  }
  if (parts.Whole.empty() && parts.Fraction.empty()) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t start = i + 1;
    if (start < text.size() && (text[start] == '+' || text[start] == '-')) ++start;
    end = digitsFrom(start);
    if (end == start) return false;
    parts.Exponent = text.substr(i + 1, end - i - 1);
    i = end;
  }
  return i == text.size();
}

// Roughly the power of ten of the leading digit; only its sign matters,
// to tell a number too large for a double from one too small.
long long DecimalMagnitude(const NumberParts& parts) {
  long long exponent = 0;
  std::string_view digits = parts.Exponent;
  bool negative = !digits.empty() && digits.front() == '-';
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  for (char c : digits) {
    exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
  }
  if (negative) exponent = -exponent;
  std::size_t firstWhole = parts.Whole.find_first_not_of('0');
  if (firstWhole != std::string_view::npos) {
    return exponent + static_cast<long long>(parts.Whole.size() - firstWhole) - 1;
  }
  std::size_t firstFraction = parts.Fraction.find_first_not_of('0');
  if (firstFraction == std::string_view::npos) return 0;
  return exponent - static_cast<long long>(firstFraction) - 1;
}

double RoundHalfToEven(double value) {
  double floor = std::floor(value);
  double rest = value - floor;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(floor, 2.0) != 0.0)) floor += 1.0;
  return floor;
}

}  // namespace

bool IsNumericText(std::string_view text) {
  NumberParts parts;
  return SplitNumber(text, parts);
}

RowCountEntry ParseRowCountEntry(std::string_view text) {
  NumberParts parts;
  if (!SplitNumber(text, parts)) return {RowCountEntry::Kind::NotNumeric, 0};

  // from_chars wants no '+' and no blanks; rebuild the text it takes.
  std::string plain;
  if (parts.Negative) plain += '-';
  plain.append(parts.Whole);
  if (!parts.Fraction.empty()) plain.append(".").append(parts.Fraction);
  if (!parts.Exponent.empty()) plain.append("e").append(parts.Exponent);
  if (parts.Whole.empty()) plain.insert(parts.Negative ? 1 : 0, "0");

  double value = 0.0;
  auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (DecimalMagnitude(parts) > 0) return {RowCountEntry::Kind::OutOfRange, 0};
    value = 0.0;  // too small for a double: rounds to nothing anyway
  } else if (ec != std::errc() || ptr != plain.data() + plain.size()) {
    return {RowCountEntry::Kind::NotNumeric, 0};
  }

  // Check loosely before rounding so the cast below can't overflow.
  if (!(value > -40000.0 && value < 40000.0)) return {RowCountEntry::Kind::OutOfRange, 0};
  double whole = RoundHalfToEven(value);
  if (whole < -32768.0 || whole > 32767.0) return {RowCountEntry::Kind::OutOfRange, 0};
  return {RowCountEntry::Kind::Count, static_cast<int>(whole)};
}

}  // namespace voxmire
