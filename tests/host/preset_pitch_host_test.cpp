// Each of the nineteen presets alone, and the pitch laws of the performance controls, as heard
// through the loaded plug-in: A4 held, the pitch read from where the sound repeats.
#include <cstdio>
#include <string>

#include "dsp/ParameterIds.h"
#include "tests/host/PluginHost.h"
#include "tests/host/SoundMeasures.h"

using namespace sorvel;
using namespace testhost;
using namespace soundtest;

namespace {

constexpr int kBlock = 512;
constexpr int kA4 = 69;

// The factory bank's programs 4 to 22 ("PRESET Noise" .. "PRESET 4' Hamm. Perc.") each switch on one
// preset, P1 to P19 in order, on one voice with no transposition, tuning or chorus.
constexpr int kFirstPresetProgram = 4;

// Footage of each preset in feet; 0 for the noise. 16' sounds at the note's own pitch.
constexpr int kFeet[kPresetCount] = {0, 32, 16, 16, 8, 8, 8, 4, 32, 32, 16, 16, 16, 8, 8, 8, 8, 4, 4};

struct Heard {
  bool finite = true;
  double peak = 0;
  double level = 0;  // RMS over the analysed stretch
  std::vector<double> sound;
};

// A4 at velocity 100 held for 0.35 s; both channels are checked for finite values below full scale.
Heard holdA4(PluginHost& host) {
  Heard heard;
  host.sendMidi(0, 0x90, kA4, 100);
  std::vector<double> left, right;
  for (std::size_t done = 0; done < samples(0.35); done += kBlock) {
    host.renderDouble(left, right, kBlock);
    for (std::size_t i = 0; i < left.size(); ++i) {
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) heard.finite = false;
      heard.peak = std::max({heard.peak, std::fabs(left[i]), std::fabs(right[i])});
    }
    heard.sound.insert(heard.sound.end(), left.begin(), left.end());
  }
  return heard;
}

// The stretch analysed: from 0.1 s, past every preset's filter and pitch settling, for 0.15 s
// (at least 33 periods of the lowest tone), leaving room for the repetition near 800 samples.
const std::size_t kFrom = samples(0.1);
const std::size_t kCount = samples(0.15);

}  // namespace

TEST(HostPresets, EachSoundsAloneAtThePitchOfItsFootage) {
  for (int n = 0; n < kPresetCount; ++n) {
    PluginHost host;
    ASSERT_TRUE(host.loaded());
    host.start(static_cast<float>(kRate), kBlock);
    const int program = kFirstPresetProgram + n;
    host.dispatch(effSetProgram, 0, program);
    const std::string name = host.text(effGetProgramName);
    SCOPED_TRACE(name);
    ASSERT_EQ(name.rfind("PRESET ", 0), 0u);
    for (int s = 0; s < kPresetCount; ++s) {
      ASSERT_EQ(host.getParameter(presetSwitch(s)), s == n ? 1.0f : 0.0f) << "switch of P" << s + 1;
    }
    ASSERT_EQ(host.getParameter(kOctaveDown), 0.0f);
    ASSERT_EQ(host.getParameter(kOctaveUp), 0.0f);

    const Heard heard = holdA4(host);
    const double level = rms(heard.sound, kFrom, kCount);
    EXPECT_TRUE(heard.finite);
    EXPECT_LT(heard.peak, 1.0);
    EXPECT_GT(level, 0.003);  // about -50 dBFS; the quietest, still in a slow attack, is near -40

    if (kFeet[n] == 0) {
      // Noise repeats nowhere near the periods of the note's footages.
      for (const double f : {220.0, 440.0, 880.0, 1760.0}) {
        const double r = selfSimilarity(heard.sound, kFrom, kCount, static_cast<int>(std::lround(kRate / f)));
        EXPECT_LT(std::fabs(r), 0.5) << f;
      }
      std::printf("P%-2d %-26s rms %.4f\n", n + 1, name.c_str(), level);
      continue;
    }
    const double expected = 440.0 * 16.0 / kFeet[n];
    const Pitch pitch = pitchNear(heard.sound, kFrom, kCount, expected);
    std::printf("P%-2d %-26s rms %.4f  %8.2f Hz (expected %6.0f)  period %.3f  half %.3f\n", n + 1, name.c_str(),
                level, pitch.frequency, expected, pitch.atPeriod, pitch.atHalfPeriod);
    // Repeats after one period of the expected pitch, and not after half of it (an octave higher).
    EXPECT_GT(pitch.atPeriod, 0.9);
    EXPECT_LT(pitch.atHalfPeriod, pitch.atPeriod - 0.5);
    // A filter that the envelope still sweeps, or a pulse width that moves, shifts the waveform a
    // little from period to period: the apparent pitch moves by a few cents (0.3 % seen). A
    // semitone is 6 %, a wrong footage 100 %.
    EXPECT_NEAR(pitch.frequency / expected, 1.0, 0.01);
  }
}

TEST(HostPresets, OctaveSwitchesAndTuningMoveThePitch) {
  PluginHost host;
  ASSERT_TRUE(host.loaded());
  host.start(static_cast<float>(kRate), kBlock);
  host.dispatch(effSetProgram, 0, 63);  // "Init": every parameter at its default
  host.setParameter(presetSwitch(kSaw8), 1.0f);  // an octave above the note
  host.setParameter(presetParameter(kSaw8, kPresetCutoff), 0.7f);
  host.setParameter(presetParameter(kSaw8, kPresetFilter2), 0.0f);
  host.setParameter(presetParameter(kSaw8, kPresetAttack), 0.0f);
  host.sendMidi(0, 0x90, kA4, 100);
  std::vector<double> sound;
  // The pitch 30 ms after a change, over 0.1 s; no filter moves here, so only the pitch unit of
  // 1/128 semitone (0.05 %) separates the tone from the law.
  auto heardAfter = [&](int index, float value) {
    if (index >= 0) host.setParameter(index, value);
    const std::size_t from = sound.size() + samples(0.03);
    host.renderInto(sound, static_cast<int>(samples(0.15)), kBlock);
    return from;
  };
  struct Step {
    int index;
    float value;
    double frequency;
  };
  const double up = std::pow(2.0, 224.0 / 1536.0);  // "SyntTune" 0.75: 224 pitch units
  const Step steps[] = {
      {-1, 0, 880.0},
      {20, 1, 1760.0},  // "Oct Up"
      {19, 1, 1760.0},  // "Oct Down" while up: still up
      {19, 0, 1760.0},
      {19, 1, 1760.0},
      {20, 0, 440.0},  // up off with down on: down
      {19, 0, 880.0},
      {8, 0.75f, 880.0 * up},
      {8, 0.25f, 880.0 / up},
      {8, 0.5f, 880.0},
      {7, 0.75f, 880.0 * std::pow(2.0, 1.0 / 12.0)},  // "MstrTune" +128: a semitone
  };
  for (const Step& step : steps) {
    SCOPED_TRACE("parameter " + std::to_string(step.index) + " at " + std::to_string(step.value));
    const std::size_t from = heardAfter(step.index, step.value);
    const Pitch pitch = pitchNear(sound, from, samples(0.1), step.frequency);
    EXPECT_GT(pitch.atPeriod, 0.99);
    EXPECT_LT(pitch.atHalfPeriod, 0.0);
    EXPECT_NEAR(pitch.frequency / step.frequency, 1.0, 0.001) << pitch.frequency;
  }
}
