// The instrument's MIDI queue as the engine drains it at each control tick, and controllers
// reaching their mapped parameters.
#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "instrument/Sorvel.h"
#include "tests/alloc_counter.h"

using namespace sorvel;

namespace {

MidiMessage message(int offset, int status, int data1, int data2) {
  MidiMessage m;
  m.offset = offset;
  m.status = static_cast<std::uint8_t>(status);
  m.data1 = static_cast<std::uint8_t>(data1);
  m.data2 = static_cast<std::uint8_t>(data2);
  return m;
}

struct QueueFixture : ::testing::Test {
  QueueFixture() {
    plug.reset();
    plug.parameter(kVoices)->setClamped(6);  // 64 voices
    plug.parameterChanged(kVoices);
  }
  void render(int frames) {
    std::vector<double> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
    double* outputs[2] = {left.data(), right.data()};
    plug.render(nullptr, outputs, frames);
  }
  bool playing(int note) {
    for (int i = 0; i < Engine::kVoiceCount; ++i) {
      if (plug.engine().voice(i).keyDown && plug.engine().voice(i).lastNote == note) return true;
    }
    return false;
  }
  Sorvel plug{nullptr};
};

using NotesQueue = QueueFixture;

}  // namespace

TEST_F(NotesQueue, OffsetsUpToOnePeriodAreHandledAtTheFirstTick) {
  ASSERT_EQ(plug.engine().controlPeriod(), 44);
  plug.processMidiMessage(message(0, 0x90, 60, 100));
  plug.processMidiMessage(message(44, 0x90, 61, 100));
  plug.processMidiMessage(message(45, 0x90, 62, 100));
  plug.processMidiMessage(message(88, 0x90, 63, 100));
  plug.processMidiMessage(message(89, 0x90, 64, 100));
  render(1);  // the first tick
  EXPECT_TRUE(playing(60));
  EXPECT_TRUE(playing(61));
  EXPECT_FALSE(playing(62));
  EXPECT_EQ(plug.midiQueue().pending(), 3);
  EXPECT_EQ(plug.midiQueue().at(0).offset, 1);
  EXPECT_EQ(plug.midiQueue().at(2).offset, 45);  // every waiting event lost one period
  render(43);
  EXPECT_FALSE(playing(62));
  render(1);  // the second tick
  EXPECT_TRUE(playing(62));
  EXPECT_TRUE(playing(63));
  EXPECT_FALSE(playing(64));
  render(44);
  EXPECT_TRUE(playing(64));
  EXPECT_TRUE(plug.midiQueue().empty());
  EXPECT_EQ(plug.engine().noteCounter(), 5);
}

TEST_F(NotesQueue, EventsKeepTheirOrderWithinATick) {
  plug.processMidiMessage(message(3, 0x90, 60, 100));
  plug.processMidiMessage(message(10, 0x80, 60, 0));
  plug.processMidiMessage(message(20, 0x90, 60, 90));
  render(44);
  EXPECT_TRUE(playing(60));
  EXPECT_EQ(plug.engine().voice(0).velocity, 90);
}

TEST_F(NotesQueue, ALongBlockHandlesEachEventAtItsOwnTick) {
  plug.processMidiMessage(message(100, 0x90, 60, 100));
  plug.processMidiMessage(message(300, 0x90, 62, 100));
  render(133);  // ticks at 0, 44, 88, 132: 100 is due at the tick of sample 88 (third)
  EXPECT_TRUE(playing(60));
  EXPECT_FALSE(playing(62));
  render(400);
  EXPECT_TRUE(playing(62));
}

TEST_F(NotesQueue, MappedControllerSetsItsParameterOnlyWhenTheValueDiffers) {
  plug.controllerMap()[7] = kVolume;
  const double volumeFactor = plug.engine().output().volumeFactor;
  // The stored value already equals 127/127: the change handler must not run again.
  plug.parameter(kVolume)->setClamped(1.0);
  plug.processMidiMessage(message(0, 0xB0, 7, 127));
  render(44);
  EXPECT_EQ(plug.engine().output().volumeFactor, volumeFactor);  // unchanged
  EXPECT_EQ(plug.engine().state().sources[7 + 7], 1.0);  // the source moves in every case

  plug.processMidiMessage(message(0, 0xB0, 7, 0));
  render(44);
  EXPECT_EQ(plug.parameter(kVolume)->value(), 0.0);
  EXPECT_EQ(plug.engine().output().volumeFactor, 0.0);
}

TEST_F(NotesQueue, ParameterChangesReachTheEngine) {
  plug.parameter(kOctaveUp)->setClamped(1);
  plug.parameterChanged(kOctaveUp);
  EXPECT_EQ(plug.engine().settings().octaveShift, 1536.0);
  plug.parameter(kLfoSpeed)->setClamped(0.5);
  plug.parameterChanged(kLfoSpeed);
  EXPECT_DOUBLE_EQ(plug.engine().state().vibratoLfo.increment, 30.8736);
}

TEST_F(NotesQueue, AllNotesOffControllersStopEveryVoice) {
  plug.processMidiMessage(message(0, 0x90, 60, 100));
  render(44);
  ASSERT_TRUE(playing(60));
  plug.processMidiMessage(message(0, 0xB0, 123, 0));
  EXPECT_FALSE(playing(60));
  EXPECT_TRUE(plug.engine().heldNotes().empty());
}

// Hands the events to the plug-in as a host does, in one list longer than the record declares.
void hostSends(Sorvel& plug, const std::vector<vst2::VstMidiEvent>& events) {
  std::vector<vst2::VstIntPtr> storage(2 + events.size() + 2, 0);
  auto* list = reinterpret_cast<vst2::VstEvents*>(storage.data());
  list->numEvents = static_cast<vst2::VstInt32>(events.size());
  vst2::VstEvent** slots = list->events;
  for (std::size_t i = 0; i < events.size(); ++i) {
    slots[i] = reinterpret_cast<vst2::VstEvent*>(const_cast<vst2::VstMidiEvent*>(&events[i]));
  }
  test::AllocationScope scope;
  plug.effect()->dispatcher(plug.effect(), vst2::effProcessEvents, 0, 0, list, 0.0f);
  EXPECT_EQ(scope.count(), 0);
}

vst2::VstMidiEvent hostEvent(int deltaFrames, int status, int data1, int data2) {
  vst2::VstMidiEvent event{};
  event.type = vst2::kVstMidiType;
  event.byteSize = sizeof(event);
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return event;
}

TEST_F(NotesQueue, ATenThousandEventBurstIsQueuedWithoutAllocating) {
  std::vector<vst2::VstMidiEvent> burst;
  for (int i = 0; i < 10000; ++i) burst.push_back(hostEvent(i / 20, i % 2 ? 0x80 : 0x90, 36 + i / 2 % 48, 100));
  hostSends(plug, burst);
  EXPECT_EQ(plug.midiQueue().pending(), 10000);
  render(1024);
  EXPECT_TRUE(plug.midiQueue().empty());
  for (int note = 36; note < 84; ++note) EXPECT_FALSE(playing(note)) << note;
}

TEST_F(NotesQueue, WildHostOffsetsAreHeardWithinTheBlock) {
  hostSends(plug, {hostEvent(INT_MIN, 0x90, 60, 100), hostEvent(INT_MAX, 0x90, 62, 100), hostEvent(10, 0x90, 61, 100)});
  render(44);
  EXPECT_TRUE(playing(60));
  EXPECT_TRUE(playing(61));
  render(plug.blockSize());
  EXPECT_TRUE(playing(62));
  EXPECT_TRUE(plug.midiQueue().empty());
}
