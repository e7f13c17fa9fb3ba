// The output stage: section gains with balance, pan and volume, and the ensemble chorus of three
// modulated delay lines that mixes the Synthe and Instrument buses to stereo.
#pragma once

#include <array>
#include <vector>

#include "engine/ChorusKernels.h"
#include "engine/HighPassCycle.h"
#include "engine/TriangleLfo.h"

namespace sorvel {

struct SectionGains {
  double left = 0;
  double right = 0;
};

class OutputStage {
 public:
  static constexpr double kMaximumDelaySeconds = 0.016;
  static constexpr double kMinimumDelaySeconds = 0.001;
  static constexpr double kDepthScale = 0.45;

  // Reallocates the delay lines when the rate changes, and always clears them and the delays.
  // The control period bounds the delay glide so that it never overshoots at very low rates.
  void setSampleRate(double rate, int controlPeriod);

  // Parameter inputs; each gain-related one recomputes the gains.
  void setVolume(double volume);  // stores volume squared
  void setBalance(double balance);
  void setSynthePan(double pan);
  void setInstrumentPan(double pan);
  void setSyntheMix(double mix);
  void setInstrumentMix(double mix);
  void setChorusOn(bool on);
  void setChorusDepth(double value);  // parameter value 0..1
  void setChorusRate(int lfo, double value);  // lfo 0 or 1, parameter value 0..1

  void updateGains();

  // Once per control tick: steps the chorus LFOs and aims each delay at its new target.
  void stepModulation();

  // Mixes count samples of both buses into left and right (written, not added).
  void mix(const double* synthe, const double* instrument, double* left, double* right, int count);

  // The same for a silent Instrument bus and a Synthe bus that repeats the cycle from its current
  // position (synthe and instrument are scratch of count samples). Once the lines hold nothing but
  // the cycle's wet mix, they stay unwritten: the taps read the cycle's wet mix instead, and the
  // lines are written out when anything else needs them.
  void mixCycle(const HighPassCycle& cycle, double* synthe, double* instrument, double* left, double* right,
                int count);

  // The delay lines as the sample-by-sample mix leaves them.
  std::array<std::vector<double>, 3> chorusLines() const;

  // State, readable by tests and the benchmark.
  TriangleLfo chorusLfo1;
  TriangleLfo chorusLfo2;
  double sampleRate = -1;
  double inverseRate = 0;
  double delayGlide = 0;  // share of the distance to the target covered per sample
  int lineLength = 0;
  int writePosition = 0;
  std::array<double, 3> delays{};
  std::array<double, 3> delaySteps{};

  bool chorusOn = false;
  bool closedFormGlide = true;  // off: the chorus always runs sample by sample
  double syntheMix = 0.5;
  double instrumentMix = 0.5;
  double chorusDepth = 0.3 * kDepthScale;
  double volumeFactor = 0.25;
  double balance = 0.5;
  double synthePan = 0.5;
  double instrumentPan = 0.5;

  SectionGains syntheGain, instrumentGain;  // before the chorus mix split
  SectionGains syntheDry, instrumentDry;
  SectionGains syntheWet, instrumentWet;

 private:
  // The cycle's wet and dry mix, its position at the write position, and how many of the latest
  // entries of every line hold that wet mix (up to the whole line).
  struct LineCycle {
    long found = -1;  // the cycle the patterns were made from
    int period = 2;
    int phase = 0;
    int run = 0;
    bool standsIn = false;  // the lines are behind: the cycle stands in for them
    std::array<std::vector<double>, 3> wet;
    std::array<std::vector<double>, 2> dry;
  };

  bool mixFromCycle(const HighPassCycle& cycle, double* left, double* right, int count);
  void makeCyclePatterns(const HighPassCycle& cycle);
  void writeCycleInto(std::array<std::vector<double>, 3>& target) const;
  void writeOutLines();
  // Anything but the cycle's wet mix is about to reach the lines, or time passes without them.
  void breakCycleRun() {
    writeOutLines();
    lineCycle_.run = 0;
  }

  void mixDry(const double* synthe, const double* instrument, double* left, double* right, int count) const;
  void mixChorus(const double* synthe, const double* instrument, double* left, double* right, int count);
  void mixChorusSerial(const double* synthe, const double* instrument, double* left, double* right, int count);
  bool mixChorusInOnePass(const ChorusMix& mix, double* const* lineStarts, const std::array<double, 3>& glide,
                          double* left, double* right, int count);
  void addTaps(std::size_t k, double glide, double* out, double* out2, int count);
  ChorusMix mixOf(const double* synthe, const double* instrument) const;
  // A write position moved on by at most one line length.
  int wrapToLine(int position) const { return position >= lineLength ? position - lineLength : position; }

  std::array<std::vector<double>, 3> lines;
  LineCycle lineCycle_;
  int longestBlock_ = 1;
};

}  // namespace sorvel
