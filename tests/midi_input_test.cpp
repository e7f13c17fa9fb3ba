// The MIDI event queue and the controller-learn procedure.
#include <gtest/gtest.h>

#include "instrument/MidiEventQueue.h"
#include "instrument/Sorvel.h"

using namespace sorvel;

namespace {

MidiMessage note(int offset, int number = 60) {
  MidiMessage m;
  m.offset = offset;
  m.status = statusByte(kMidiNoteOn, 0);
  m.data1 = static_cast<std::uint8_t>(number);
  m.data2 = 100;
  return m;
}

MidiMessage controller(int number, int value) {
  MidiMessage m;
  m.status = statusByte(kMidiControlChange, 0);
  m.data1 = static_cast<std::uint8_t>(number);
  m.data2 = static_cast<std::uint8_t>(value);
  return m;
}

}  // namespace

TEST(MidiEventQueue, KeepsOffsetOrderAndArrivalOrderForTies) {
  MidiEventQueue queue;
  queue.add(note(10, 1));
  queue.add(note(5, 2));
  queue.add(note(5, 3));
  queue.add(note(7, 4));
  ASSERT_EQ(queue.pending(), 4);
  EXPECT_EQ(queue.at(0).data1, 2);
  EXPECT_EQ(queue.at(1).data1, 3);
  EXPECT_EQ(queue.at(2).data1, 4);
  EXPECT_EQ(queue.at(3).data1, 1);
}

TEST(MidiEventQueue, ResizeRoundsToWholePages) {
  MidiEventQueue queue;
  queue.resize(100);
  EXPECT_EQ(queue.growth(), 512);
  EXPECT_EQ(queue.capacity(), 512);
  queue.resize(513);
  EXPECT_EQ(queue.growth(), 1024);
  for (int i = 0; i < 600; ++i) queue.add(note(i));
  queue.resize(10);
  EXPECT_EQ(queue.capacity(), 1024);  // never below what is queued
  EXPECT_EQ(queue.pending(), 600);
}

TEST(MidiEventQueue, CompactsInsteadOfGrowingWhenTheFrontWasConsumed) {
  MidiEventQueue queue;
  queue.resize(1);
  for (int i = 0; i < 512; ++i) queue.add(note(i));
  queue.consume(10);
  queue.add(note(1000));
  EXPECT_EQ(queue.capacity(), 512);
  EXPECT_EQ(queue.pending(), 503);
  EXPECT_EQ(queue.at(502).offset, 1000);
}

TEST(MidiEventQueue, GrowsByItsGrowthWhenFull) {
  MidiEventQueue queue;
  queue.resize(1);
  for (int i = 0; i < 513; ++i) queue.add(note(i));
  EXPECT_EQ(queue.capacity(), 1024);
  EXPECT_EQ(queue.pending(), 513);
}

TEST(MidiEventQueue, WhenFullNoteOffsStillFindRoomWithoutGrowing) {
  auto noteOff = [](int offset, int number, bool asZeroVelocity = false) {
    MidiMessage m = note(offset, number);
    if (asZeroVelocity) {
      m.data2 = 0;
    } else {
      m.status = statusByte(kMidiNoteOff, 0);
    }
    return m;
  };
  MidiEventQueue queue;
  queue.resize(1);
  for (int i = 0; i < 512; ++i) ASSERT_TRUE(queue.addWithinCapacity(note(i, i % 128)));
  EXPECT_FALSE(queue.addWithinCapacity(note(600, 5)));
  EXPECT_TRUE(queue.addWithinCapacity(noteOff(600, 5, true)));
  EXPECT_EQ(queue.capacity(), 512);
  EXPECT_EQ(queue.at(510).offset, 510);  // the newest note-on gave way
  EXPECT_EQ(queue.at(511).offset, 600);

  MidiEventQueue offs;
  offs.resize(1);
  for (int i = 0; i < 512; ++i) ASSERT_TRUE(offs.addWithinCapacity(noteOff(i, i % 100)));
  EXPECT_FALSE(offs.addWithinCapacity(noteOff(900, 3)));  // key 3 is released anyway
  EXPECT_TRUE(offs.addWithinCapacity(noteOff(900, 120)));
  EXPECT_EQ(offs.capacity(), 512);
  EXPECT_EQ(offs.at(100).offset, 101);  // the first repeat gave way
  EXPECT_EQ(offs.at(511).data1, 120);
}

TEST(MidiLearn, ControllerThenParameterPairsThem) {
  Sorvel plug(nullptr);
  plug.armLearn(true, false);
  plug.processMidiMessage(controller(7, 64));
  EXPECT_TRUE(plug.learning());
  EXPECT_TRUE(plug.midiQueue().empty());  // captured, not queued
  plug.parameterChanged(kVolume);
  EXPECT_FALSE(plug.learning());
  EXPECT_EQ(plug.mappedParameter(7), kVolume);
  plug.processMidiMessage(controller(7, 64));
  EXPECT_EQ(plug.midiQueue().pending(), 1);  // not learning: queued
}

TEST(MidiLearn, ReplacesAnEarlierMappingOfTheParameter) {
  Sorvel plug(nullptr);
  plug.controllerMap()[21] = kSensorIntensity;
  plug.armLearn(true, false);
  plug.parameterChanged(kSensorIntensity);
  plug.processMidiMessage(controller(20, 1));
  EXPECT_EQ(plug.mappedParameter(20), kSensorIntensity);
  EXPECT_EQ(plug.mappedParameter(21), -1);
}

TEST(MidiLearn, UnlearnClearsByControllerOrByParameter) {
  Sorvel plug(nullptr);
  plug.controllerMap()[20] = kSensorMode;
  plug.controllerMap()[40] = kPanSynthe;
  plug.armLearn(true, true);
  plug.processMidiMessage(controller(20, 0));
  EXPECT_EQ(plug.mappedParameter(20), -1);
  EXPECT_FALSE(plug.learning());
  EXPECT_FALSE(plug.unlearnMode());
  plug.armLearn(true, true);
  plug.parameterChanged(kPanSynthe);
  EXPECT_EQ(plug.mappedParameter(40), -1);
}

TEST(MidiLearn, ParameterIndexBeyondTheTableNeverArmsAPairing) {
  Sorvel plug(nullptr);
  plug.armLearn(true, false);
  plug.parameterChanged(kParameterCount);
  EXPECT_EQ(plug.capturedParameter(), -1);
  plug.reset();
  EXPECT_FALSE(plug.learning());
}

TEST(MidiInput, ProgramChangesRecallOrAreIgnored) {
  Sorvel plug(nullptr);
  plug.fillEmptyPrograms(64);
  MidiMessage change;
  change.status = statusByte(kMidiProgramChange, 0);
  change.data1 = 70;
  plug.processMidiMessage(change);
  EXPECT_EQ(plug.currentProgram(), 0);
  change.data1 = 12;
  plug.configuration().ignoreProgramChange = true;
  plug.processMidiMessage(change);
  EXPECT_EQ(plug.currentProgram(), 0);
  plug.configuration().ignoreProgramChange = false;
  plug.processMidiMessage(change);
  EXPECT_EQ(plug.currentProgram(), 12);
}

TEST(MidiInput, WhatIsQueuedAndWhatIsNot) {
  Sorvel plug(nullptr);
  plug.processMidiMessage(note(0));
  MidiMessage m;
  m.status = statusByte(kMidiPolyPressure, 0);
  plug.processMidiMessage(m);
  m.status = statusByte(kMidiPitchBend, 0);
  plug.processMidiMessage(m);
  m.status = statusByte(kMidiChannelPressure, 0);
  plug.processMidiMessage(m);
  plug.processMidiMessage(controller(121, 0));
  plug.processMidiMessage(controller(123, 0));
  m.status = 0xF8;
  plug.processMidiMessage(m);
  EXPECT_EQ(plug.midiQueue().pending(), 3);
}
