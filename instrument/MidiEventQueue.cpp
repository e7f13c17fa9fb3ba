#include "instrument/MidiEventQueue.h"

#include <algorithm>
#include <new>

namespace sorvel {

static_assert(sizeof(MidiMessage) == 8, "a queued message is 8 bytes: 512 fill a page");

MidiEventQueue::MidiEventQueue(int growth) : growth_(growth) { reallocate(growth); }

int MidiEventQueue::roundToPages(int count) {
  constexpr int perPage = kPageBytes / static_cast<int>(sizeof(MidiMessage));
  if (count <= 0) return 0;
  return (count + perPage - 1) / perPage * perPage;
}

bool MidiEventQueue::reallocate(int newCapacity) {
  if (newCapacity < pending()) return false;
  std::unique_ptr<MidiMessage[]> fresh(new (std::nothrow) MidiMessage[static_cast<std::size_t>(std::max(newCapacity, 1))]);
  if (!fresh) return false;
  if (buffer_) std::copy(buffer_.get() + front_, buffer_.get() + back_, fresh.get());
  back_ -= front_;
  front_ = 0;
  buffer_ = std::move(fresh);
  capacity_ = newCapacity;
  return true;
}

void MidiEventQueue::compact() {
  if (front_ <= 0) return;
  std::copy(buffer_.get() + front_, buffer_.get() + back_, buffer_.get());
  back_ -= front_;
  front_ = 0;
}

bool MidiEventQueue::expand() {
  if (growth_ <= 0) return false;
  return reallocate((capacity_ / growth_ + 1) * growth_);
}

void MidiEventQueue::resize(int count) {
  compact();
  growth_ = roundToPages(count);
  const int target = std::max(growth_, roundToPages(pending()));
  if (target != capacity_) reallocate(target);
}

int MidiEventQueue::burstCapacity(int blockFrames) {
  // Two events a frame beyond the minimum, bounded so absurd block sizes cost no more than 2 MiB.
  constexpr int kMostEvents = 1 << 18;
  return roundToPages(std::clamp(2 * std::max(0, std::min(blockFrames, kMostEvents)), kBurstEvents, kMostEvents));
}

namespace {

bool isNoteOff(const MidiMessage& m) {
  return m.kind() == kMidiNoteOff || (m.kind() == kMidiNoteOn && (m.data2 & kMidiDataMask) == 0);
}

// The engine hears every channel alike: a key is its note number.
int keyOf(const MidiMessage& m) { return m.data1 & kMidiDataMask; }

}  // namespace

void MidiEventQueue::add(const MidiMessage& message) {
  if (back_ >= capacity_) {
    if (front_ > 0) {
      compact();
    } else if (!expand()) {
      return;  // dropped: no room and no memory
    }
  }
  insertSorted(message);
}

bool MidiEventQueue::addWithinCapacity(const MidiMessage& message) {
  if (back_ >= capacity_) compact();
  if (back_ >= capacity_ && !(isNoteOff(message) && makeRoomForNoteOff(message))) return false;
  insertSorted(message);
  return true;
}

bool MidiEventQueue::makeRoomForNoteOff(const MidiMessage& message) {
  const MidiMessage* q = buffer_.get();
  // A missed note-on or controller move is a missed touch; a missed note-off is a hanging note.
  for (int i = back_ - 1; i >= front_; --i) {
    if (!isNoteOff(q[i])) {
      erase(i);
      return true;
    }
  }
  // Only note-offs wait. A key's second note-off with no note-on between changes nothing, so a
  // newcomer for a waiting key is not needed, and otherwise a repeat gives way (there is one:
  // far more note-offs wait than there are keys).
  bool waiting[kMidiNoteCount] = {};
  for (int i = front_; i < back_; ++i) waiting[keyOf(q[i])] = true;
  if (waiting[keyOf(message)]) return false;
  bool seen[kMidiNoteCount] = {};
  for (int i = front_; i < back_; ++i) {
    if (seen[keyOf(q[i])]) {
      erase(i);
      return true;
    }
    seen[keyOf(q[i])] = true;
  }
  return false;
}

void MidiEventQueue::erase(int index) {
  MidiMessage* q = buffer_.get();
  std::copy(q + index + 1, q + back_, q + index);
  --back_;
}

void MidiEventQueue::insertSorted(const MidiMessage& message) {
  MidiMessage* q = buffer_.get();
  if (!empty() && message.offset < q[back_ - 1].offset) {
    int i = back_ - 2;
    while (i >= front_ && message.offset < q[i].offset) --i;
    // Insert just after where the search stopped; later messages move one place up.
    std::copy_backward(q + i + 1, q + back_, q + back_ + 1);
    q[i + 1] = message;
  } else {
    q[back_] = message;
  }
  ++back_;
}

void MidiEventQueue::consume(int count) {
  front_ = std::min(back_, front_ + std::max(0, count));
  if (front_ == back_) front_ = back_ = 0;
}

}  // namespace sorvel
