#include "framework/IParam.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace sorvel {

namespace {

std::string bounded(const char* text) {
  if (text == nullptr) return {};
  return std::string(text, strnlen(text, IParam::kNameCapacity - 1));
}

int precisionOf(double step) {
  int precision = 0;
  while (precision < 6 && std::isfinite(step) && step != std::floor(step)) {
    step *= 10.0;
    ++precision;
  }
  return precision;
}

}  // namespace

void copyBounded(char* destination, const char* text, int capacity) {
  if (destination == nullptr || capacity <= 0) return;
  const std::size_t length = text == nullptr ? 0 : strnlen(text, static_cast<std::size_t>(capacity - 1));
  if (length > 0) std::memcpy(destination, text, length);
  destination[length] = '\0';
}

std::string formatFixed(double value, int decimals) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer, result.ptr);
}

bool parseDecimal(const std::string& text, double& value) {
  const char* begin = text.c_str();
  const char* end = begin + text.size();
  while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
  if (begin < end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  return result.ec == std::errc() && result.ptr != begin;
}

void IParam::initDouble(const char* name, double defaultValue, double minimum, double maximum, double step,
                        double shape) {
  if (kind_ == kTypeNone) kind_ = kTypeDouble;
  name_ = bounded(name);
  label_.clear();
  group_.clear();
  value_ = defaultValue;
  default_ = defaultValue;
  minimum_ = minimum;
  // An integer row may have a range of no width (a constant such as the version): it keeps it.
  maximum_ = kind_ == kTypeInt ? std::max(maximum, minimum) : std::max(maximum, minimum + step);
  step_ = step;
  precision_ = precisionOf(step);
  if (shape != 0.0) shape_ = shape;
}

void IParam::initInt(const char* name, int defaultValue, int minimum, int maximum) {
  if (kind_ == kTypeNone) kind_ = kTypeInt;
  initDouble(name, defaultValue, minimum, maximum, 1.0, 1.0);
}

void IParam::initEnum(const char* name, int defaultValue, const std::vector<std::string>& texts) {
  if (kind_ == kTypeNone) kind_ = kTypeEnum;
  initDouble(name, defaultValue, 0.0, static_cast<double>(texts.size()) - 1.0, 1.0, 1.0);
  for (std::size_t i = 0; i < texts.size(); ++i) addDisplayText(static_cast<int>(i), texts[i]);
}

void IParam::addDisplayText(int value, const std::string& text) {
  displayTexts_.push_back({value, bounded(text.c_str())});
}

double IParam::clampToRange(double v) const {
  if (std::isnan(v)) return minimum_;
  return std::clamp(v, minimum_, maximum_);
}

void IParam::setClamped(double v) { value_ = clampToRange(v); }

double IParam::realFromNormalised(double x) const {
  x = std::isnan(x) ? 0.0 : std::clamp(x, 0.0, 1.0);
  return minimum_ + (maximum_ - minimum_) * std::pow(x, shape_);
}

double IParam::fromNormalised(double x) const {
  double v = realFromNormalised(x);
  if (kind_ != kTypeDouble) v = std::floor(v / step_ + 0.5) * step_;
  return std::min(v, maximum_);
}

void IParam::setNormalised(double x) {
  value_ = fromNormalised(x);
}

double IParam::toNormalised(double v) const {
  v = clampToRange(v);
  const double width = maximum_ - minimum_;
  if (!(width > 0.0)) return 0.0;
  return std::pow((v - minimum_) / width, 1.0 / shape_);
}

const char* IParam::displayTextFor(double v) const {
  if (!std::isfinite(v)) return "";
  const double truncated = std::trunc(v);
  for (const auto& entry : displayTexts_) {
    if (static_cast<double>(entry.value) == truncated) return entry.text.c_str();
  }
  return "";
}

std::string IParam::formatForDisplay(double v, bool isNormalised, bool withDisplayTexts) const {
  if (isNormalised) v = realFromNormalised(v);
  if (withDisplayTexts && !displayTexts_.empty()) {
    const char* text = displayTextFor(v);
    if (text[0] != '\0') return text;
  }
  if (negateDisplay_) v = -v;
  if (precision_ == 0) {
    if (!std::isfinite(v)) return "0";
    const double t = std::trunc(v);
    if (t >= 2147483647.0 || t <= -2147483648.0) return formatFixed(t, 0);
    return std::to_string(static_cast<int>(t));
  }
  return formatFixed(v, precision_);
}

const char* IParam::labelForHost() const {
  return displayTextFor(value_)[0] != '\0' ? "" : label_.c_str();
}

bool IParam::mapDisplayText(const std::string& text, double& value) const {
  for (const auto& entry : displayTexts_) {
    if (entry.text == text) {
      value = entry.value;
      return true;
    }
  }
  return false;
}

}  // namespace sorvel
