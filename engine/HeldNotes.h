// The keys that note events report as down, with the velocity each was last struck with; ordered
// by note number, so the highest held key is found from the top. Fixed storage: no allocation.
#pragma once

#include <array>

namespace sorvel {

class HeldNotes {
 public:
  static constexpr int kNoteCount = 128;

  void press(int note, int velocity) {
    if (!valid(note)) return;
    if (velocities_[static_cast<std::size_t>(note)] < 0) ++count_;
    velocities_[static_cast<std::size_t>(note)] = velocity;
  }

  void release(int note) {
    if (!valid(note) || velocities_[static_cast<std::size_t>(note)] < 0) return;
    velocities_[static_cast<std::size_t>(note)] = -1;
    --count_;
  }

  void clear() {
    velocities_.fill(-1);
    count_ = 0;
  }

  bool empty() const { return count_ == 0; }
  int size() const { return count_; }
  bool held(int note) const { return valid(note) && velocities_[static_cast<std::size_t>(note)] >= 0; }
  int velocity(int note) const { return held(note) ? velocities_[static_cast<std::size_t>(note)] : -1; }

  // The highest held note, or -1 when none is held.
  int highest() const {
    for (int note = kNoteCount - 1; note >= 0; --note) {
      if (velocities_[static_cast<std::size_t>(note)] >= 0) return note;
    }
    return -1;
  }

 private:
  static bool valid(int note) { return note >= 0 && note < kNoteCount; }

  std::array<int, kNoteCount> velocities_ = filled();
  int count_ = 0;

  static constexpr std::array<int, kNoteCount> filled() {
    std::array<int, kNoteCount> a{};
    a.fill(-1);
    return a;
  }
};

}  // namespace sorvel
