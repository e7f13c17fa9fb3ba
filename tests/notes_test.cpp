// Note handling: voice choice, single-voice return, sustain pedal, all notes off and the other
// channel messages.
#include <cmath>

#include <gtest/gtest.h>

#include "dsp/EngineTables.h"
#include "engine/Engine.h"
#include "tests/engine_test_support.h"

using namespace sorvel;
using namespace sorvel::test;

namespace {

// An engine at 44.1 kHz with the given "Voices" value (0 = 1 voice ... 6 = 64).
struct NoteFixture : ::testing::Test {
  void useVoices(double value) { engine.parameterChanged(kVoices, value); }
  void tick(int count = 1) {
    std::vector<double> left(44), right(44);
    for (int i = 0; i < count; ++i) engine.render(left.data(), right.data(), 44, host);
  }
  Engine engine;
  RecordingHost host;
};

using Notes = NoteFixture;
using MonoNotes = NoteFixture;
using Controllers = NoteFixture;

}  // namespace

TEST_F(Notes, FreeVoicesAreTakenLowestFirst) {
  useVoices(2);  // 4 voices
  noteOn(engine, host, 60, 10);
  noteOn(engine, host, 62, 20);
  noteOn(engine, host, 64, 30);
  EXPECT_EQ(engine.voice(0).lastNote, 60);
  EXPECT_EQ(engine.voice(1).lastNote, 62);
  EXPECT_EQ(engine.voice(2).lastNote, 64);
  EXPECT_EQ(engine.voice(2).velocity, 30);
  EXPECT_EQ(engine.voice(2).serial, 3);
  EXPECT_TRUE(engine.voice(2).keyDown);
  EXPECT_EQ(engine.noteCounter(), 3);
}

TEST_F(Notes, AllVoicesBusyStealsTheOldest) {
  useVoices(2);
  for (int note : {60, 62, 64, 65}) noteOn(engine, host, note);
  noteOn(engine, host, 67);
  EXPECT_EQ(engine.voice(0).lastNote, 67);
  EXPECT_EQ(engine.voice(0).serial, 5);
  noteOn(engine, host, 69);
  EXPECT_EQ(engine.voice(1).lastNote, 69);
  // Voices beyond the ones in use are never chosen.
  for (int i = 4; i < Engine::kVoiceCount; ++i) EXPECT_FALSE(engine.voice(i).active) << i;
}

TEST_F(Notes, ANoteAlreadyPlayedReusesItsVoiceEvenWhileReleasing) {
  useVoices(2);
  noteOn(engine, host, 60);
  noteOn(engine, host, 62);
  noteOff(engine, host, 60);
  ASSERT_TRUE(releasing(engine.voice(0)));
  ASSERT_TRUE(engine.voice(0).active);
  noteOn(engine, host, 60);  // voices 2 and 3 are free, but voice 0 played this note
  EXPECT_EQ(engine.voice(0).serial, 3);
  EXPECT_TRUE(engine.voice(0).keyDown);
  EXPECT_FALSE(engine.voice(2).active);
}

TEST_F(Notes, NoteOffReleasesTheVoiceOfThatNoteOnly) {
  useVoices(2);
  noteOn(engine, host, 60);
  noteOn(engine, host, 62);
  noteOff(engine, host, 62);
  EXPECT_FALSE(engine.voice(1).keyDown);
  EXPECT_TRUE(releasing(engine.voice(1)));
  EXPECT_TRUE(engine.voice(0).keyDown);
  EXPECT_FALSE(releasing(engine.voice(0)));
  EXPECT_TRUE(engine.heldNotes().held(60));
  EXPECT_FALSE(engine.heldNotes().held(62));
}

TEST_F(Notes, NoteOffForAnUnplayedNoteOnlyTouchesTheHeldNotes) {
  useVoices(2);
  noteOn(engine, host, 60);
  noteOff(engine, host, 72);
  EXPECT_TRUE(engine.voice(0).keyDown);
  EXPECT_FALSE(releasing(engine.voice(0)));
  EXPECT_EQ(engine.heldNotes().size(), 1);
}

TEST_F(Notes, VelocityZeroNoteOnIsANoteOff) {
  useVoices(2);
  noteOn(engine, host, 60);
  engine.handleEvent(0x93, 60, 0, host);  // any channel
  EXPECT_FALSE(engine.voice(0).keyDown);
  EXPECT_TRUE(releasing(engine.voice(0)));
  EXPECT_EQ(engine.noteCounter(), 1);
  EXPECT_TRUE(engine.heldNotes().empty());
}

TEST_F(Notes, AllChannelsPlayAndOnlyChannelMessagesAct) {
  useVoices(2);
  engine.handleEvent(0x9F, 60, 100, host);
  EXPECT_EQ(engine.voice(0).lastNote, 60);
  engine.handleEvent(0x7F, 62, 100, host);  // a data byte, not a status
  engine.handleEvent(0xF0, 62, 100, host);  // system messages
  engine.handleEvent(0xA0, 62, 100, host);  // polyphonic pressure
  engine.handleEvent(0xC0, 62, 0, host);    // program change is the instrument's
  EXPECT_EQ(engine.noteCounter(), 1);
  EXPECT_EQ(engine.heldNotes().size(), 1);
}

TEST_F(Notes, DataBytesAreSevenBits) {
  useVoices(2);
  engine.handleEvent(0x90, 0x80 | 60, 0x80 | 100, host);
  EXPECT_EQ(engine.voice(0).lastNote, 60);
  EXPECT_EQ(engine.voice(0).velocity, 100);
  engine.handleEvent(0xB0, 0x80 | 1, 0xFF, host);
  EXPECT_EQ(engine.state().sources[8], 1.0);
}

TEST_F(Notes, PedalHoldsReleasedKeysUntilLifted) {
  useVoices(2);
  controller(engine, host, 64, 127);
  for (int i = 0; i < Engine::kVoiceCount; ++i) EXPECT_TRUE(engine.voice(i).keyHold) << i;
  EXPECT_EQ(engine.state().sources[71], 1.0);
  noteOn(engine, host, 60);
  noteOff(engine, host, 60);
  EXPECT_FALSE(engine.voice(0).keyDown);
  EXPECT_FALSE(releasing(engine.voice(0)));
  noteOn(engine, host, 62);
  controller(engine, host, 64, 0);
  EXPECT_EQ(engine.state().sources[71], 0.0);
  EXPECT_TRUE(releasing(engine.voice(0)));
  EXPECT_FALSE(releasing(engine.voice(1)));  // its key is still down
  EXPECT_FALSE(engine.voice(1).keyHold);
}

TEST_F(Notes, AllNotesOffReleasesEveryVoiceAndForgetsTheKeys) {
  useVoices(2);
  controller(engine, host, 64, 100);
  noteOn(engine, host, 60);
  noteOn(engine, host, 62);
  engine.allNotesOff();
  EXPECT_TRUE(engine.heldNotes().empty());
  for (int i = 0; i < Engine::kVoiceCount; ++i) {
    EXPECT_FALSE(engine.voice(i).keyDown) << i;
    EXPECT_FALSE(engine.voice(i).keyHold) << i;
  }
  EXPECT_TRUE(releasing(engine.voice(0)));
  EXPECT_TRUE(releasing(engine.voice(1)));
}

TEST_F(Notes, VoicesChangeReleasesOnlyOnARealChange) {
  useVoices(3);  // 8
  EXPECT_EQ(engine.voicesInUse(), 8);
  noteOn(engine, host, 60);
  useVoices(3);
  EXPECT_TRUE(engine.voice(0).keyDown);
  EXPECT_FALSE(releasing(engine.voice(0)));
  EXPECT_FALSE(engine.heldNotes().empty());
  useVoices(4);
  EXPECT_EQ(engine.voicesInUse(), 16);
  EXPECT_FALSE(engine.voice(0).keyDown);
  EXPECT_TRUE(releasing(engine.voice(0)));
  EXPECT_TRUE(engine.heldNotes().empty());
}

TEST_F(Notes, VoicesValueOutsideItsRangeIsHeldToIt) {
  useVoices(100);
  EXPECT_EQ(engine.voicesInUse(), 64);
  useVoices(std::nan(""));
  EXPECT_EQ(engine.voicesInUse(), 1);
  useVoices(-3);
  EXPECT_EQ(engine.voicesInUse(), 1);
}

TEST_F(Notes, ResetStartsCountingAgain) {
  noteOn(engine, host, 60);
  noteOn(engine, host, 61);
  engine.reset(44100);
  noteOn(engine, host, 62);
  EXPECT_EQ(engine.voice(0).serial, 1);
}

TEST_F(Notes, PitchIsTheNoteUnlessATuningIsConnected) {
  useVoices(2);
  noteOn(engine, host, 60);
  EXPECT_EQ(startedPitch(engine.voice(0)), 60 * 128.0);
  host.tuning = true;
  host.frequencyOfNote = 440.0;
  noteOn(engine, host, 61);
  EXPECT_EQ(startedPitch(engine.voice(1)), frequencyToPitch(440.0));
  EXPECT_NEAR(startedPitch(engine.voice(1)), 69 * 128.0, 1.0);
}

TEST_F(Notes, FilteredNotesAreDroppedOnlyWhileATuningIsConnected) {
  useVoices(2);
  host.filteredNote = 60;
  noteOn(engine, host, 60);
  EXPECT_EQ(engine.noteCounter(), 1);  // no tuning: nothing is filtered
  host.tuning = true;
  noteOn(engine, host, 60);
  EXPECT_EQ(engine.noteCounter(), 1);
  EXPECT_EQ(engine.heldNotes().velocity(60), 100);
}

TEST_F(MonoNotes, ReleasingTheTopKeyReturnsToTheHighestHeldWithoutANewAttack) {
  useVoices(0);
  for (int preset = 0; preset < kPresetCount; ++preset) engine.parameterChanged(presetParameter(preset, kPresetAttack), 0.0);
  noteOn(engine, host, 60, 90);
  tick(5);
  noteOn(engine, host, 64, 70);
  tick(5);
  ASSERT_TRUE(allEnvelopesIn(engine.voice(0), Envelope::kDecaySustain));  // attacks are over
  EXPECT_EQ(engine.voice(0).serial, 2);
  noteOff(engine, host, 64);
  EXPECT_EQ(engine.voice(0).lastNote, 60);
  EXPECT_EQ(engine.voice(0).serial, 2);     // its own serial again
  EXPECT_EQ(engine.voice(0).velocity, 70);  // and its own velocity
  EXPECT_EQ(engine.noteCounter(), 2);
  EXPECT_TRUE(engine.voice(0).keyDown);
  EXPECT_FALSE(releasing(engine.voice(0)));
  EXPECT_TRUE(allEnvelopesIn(engine.voice(0), Envelope::kDecaySustain));
  EXPECT_EQ(startedPitch(engine.voice(0)), 60 * 128.0);

  noteOff(engine, host, 60);
  EXPECT_FALSE(engine.voice(0).keyDown);
  EXPECT_TRUE(releasing(engine.voice(0)));
}

TEST_F(MonoNotes, ReturnGoesToTheHighestKeyNotTheLatest) {
  useVoices(0);
  noteOn(engine, host, 72);
  noteOn(engine, host, 60);
  noteOn(engine, host, 65);
  noteOff(engine, host, 65);
  EXPECT_EQ(engine.voice(0).lastNote, 72);
}

TEST_F(MonoNotes, ReleasingAKeyTheVoiceIsNotPlayingChangesNothing) {
  useVoices(0);
  noteOn(engine, host, 60);
  noteOn(engine, host, 64);
  noteOff(engine, host, 60);
  EXPECT_EQ(engine.voice(0).lastNote, 64);
  EXPECT_TRUE(engine.voice(0).keyDown);
  EXPECT_FALSE(releasing(engine.voice(0)));
}

TEST_F(Controllers, ModWheelAndPedalOnlySetTheirSources) {
  controller(engine, host, 1, 127);
  controller(engine, host, 64, 127);
  EXPECT_EQ(engine.state().sources[8], 1.0);
  EXPECT_EQ(engine.state().sources[71], 1.0);
  EXPECT_TRUE(host.controllers.empty());
}

TEST_F(Controllers, OtherControllersGoToTheHostAndTheirSource) {
  controller(engine, host, 7, 127);
  controller(engine, host, 119, 0);
  controller(engine, host, 0, 64);
  ASSERT_EQ(host.controllers.size(), 3u);
  EXPECT_EQ(host.controllers[0].first, 7);
  EXPECT_EQ(host.controllers[0].second, 1.0);
  EXPECT_EQ(host.controllers[2].second, 64 / 127.0);
  EXPECT_EQ(engine.state().sources[7 + 7], 1.0);
  EXPECT_EQ(engine.state().sources[7], 64 / 127.0);
  // Channel-mode messages are not modulation sources; the velocity entry stays 0.
  controller(engine, host, 120, 127);
  controller(engine, host, 127, 127);
  EXPECT_EQ(host.controllers.size(), 3u);
  EXPECT_EQ(engine.state().sources[127], 0.0);
}

TEST_F(Controllers, PitchBendAndChannelPressure) {
  engine.handleEvent(0xE0, 0, 0, host);
  EXPECT_EQ(engine.state().pitchBend, -1.0);
  EXPECT_EQ(engine.state().sources[2], -1.0);
  engine.handleEvent(0xE0, 127, 127, host);
  EXPECT_EQ(engine.state().pitchBend, 8191.0 / 8192.0);
  engine.handleEvent(0xE0, 0, 64, host);
  EXPECT_EQ(engine.state().pitchBend, 0.0);
  engine.handleEvent(0xD0, 127, 0, host);
  EXPECT_EQ(engine.state().channelPressure, 1.0);
  EXPECT_EQ(engine.state().sources[3], 1.0);
}

TEST_F(Notes, KeyHoldKeepsReleasedKeysSoundingUntilSwitchedOff) {
  useVoices(2);
  engine.parameterChanged(kKeyHold, 1);
  for (int i = 0; i < Engine::kVoiceCount; ++i) EXPECT_TRUE(engine.voice(i).keyHold) << i;
  noteOn(engine, host, 60);
  noteOn(engine, host, 64);
  noteOff(engine, host, 60);
  EXPECT_FALSE(releasing(engine.voice(0)));
  engine.parameterChanged(kKeyHold, 0);
  EXPECT_TRUE(releasing(engine.voice(0)));
  EXPECT_FALSE(releasing(engine.voice(1)));  // still held down
}

TEST_F(Notes, LiftingThePedalAlsoEndsKeyHold) {
  useVoices(2);
  engine.parameterChanged(kKeyHold, 1);
  noteOn(engine, host, 60);
  noteOff(engine, host, 60);
  controller(engine, host, 64, 0);
  EXPECT_TRUE(releasing(engine.voice(0)));
  EXPECT_FALSE(engine.voice(0).keyHold);
}

TEST_F(Notes, ReleasedVoicesFallSilentAndBecomeFree) {
  useVoices(1);  // 2 voices
  engine.parameterChanged(presetSwitch(kSaw8), 1);
  noteOn(engine, host, 60);
  tick(3);
  noteOff(engine, host, 60);
  tick(200);  // the default release of 0.01 is over within a few milliseconds
  EXPECT_FALSE(engine.voice(0).active);
  noteOn(engine, host, 62);
  noteOn(engine, host, 64);
  EXPECT_EQ(engine.voice(0).lastNote, 62);  // free again, lowest first
  EXPECT_EQ(engine.voice(1).lastNote, 64);
}

TEST_F(Notes, ATuningFrequencyThatIsNotANumberStillGivesAPitchInRange) {
  useVoices(2);
  engine.parameterChanged(presetSwitch(kSaw8), 1);
  host.tuning = true;
  host.frequencyOfNote = std::nan("");
  noteOn(engine, host, 60);
  const double pitch = startedPitch(engine.voice(0));
  EXPECT_TRUE(pitch >= 1 && pitch <= 17279);
  host.frequencyOfNote = HUGE_VAL;
  noteOn(engine, host, 61);
  EXPECT_LE(startedPitch(engine.voice(1)), 17279);
  tick(3);
  EXPECT_TRUE(std::isfinite(engine.state().synthePitchModulation));
}
