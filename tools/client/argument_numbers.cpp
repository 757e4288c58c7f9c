#include "tools/client/argument_numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Digits from `start` on, at least one; the index past them.
size_t skipDigits(const std::string& text, size_t start) {
  size_t i = start;
  while (i < text.size() && isDigit(text[i])) ++i;
  return i;
}

// Sign, digits, optional fraction, optional exponent, and nothing else.
bool looksDecimal(const std::string& text) {
  size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  const size_t whole = skipDigits(text, i);
  size_t end = whole;
  if (end < text.size() && text[end] == '.') end = skipDigits(text, end + 1);
  if (end == i || (end == i + 1 && text[i] == '.')) return false;  // no digit at all
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '-' || text[exponent] == '+')) ++exponent;
    end = skipDigits(text, exponent);
    if (end == exponent) return false;
  }
  return end == text.size();
}

}  // namespace

bool parseWholeNumber(const std::string& text, long long low, long long high, long long& value) {
  const size_t first = (!text.empty() && text[0] == '-') ? 1 : 0;
  if (first == text.size() || skipDigits(text, first) != text.size()) return false;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

bool parseWord(const std::string& text, uint32_t& word) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 10) return false;
    for (size_t i = 2; i < text.size(); ++i) {
      if (!isHexDigit(text[i])) return false;
    }
    word = static_cast<uint32_t>(std::strtoul(text.c_str() + 2, nullptr, 16));
    return true;
  }
  long long value = 0;
  if (!parseWholeNumber(text, INT32_MIN, UINT32_MAX, value)) return false;
  word = static_cast<uint32_t>(value);
  return true;
}

bool parseDecimalNumber(const std::string& text, double& value) {
  if (!looksDecimal(text)) return false;
  const double parsed = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(parsed)) return false;  // beyond a double's range
  value = parsed;
  return true;
}
