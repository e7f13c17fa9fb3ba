// Notes, pedals, controllers and program changes sent through the event list of the loaded
// plug-in, judged by what it then renders and reports.
#include <stdlib.h>

#include <fstream>
#include <numbers>
#include <sstream>
#include <string>

#include "SorvelVersion.h"
#include "dsp/ParameterIds.h"
#include "framework/MidiMessage.h"
#include "tests/host/PluginHost.h"
#include "tests/host/SoundMeasures.h"

using namespace sorvel;
using namespace testhost;
using namespace soundtest;

namespace {

constexpr int kBlock = 512;
constexpr int kPeriod = 44;  // control period at 44.1 kHz: 44100 / 1000 samples
constexpr int kInitProgram = 63;


constexpr unsigned char kNoteOn = statusByte(kMidiNoteOn, 0);
constexpr unsigned char kNoteOff = statusByte(kMidiNoteOff, 0);
constexpr unsigned char kControl = statusByte(kMidiControlChange, 0);
constexpr unsigned char kProgram = statusByte(kMidiProgramChange, 0);

// Normalised value of a voice count's position in the list "1", "2", "4" .. "64".
float voiceCount(int count) {
  int position = 0;
  while ((1 << position) < count) ++position;
  return static_cast<float>(position) / 6.0f;
}

// An instance playing the plain 8' sawtooth an octave down, so at each note's own frequency, through
// an open filter without resonance, with an attack of about a millisecond and a full sustain.
class Keyboard {
 public:
  explicit Keyboard(int voices = 1) {
    if (!host.loaded()) return;
    host.start(static_cast<float>(kRate), kBlock);
    host.dispatch(effSetProgram, 0, kInitProgram);
    host.setParameter(kVoices, voiceCount(voices));
    host.setParameter(kOctaveDown, 1.0f);
    host.setParameter(presetSwitch(kSaw8), 1.0f);
    host.setParameter(presetParameter(kSaw8, kPresetCutoff), 0.7f);  // cutoff near 3.6 kHz, above every partial that is measured
    host.setParameter(presetParameter(kSaw8, kPresetFilter2), 0.0f);
    host.setParameter(presetParameter(kSaw8, kPresetAttack), 0.0f);
  }

  // Release time in the units of "EnvR" (0..4): t x 0.4 s is its time constant.
  void setRelease(double t) { host.setParameter(presetParameter(kSaw8, kPresetRelease), static_cast<float>(t / 4.0)); }
  void setDecayAndSustain(double t, double sustain) {
    host.setParameter(presetParameter(kSaw8, kPresetDecay), static_cast<float>(t / 4.0));
    host.setParameter(presetParameter(kSaw8, kPresetSustain), static_cast<float>(sustain));
  }

  void press(int note, int offset = 0) { host.sendMidi(offset, kNoteOn, static_cast<unsigned char>(note), 100); }
  void lift(int note) { host.sendMidi(0, kNoteOff, static_cast<unsigned char>(note), 64); }
  void control(int controller, int value) {
    host.sendMidi(0, kControl, static_cast<unsigned char>(controller), static_cast<unsigned char>(value));
  }

  // Renders on; returns where the new stretch starts.
  std::size_t play(double seconds) {
    const std::size_t start = sound.size();
    host.renderInto(sound, static_cast<int>(samples(seconds)), kBlock);
    return start;
  }

  // Amplitude of a note's fundamental over the last 80 ms rendered.
  double note(int n) const {
    return toneAmplitude(sound, sound.size() - samples(0.08), samples(0.08), noteFrequency(n));
  }
  double lastPeak(double seconds) const { return peak(sound, sound.size() - samples(seconds), samples(seconds)); }

  PluginHost host;
  std::vector<double> sound;
};

// A released voice is gone within about 10 ms; what follows is the settling of the 8 Hz high-pass
// on the Synthe section, under 1e-5 after 50 ms and decaying. A voice still sounding peaks near 0.15.
constexpr double kSilent = 1e-4;

// The yardstick is the fundamental of one note played alone (see FundamentalLevel); the notes
// measured lie within a fifth of it, all well under the filter's cutoff, so each reads the same.
// Present: within 30 % of that, so a doubled or halved voice shows; absent: below 5 %, far above
// the leakage of neighbouring notes through the window (under 0.1 %).
constexpr double kPresentLow = 0.7;
constexpr double kPresentHigh = 1.3;
constexpr double kAbsent = 0.05;

double referenceLevel() {
  static const double level = [] {
    Keyboard k;
    k.press(60);
    k.play(0.15);
    return k.note(60);
  }();
  return level;
}

bool present(double level) { return level > kPresentLow * referenceLevel() && level < kPresentHigh * referenceLevel(); }
bool absent(double level) { return level < kAbsent * referenceLevel(); }

// Appends settings to the user's configuration file for the instances made while this lives.
class ScopedSettings {
 public:
  explicit ScopedSettings(const std::string& lines) {
    {
      PluginHost first;  // makes sure the file exists
    }
    std::ifstream in(path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    before_ = text.str();
    std::ofstream(path(), std::ios::app) << lines;
  }
  ~ScopedSettings() { std::ofstream(path(), std::ios::binary | std::ios::trunc) << before_; }
  ScopedSettings(const ScopedSettings&) = delete;
  ScopedSettings& operator=(const ScopedSettings&) = delete;

 private:
  static std::string path() { return testhost::settingsFile(); }
  std::string before_;
};

}  // namespace

TEST(HostNotes, FundamentalLevel) {
  // The yardstick of the other tests: one note sounds as a sawtooth, whose fundamental is 2/pi of
  // its peak, and nothing at another note's frequency.
  Keyboard k;
  ASSERT_TRUE(k.host.loaded());
  k.press(60);
  k.play(0.15);
  const double fundamental = k.note(60);
  EXPECT_GT(fundamental, 0.02);
  EXPECT_NEAR(fundamental / k.lastPeak(0.08), 2.0 / std::numbers::pi, 0.15);
  EXPECT_TRUE(absent(k.note(64)));
}

TEST(HostNotes, PolyphonyUpToTheVoiceCountThenTheOldestIsTaken) {
  {
    Keyboard k(2);
    ASSERT_TRUE(k.host.loaded());
    k.press(60);
    k.press(64, 300);
    k.play(0.12);
    EXPECT_TRUE(present(k.note(60))) << k.note(60);
    EXPECT_TRUE(present(k.note(64))) << k.note(64);
    k.press(67);
    k.play(0.12);
    EXPECT_TRUE(absent(k.note(60))) << "the first note's voice plays the third: " << k.note(60);
    EXPECT_TRUE(present(k.note(64)));
    EXPECT_TRUE(present(k.note(67)));
    // Now the oldest is the second note, in the higher voice: a steal by position would take 67.
    k.press(71);
    k.play(0.12);
    EXPECT_TRUE(absent(k.note(64))) << k.note(64);
    EXPECT_TRUE(present(k.note(67))) << k.note(67);
    EXPECT_TRUE(present(k.note(71))) << k.note(71);
  }
  {
    // Whole tones lie 30 Hz and more apart, several window bins; no overtone falls on another note.
    Keyboard k(4);
    const int notes[] = {60, 62, 64, 66, 68, 70};
    for (int i = 0; i < 4; ++i) k.press(notes[i]);
    k.play(0.12);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(present(k.note(notes[i]))) << notes[i] << ": " << k.note(notes[i]);
    k.press(notes[4]);
    k.press(notes[5]);
    k.play(0.12);
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(absent(k.note(notes[i]))) << notes[i] << ": " << k.note(notes[i]);
    for (int i = 2; i < 6; ++i) EXPECT_TRUE(present(k.note(notes[i]))) << notes[i] << ": " << k.note(notes[i]);
  }
}

TEST(HostNotes, SingleVoiceReturnsToTheHighestHeldKeyWithoutANewAttack) {
  // Decay to a sustain of 0.3 within about 0.1 s: a new attack would lift the level towards 1 / 0.3 of
  // the sustained one, a release would take it to 0. Peaks over 5 ms span a period of note 60.
  const std::size_t window = samples(0.005);
  for (const bool multipleTrigger : {false, true}) {
    SCOPED_TRACE(multipleTrigger ? "multiple trigger" : "single trigger");
    Keyboard k(1);
    ASSERT_TRUE(k.host.loaded());
    k.setDecayAndSustain(0.05, 0.3);
    k.host.setParameter(kMultipleTrigger, multipleTrigger ? 1.0f : 0.0f);
    k.press(60);
    k.press(55);  // lower and later: on release the voice goes back up to 60, not to the latest key
    k.play(0.05);
    k.press(64);
    k.play(0.25);
    EXPECT_TRUE(present(k.note(64) / 0.3)) << k.note(64);
    EXPECT_TRUE(absent(k.note(60)));
    const double sustained = k.lastPeak(0.05);
    k.lift(64);
    const std::size_t lifted = k.play(0.25);
    const auto peaks = peakEnvelope(k.sound, lifted, lifted + samples(0.06), window);
    const double lowest = *std::min_element(peaks.begin(), peaks.end());
    const double highest = *std::max_element(peaks.begin(), peaks.end());
    EXPECT_GT(lowest, 0.6 * sustained);
    if (multipleTrigger) {
      EXPECT_GT(highest, 2.0 * sustained) << "the return attacks again";
    } else {
      EXPECT_LT(highest, 1.3 * sustained) << "no new attack";
    }
    EXPECT_GT(k.note(60), 0.2 * referenceLevel()) << "back on the highest held key";
    EXPECT_TRUE(absent(k.note(64)));
    EXPECT_TRUE(absent(k.note(55)));
    k.lift(60);
    k.play(0.1);
    EXPECT_GT(k.note(55), 0.2 * referenceLevel()) << "then on the last one held";
    k.lift(55);
    k.play(0.1);
    EXPECT_LT(k.lastPeak(0.05), kSilent) << "no key held: released";
  }
}

TEST(HostNotes, ANoteAlreadySoundingKeepsItsVoice) {
  {
    Keyboard k(4);
    ASSERT_TRUE(k.host.loaded());
    k.press(60);
    k.play(0.1);
    const double once = rms(k.sound, k.sound.size() - samples(0.05), samples(0.05));
    k.press(60);
    k.play(0.1);
    const double twice = rms(k.sound, k.sound.size() - samples(0.05), samples(0.05));
    EXPECT_NEAR(twice / once, 1.0, 0.05) << "no second voice on the same note";
    // One note-off ends it: a second voice would go on sounding.
    k.lift(60);
    k.play(0.1);
    EXPECT_LT(k.lastPeak(0.05), kSilent);
  }
  {
    // Struck again while it is still dying away: the same voice attacks anew from where it was.
    Keyboard k(4);
    k.setRelease(0.25);  // 0.1 s time constant: about 0.23 s from full level to silence
    k.press(60);
    k.play(0.1);
    const double full = k.lastPeak(0.05);
    k.lift(60);
    k.play(0.03);
    k.press(60);
    const std::size_t again = k.play(0.1);
    EXPECT_LT(peak(k.sound, again, samples(0.1)), 1.05 * full) << "never two voices at once";
    k.lift(60);
    k.play(0.5);
    EXPECT_LT(k.lastPeak(0.05), kSilent);
  }
}

TEST(HostNotes, VelocityZeroNoteOnIsANoteOffOnAnyChannel) {
  Keyboard k(2);
  ASSERT_TRUE(k.host.loaded());
  k.press(60);
  k.press(64);
  k.play(0.1);
  k.host.sendMidi(0, statusByte(kMidiNoteOn, 3), 64, 0);
  k.play(0.12);
  EXPECT_TRUE(absent(k.note(64))) << k.note(64);
  EXPECT_TRUE(present(k.note(60))) << k.note(60);
  k.host.sendMidi(0, kNoteOn, 60, 0);
  k.play(0.1);
  EXPECT_LT(k.lastPeak(0.05), kSilent);
}

TEST(HostNotes, SustainPedalAndKeyHoldKeepReleasedKeysSounding) {
  Keyboard k(4);
  ASSERT_TRUE(k.host.loaded());
  k.control(64, 127);
  k.press(60);
  k.press(64);
  k.play(0.05);
  k.lift(60);
  k.play(0.12);
  EXPECT_TRUE(present(k.note(60))) << "held by the pedal: " << k.note(60);
  k.control(64, 0);
  k.play(0.12);
  EXPECT_TRUE(absent(k.note(60))) << k.note(60);
  EXPECT_TRUE(present(k.note(64))) << "its key is still down";

  k.host.setParameter(kKeyHold, 1.0f);
  k.press(67);
  k.play(0.05);
  k.lift(67);
  k.play(0.12);
  EXPECT_TRUE(present(k.note(67))) << "held by Key Hold: " << k.note(67);
  k.host.setParameter(kKeyHold, 0.0f);
  k.play(0.12);
  EXPECT_TRUE(absent(k.note(67))) << k.note(67);
  EXPECT_TRUE(present(k.note(64)));

  // Lifting the pedal ends a Key Hold too.
  k.host.setParameter(kKeyHold, 1.0f);
  k.press(70);
  k.play(0.05);
  k.lift(70);
  k.play(0.05);
  k.control(64, 0);
  k.play(0.12);
  EXPECT_TRUE(absent(k.note(70))) << k.note(70);
  EXPECT_TRUE(present(k.note(64)));
}

TEST(HostNotes, AllNotesOffControllersStopEverythingAtOnce) {
  for (const int controller : {120, 123}) {
    SCOPED_TRACE(controller);
    // One voice, two keys down: once the held keys are forgotten, lifting the upper one cannot
    // bring the voice back to the lower.
    Keyboard k(1);
    ASSERT_TRUE(k.host.loaded());
    k.press(60);
    k.press(64);
    k.control(64, 127);
    k.play(0.1);
    k.host.sendMidiList({{0, kControl, 121, 0}, {0, kControl, 122, 0}});  // other channel-mode messages do nothing
    k.play(0.1);
    EXPECT_TRUE(present(k.note(64)));
    k.host.sendMidiList({{400, kControl, static_cast<unsigned char>(controller), 0}, {0, kNoteOff, 64, 0}});
    k.play(0.1);
    EXPECT_LT(k.lastPeak(0.05), kSilent) << "the pedal's hold ends as well";
    EXPECT_TRUE(absent(k.note(60)));
    k.press(67);
    k.play(0.1);
    EXPECT_TRUE(present(k.note(67))) << "later notes play";
    EXPECT_TRUE(k.host.midiOut.empty()) << "MIDI Thru is off by default";
  }
}

TEST(HostNotes, AllNotesOffWithMidiThruIsForwardedAndStillActs) {
  ScopedSettings settings("[MIDI Global]\nMIDI Thru=true\n");
  Keyboard k(4);
  ASSERT_TRUE(k.host.loaded());
  k.press(60);
  k.press(64);
  k.play(0.1);
  ASSERT_EQ(k.host.midiOut.size(), 2u);
  k.host.sendMidiList({{17, statusByte(kMidiControlChange, 2), kAllNotesOffController, 0}});
  ASSERT_EQ(k.host.midiOut.size(), 3u);
  const VstMidiEvent& forwarded = k.host.midiOut.back();
  EXPECT_EQ(static_cast<unsigned char>(forwarded.midiData[0]), statusByte(kMidiControlChange, 2));
  EXPECT_EQ(static_cast<unsigned char>(forwarded.midiData[1]), kAllNotesOffController);
  EXPECT_EQ(forwarded.deltaFrames, 17);
  k.play(0.1);
  EXPECT_LT(k.lastPeak(0.05), kSilent);
}

TEST(HostNotes, EventsStartAtTheControlTickTheirOffsetFallsTo) {
  // An event is handled at the first control tick of the block when its offset is at most one
  // period, at the next when it is at most two, and so on: the ticks fall every 44 samples counted
  // from the block's first one. With a millisecond attack the sound is clear of 1e-5 within two
  // samples of its start, and ticks lie 44 samples apart.
  struct Case {
    int before;  // samples rendered before the block that carries the note
    int offset;
    int tick;    // sample of that block at which the note starts
  };
  // After one block of 512 samples the countdown has 16 samples left: 512 = 11 x 44 + 28.
  const Case cases[] = {{0, 0, 0},        {0, 1, 0},        {0, kPeriod, 0},       {0, kPeriod + 1, kPeriod},
                        {0, 88, kPeriod}, {0, 89, 88},      {0, 100, 88},          {0, 511, 484},
                        {512, 0, 16},     {512, 44, 16},    {512, 45, 16 + kPeriod}, {512, 89, 16 + 88},
                        {512, 500, 16 + 484}};
  for (const Case& c : cases) {
    SCOPED_TRACE("offset " + std::to_string(c.offset) + " after " + std::to_string(c.before));
    Keyboard k(1);
    ASSERT_TRUE(k.host.loaded());
    k.host.setParameter(kVolume, 1.0f);
    k.host.renderInto(k.sound, c.before, kBlock);
    ASSERT_EQ(k.sound.size(), static_cast<std::size_t>(c.before));
    k.press(69, c.offset);
    k.host.renderInto(k.sound, 2 * kBlock, kBlock);
    std::size_t onset = k.sound.size();
    for (std::size_t i = 0; i < k.sound.size(); ++i) {
      if (std::fabs(k.sound[i]) > 1e-5) {
        onset = i;
        break;
      }
    }
    const int at = static_cast<int>(onset) - c.before;
    EXPECT_GE(at, c.tick);
    EXPECT_LE(at, c.tick + 2);
  }
}

TEST(HostNotes, ProgramChangesSwitchAtOnceWithinTheBank) {
  Keyboard k(1);
  ASSERT_TRUE(k.host.loaded());
  k.host.sendMidi(0, kProgram, 5, 0);
  EXPECT_EQ(k.host.dispatch(effGetProgram), 5) << "before any block is rendered";
  EXPECT_EQ(k.host.text(effGetProgramName), "PRESET 32' Saw");
  EXPECT_EQ(k.host.getParameter(presetSwitch(kSaw32)), 1.0f);  // its footage switch
  // 32' sounds an octave below the note.
  k.press(69);
  k.play(0.4);
  const Pitch low = pitchNear(k.sound, k.sound.size() - samples(0.2), samples(0.1), 220.0);
  EXPECT_NEAR(low.frequency, 220.0, 0.5);

  for (const int outside : {64, 70, 127}) {
    k.host.sendMidi(0, kProgram, static_cast<unsigned char>(outside), 0);
    EXPECT_EQ(k.host.dispatch(effGetProgram), 5) << outside;
  }
  k.host.sendMidi(0, statusByte(kMidiProgramChange, 15), 63, 0);  // every channel
  EXPECT_EQ(k.host.dispatch(effGetProgram), 63);
  EXPECT_EQ(k.host.getParameter(presetSwitch(kSaw32)), 0.0f);
}

TEST(HostNotes, IgnoreProgramChangeKeepsTheProgram) {
  ScopedSettings settings("[MIDI Global]\nIgnore Program Change=TRUE\n");
  PluginHost host;
  ASSERT_TRUE(host.loaded());
  host.start();
  host.dispatch(effSetProgram, 0, 2);
  const float volume = host.getParameter(kVolume);
  host.sendMidi(0, kProgram, 5, 0);
  std::vector<double> sound;
  host.renderInto(sound, kBlock);
  EXPECT_EQ(host.dispatch(effGetProgram), 2);
  EXPECT_EQ(host.getParameter(kVolume), volume);
  EXPECT_EQ(host.getParameter(presetSwitch(kSaw32)), 0.0f);
}

TEST(HostNotes, ConfiguredControllersMoveTheirParametersAtTheNextTick) {
  // Controllers 1 and 64 are the wheel and the pedal whatever the file says; entries outside the
  // parameter table, or not numbers, drive nothing; one parameter may sit on two controllers.
  ScopedSettings settings(
      "[MIDI Control]\nCC20=2\nCC21=12\nCC22=12\nCC1=3\nCC64=4\nCC30=235\nCC31=-7\nCC32=abc\nCC33=0\n");
  Keyboard k(1);
  ASSERT_TRUE(k.host.loaded());
  k.press(60);
  k.play(0.1);
  const double halfVolume = rms(k.sound, k.sound.size() - samples(0.05), samples(0.05));
  k.host.automations.clear();

  k.control(20, 127);
  EXPECT_EQ(k.host.getParameter(kVolume), 0.5f) << "queued until the engine's next tick";
  k.play(0.1);
  EXPECT_EQ(k.host.getParameter(kVolume), 1.0f);
  // Volume acts as its square: the level grows fourfold.
  EXPECT_NEAR(rms(k.sound, k.sound.size() - samples(0.05), samples(0.05)) / halfVolume, 4.0, 0.04);
  ASSERT_EQ(k.host.automations.size(), 1u) << "the host hears of the change";
  EXPECT_EQ(k.host.automations[0].index, kVolume);
  EXPECT_EQ(k.host.automations[0].value, 1.0f);
  k.control(20, 127);
  k.play(0.01);
  EXPECT_EQ(k.host.automations.size(), 1u) << "the same value again changes nothing";

  k.control(21, 64);
  k.play(0.01);
  EXPECT_FLOAT_EQ(k.host.getParameter(kVibratoDepth), 64.0f / 127.0f);
  k.control(22, 127);
  k.play(0.01);
  EXPECT_EQ(k.host.getParameter(kVibratoDepth), 1.0f);

  k.host.automations.clear();
  const float velocity = k.host.getParameter(kVelocity);
  const float balance = k.host.getParameter(kBalance);
  for (const int controller : {1, 64, 30, 31, 32}) k.control(controller, 127);
  k.control(33, 127);  // "0" is parameter 0, whose range has no width
  k.play(0.01);
  EXPECT_EQ(k.host.getParameter(kVelocity), velocity);
  EXPECT_EQ(k.host.getParameter(kBalance), balance);
  // The constant keeps its value and still reads 0.
  EXPECT_EQ(k.host.parameterDisplay(kVersion), std::to_string(kVersionNumber));
  EXPECT_EQ(k.host.getParameter(kVersion), 0.0f);
  ASSERT_EQ(k.host.automations.size(), 1u);
  EXPECT_EQ(k.host.automations[0].index, kVersion);
  k.control(64, 0);
  k.control(20, 0);
  k.play(0.1);
  EXPECT_EQ(k.host.getParameter(kVolume), 0.0f);
  EXPECT_LT(k.lastPeak(0.05), kSilent);
}

TEST(HostNotes, VoicesReleaseEverythingOnlyWhenTheCountChanges) {
  Keyboard k(8);
  ASSERT_TRUE(k.host.loaded());
  k.press(60);
  k.press(64);
  k.play(0.1);
  k.host.setParameter(kVoices, voiceCount(8));
  k.host.setParameter(kVoices, voiceCount(8) + 0.05f);  // still "8"
  EXPECT_EQ(k.host.parameterDisplay(kVoices), "8");
  k.play(0.12);
  EXPECT_TRUE(present(k.note(60)));
  EXPECT_TRUE(present(k.note(64)));
  k.host.setParameter(kVoices, voiceCount(1));
  k.play(0.1);
  EXPECT_LT(k.lastPeak(0.05), kSilent);
  // The held keys were forgotten too: the single voice has nothing to go back to.
  k.press(67);
  k.play(0.05);
  k.lift(67);
  k.play(0.1);
  EXPECT_LT(k.lastPeak(0.05), kSilent);
}
