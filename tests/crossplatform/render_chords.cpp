// One scenario rendered the same way on every platform, so that the Linux and Windows builds of
// the plug-in can be compared sample by sample: a chord through each of the 19 single-preset
// factory programs with the chorus on, at 48 kHz.
//   render_chords OUTPUT            writes the samples (doubles, left and right interleaved)
//   render_chords --compare A B     prints the largest difference per program; fails above 1e-9
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/host/PluginHost.h"

using namespace testhost;

namespace {

constexpr int kFirstPresetProgram = 4;
constexpr int kPresetPrograms = 19;
constexpr float kRate = 48000.0f;
constexpr int kBlock = 480;
constexpr int kHeldBlocks = 50;
constexpr int kReleasedBlocks = 30;
constexpr int kFramesPerProgram = (kHeldBlocks + kReleasedBlocks) * kBlock;
constexpr double kTolerance = 1e-9;

const unsigned char kChord[] = {48, 60, 64, 67, 71};

std::vector<double> renderProgram(int program) {
  PluginHost host;
  std::vector<double> samples;
  if (!host.loaded()) return samples;
  host.start(kRate, kBlock);
  host.dispatch(effSetProgram, 0, program);
  host.setParameter(host.findParameter("Chorus"), 1.0f);
  std::vector<PluginHost::Midi> on, off;
  for (const unsigned char note : kChord) {
    on.push_back({0, 0x90, note, 100});
    off.push_back({0, 0x80, note, 0});
  }
  std::vector<double> left, right;
  for (int block = 0; block < kHeldBlocks + kReleasedBlocks; ++block) {
    if (block == 0) host.sendMidiList(on);
    if (block == kHeldBlocks) host.sendMidiList(off);
    host.renderDouble(left, right, kBlock);
    for (int i = 0; i < kBlock; ++i) {
      samples.push_back(left[static_cast<std::size_t>(i)]);
      samples.push_back(right[static_cast<std::size_t>(i)]);
    }
  }
  return samples;
}

int render(const char* output) {
  std::vector<double> all;
  for (int p = 0; p < kPresetPrograms; ++p) {
    const std::vector<double> samples = renderProgram(kFirstPresetProgram + p);
    if (samples.size() != static_cast<std::size_t>(kFramesPerProgram) * 2) {
      std::fprintf(stderr, "render_chords: the plug-in did not load or render\n");
      return 2;
    }
    all.insert(all.end(), samples.begin(), samples.end());
  }
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(all.data()), static_cast<std::streamsize>(all.size() * sizeof(double)));
  return out ? 0 : 2;
}

std::vector<double> readSamples(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<double> samples(bytes.size() / sizeof(double));
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(double));
  return samples;
}

int compare(const char* first, const char* second) {
  const std::vector<double> a = readSamples(first), b = readSamples(second);
  const std::size_t perProgram = static_cast<std::size_t>(kFramesPerProgram) * 2;
  if (a.size() != perProgram * kPresetPrograms || a.size() != b.size()) {
    std::fprintf(stderr, "render_chords: the renderings differ in length (%zu, %zu)\n", a.size(), b.size());
    return 1;
  }
  double largest = 0.0;
  std::size_t differing = 0;
  for (int p = 0; p < kPresetPrograms; ++p) {
    double programLargest = 0.0, peak = 0.0;
    std::size_t programDiffering = 0, firstDifference = 0;
    for (std::size_t i = 0; i < perProgram; ++i) {
      const std::size_t at = static_cast<std::size_t>(p) * perProgram + i;
      peak = std::max(peak, std::fabs(a[at]));
      if (std::memcmp(&a[at], &b[at], sizeof(double)) == 0) continue;
      if (programDiffering++ == 0) firstDifference = i / 2;
      // A NaN on one side only counts as the largest difference there is.
      const double difference = std::fabs(a[at] - b[at]);
      programLargest = std::isnan(difference) ? INFINITY : std::max(programLargest, difference);
    }
    std::printf("program %2d: peak %.6f, %zu of %zu samples differ", kFirstPresetProgram + p, peak, programDiffering,
                perProgram);
    if (programDiffering > 0) std::printf(" (first at frame %zu), largest difference %.3g", firstDifference, programLargest);
    std::printf("\n");
    largest = std::max(largest, programLargest);
    differing += programDiffering;
  }
  std::printf("all: %zu of %zu samples differ, largest difference %.3g: %s\n", differing, a.size(), largest,
              differing == 0 ? "bit-identical" : largest <= kTolerance ? "within 1e-9" : "NOT within 1e-9");
  return largest <= kTolerance ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) return render(argv[1]);
  if (argc == 4 && std::strcmp(argv[1], "--compare") == 0) return compare(argv[2], argv[3]);
  std::fprintf(stderr, "usage: render_chords OUTPUT | render_chords --compare A B\n");
  return 2;
}
