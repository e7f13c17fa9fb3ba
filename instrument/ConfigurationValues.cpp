#include "instrument/ConfigurationValues.h"

#include <locale.h>
#include <stdlib.h>

#include <climits>

namespace sorvel {

namespace {

// A "C" locale of our own, so that the process locale is neither read nor changed.
locale_t numericLocale() {
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

double leadingNumber(const std::string& text) {
  const locale_t c = numericLocale();
  if (c == static_cast<locale_t>(nullptr)) return 0.0;
  return ::strtod_l(text.c_str(), nullptr, c);
}

int leadingInteger(const std::string& text) {
  const long long value = ::strtoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int controllerEntryFromText(const std::string& text, int highestParameter) {
  const int value = leadingInteger(text);
  if (value == 0 && (text.empty() || text.front() != '0')) return -1;
  if (value < 0 || value > highestParameter) return -1;
  return value;
}

bool isTrueText(const std::string& text) {
  if (text.size() != 4) return false;
  const char* expected = "true";
  for (std::size_t i = 0; i < 4; ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != expected[i]) return false;
  }
  return true;
}

}  // namespace sorvel
