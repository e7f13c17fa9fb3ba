// Incoming MIDI messages waiting for the engine's next control tick, kept sorted by sample offset
// (equal offsets in arrival order). Storage comes in whole pages and is sized at Reset for the
// bursts a host block can bring, so the audio thread adds without allocating.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/MidiMessage.h"

namespace sorvel {

class MidiEventQueue {
 public:
  static constexpr int kPageBytes = 4096;

  // Room for the events a block of the given length can bring; at least kBurstEvents.
  static constexpr int kBurstEvents = 16384;
  static int burstCapacity(int blockFrames);

  explicit MidiEventQueue(int growth = 1024);

  // Grows when full.
  void add(const MidiMessage& message);
  // Never allocates. When full, a note-off still finds room: the newest waiting event that is not
  // a note-off gives way, or, when only note-offs wait, a repeated one. False when dropped.
  bool addWithinCapacity(const MidiMessage& message);
  void resize(int count);
  void compact();
  bool expand();

  // Count rounded up so that its storage fills whole pages.
  static int roundToPages(int count);

  bool empty() const { return front_ >= back_; }
  int pending() const { return back_ - front_; }
  MidiMessage& at(int i) { return buffer_[static_cast<std::size_t>(front_ + i)]; }
  const MidiMessage& at(int i) const { return buffer_[static_cast<std::size_t>(front_ + i)]; }
  // Drops the first count pending messages.
  void consume(int count);
  void clear() { front_ = back_ = 0; }

  int capacity() const { return capacity_; }
  int growth() const { return growth_; }

 private:
  bool reallocate(int newCapacity);
  void insertSorted(const MidiMessage& message);
  void erase(int index);
  bool makeRoomForNoteOff(const MidiMessage& message);

  std::unique_ptr<MidiMessage[]> buffer_;
  int capacity_ = 0;
  int growth_ = 0;
  int front_ = 0;
  int back_ = 0;
};

}  // namespace sorvel
