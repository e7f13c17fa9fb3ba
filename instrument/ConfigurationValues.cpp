#include "instrument/ConfigurationValues.h"

#include <stdlib.h>

#include <climits>

#include "platform/NumberText.h"

namespace sorvel {

double leadingNumber(const std::string& text) { return leadingNumberWithPoint(text.c_str()); }

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
