#include "platform/NumberText.h"

#include <locale.h>
#include <stdlib.h>

namespace sorvel {

namespace {

// A "C" locale of our own, so that the host's locale is neither read nor changed.
_locale_t numericLocale() {
  static const _locale_t c = ::_create_locale(LC_ALL, "C");
  return c;
}

}  // namespace

double leadingNumberWithPoint(const char* text) {
  const _locale_t c = numericLocale();
  if (c == nullptr || text == nullptr) return 0.0;
  return ::_strtod_l(text, nullptr, c);
}

}  // namespace sorvel
