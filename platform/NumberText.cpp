#include "platform/NumberText.h"

#include <locale.h>
#include <stdlib.h>

namespace sorvel {

namespace {

// A "C" locale of our own, so that the process locale is neither read nor changed.
locale_t numericLocale() {
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

double leadingNumberWithPoint(const char* text) {
  const locale_t c = numericLocale();
  if (c == static_cast<locale_t>(nullptr) || text == nullptr) return 0.0;
  return ::strtod_l(text, nullptr, c);
}

}  // namespace sorvel
