// One automatable parameter: its kind, range, shape, current value in its own units and the texts
// that show it. Hosts, the editor and MIDI exchange normalised values (0..1); the engine reads real ones.
#pragma once

#include <string>
#include <vector>

namespace sorvel {

class IParam {
 public:
  enum Kind { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

  static constexpr int kNameCapacity = 32;  // name, label, group and display texts: 31 characters

  void initDouble(const char* name, double defaultValue, double minimum, double maximum, double step,
                  double shape = 1.0);
  void initInt(const char* name, int defaultValue, int minimum, int maximum);
  void initEnum(const char* name, int defaultValue, const std::vector<std::string>& texts);
  void addDisplayText(int value, const std::string& text);

  // Stores v limited to the range; a value that is not a number is stored as the minimum.
  void setClamped(double v);
  // Stores the real value of the normalised value x (brought into 0..1 first).
  void setNormalised(double x);
  double toNormalised(double v) const;
  // A range of no width reads 0 whatever was written, so no state leaves a value of its own there.
  double normalised() const { return toNormalised(value_); }
  double fromNormalised(double x) const;  // with the step rounding of non-continuous kinds

  const char* displayTextFor(double v) const;
  // The text a host shows: a display text where one matches, else the number with the precision.
  std::string formatForDisplay(double v, bool isNormalised, bool withDisplayTexts = true) const;
  const char* labelForHost() const;

  Kind kind() const { return kind_; }
  double value() const { return value_; }
  double minimum() const { return minimum_; }
  double maximum() const { return maximum_; }
  double step() const { return step_; }
  double shape() const { return shape_; }
  double defaultValue() const { return default_; }
  int displayPrecision() const { return precision_; }
  const char* name() const { return name_.c_str(); }
  const char* label() const { return label_.c_str(); }
  const char* group() const { return group_.c_str(); }
  bool negateDisplay() const { return negateDisplay_; }
  void setNegateDisplay(bool negate) { negateDisplay_ = negate; }
  int displayTextCount() const { return static_cast<int>(displayTexts_.size()); }
  const std::string& displayText(int i) const { return displayTexts_[static_cast<std::size_t>(i)].text; }
  int displayTextValue(int i) const { return displayTexts_[static_cast<std::size_t>(i)].value; }
  // Value of the first display text equal to text; false when none matches.
  bool mapDisplayText(const std::string& text, double& value) const;

 private:
  struct DisplayText {
    int value;
    std::string text;
  };

  double clampToRange(double v) const;
  double realFromNormalised(double x) const;

  Kind kind_ = kTypeNone;
  double value_ = 0.0;
  double minimum_ = 0.0;
  double maximum_ = 1.0;
  double step_ = 1.0;
  double shape_ = 1.0;
  double default_ = 0.0;
  int precision_ = 0;
  std::string name_, label_, group_;
  bool negateDisplay_ = false;
  std::vector<DisplayText> displayTexts_;
};

// Copies text into a fixed host buffer of capacity bytes, always terminated.
void copyBounded(char* destination, const char* text, int capacity);
// Locale-independent number formatting and parsing (a decimal point, whatever the process locale).
std::string formatFixed(double value, int decimals);
bool parseDecimal(const std::string& text, double& value);

}  // namespace sorvel
