#include "framework/HostIdentification.h"

#include <algorithm>
#include <cctype>

namespace sorvel {

namespace {

struct HostRow {
  const char* text;
  int identifier;
};

// Tested in this order; the first substring match decides.
constexpr HostRow kHosts[] = {
    {"cubase", 3},     {"reaper", 1},      {"nuendo", 4},     {"cakewalk", 5},
    {"samplitude", 8}, {"fruity", 7},      {"live", 9},       {"melodyne", 12},
    {"vstmanlib", 13}, {"aulab", 14},      {"garageband", 22}, {"forte", 15},
    {"chainer", 16},   {"audition", 17},   {"orion", 18},     {"sawstudio", 20},
    {"logic", 21},     {"digital", 23},    {"audiomulch", 25}, {"presonus", 26},
    {"vst3plugintesthost", 27}, {"protools", 2}, {"ardour", 28}, {"openmpt", 30},
    {"renoise", 29},   {"standalone", 24},
};

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

int identifyHost(const std::string& productString) {
  if (productString.empty()) return 0;
  const std::string product = lowered(productString);
  for (const auto& row : kHosts) {
    if (product.find(row.text) != std::string::npos) return row.identifier;
  }
  return 0;
}

bool isChunkHostVendor(const std::string& vendorString) {
  const std::string vendor = lowered(vendorString);
  return vendor == "native instruments" || vendor == "juce vst host";
}

int storedHostVersion(int decimalVersion) {
  if (decimalVersion < 0) decimalVersion = 0;
  const int major = decimalVersion / 10000;
  const int minor = (decimalVersion / 100) % 100;
  const int patch = decimalVersion % 100;
  return (major << 16) | (minor << 8) | patch;
}

}  // namespace sorvel
