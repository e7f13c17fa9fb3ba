// How texts from the configuration file become values: the way the C library's atof and atoi
// read them, but always with a decimal point, whatever the host's locale.
#pragma once

#include <string>

namespace sorvel {

// The leading decimal number of the text (blanks, a sign, digits, a point, an exponent); 0 when
// there is none.
double leadingNumber(const std::string& text);

// The leading decimal integer (blanks and a sign allowed), held within the int range; 0 when there
// is none.
int leadingInteger(const std::string& text);

// A controller map entry from its stored text: the number when there is one (or the text starts
// with "0"), else -1; numbers outside 0..highestParameter give -1 too.
int controllerEntryFromText(const std::string& text, int highestParameter);

// "true" in any case.
bool isTrueText(const std::string& text);

}  // namespace sorvel
