// Numbers read from text with a decimal point, whatever locale the host process has chosen.
#pragma once

namespace sorvel {

// The leading number of the text as the C library's strtod reads it in the "C" locale; 0 when
// there is none.
double leadingNumberWithPoint(const char* text);

}  // namespace sorvel
