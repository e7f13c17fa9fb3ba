// Text helpers the command-line tools share: trimming and strict number reading (the whole text
// must be one finite number, in the C locale whatever the user's locale).
#pragma once

#include <charconv>
#include <cmath>
#include <string>

namespace tools {

inline std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

inline bool parseWholeNumber(const std::string& text, double& value) {
  const std::string t = trim(text);
  const char* begin = t.data();
  const char* end = begin + t.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  return begin != end && ec == std::errc() && ptr == end && std::isfinite(value);
}

}  // namespace tools
