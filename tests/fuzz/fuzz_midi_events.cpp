// MIDI event lists and process calls as a host makes them, in any order: each operation byte
// says what comes next (an event list, a process call of some length, a new block size or rate).
#include <vector>

#include "tests/fuzz/FuzzSupport.h"

using namespace vst2;

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool more() const { return at_ < size_; }
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::int32_t int32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return static_cast<std::int32_t>(v);
  }
  const std::uint8_t* rest(std::size_t& count) {
    count = std::min(count, size_ - at_);
    const std::uint8_t* p = data_ + at_;
    at_ += count;
    return p;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

constexpr float kRates[] = {44100.0f, 22050.0f, 48000.0f, 96000.0f, 192000.0f, 8000.0f, 1.0f, 1e7f};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const float rate = kRates[in.byte() % 8];
  sorvel::Sorvel& plug = fuzzing::instanceAsNew(false, rate, 1 + in.byte() * 8);
  AEffect* e = plug.effect();
  int framesLeft = 1 << 16;  // keeps one input quick
  std::vector<VstMidiEvent> midi;
  std::vector<VstMidiSysexEvent> sysex;
  std::vector<VstIntPtr> list;
  while (in.more() && framesLeft > 0) {
    const std::uint8_t op = in.byte();
    if (op < 0xC0) {
      const int count = op % 64 + 1;
      midi.assign(static_cast<std::size_t>(count), VstMidiEvent{});
      sysex.assign(static_cast<std::size_t>(count), VstMidiSysexEvent{});
      list.assign(2 + static_cast<std::size_t>(count), 0);
      auto* events = reinterpret_cast<VstEvents*>(list.data());
      events->numEvents = count;
      VstEvent** slots = events->events;
      for (int i = 0; i < count; ++i) {
        const std::uint8_t kind = in.byte();
        if (kind < 0xF0) {
          VstMidiEvent& m = midi[static_cast<std::size_t>(i)];
          m.type = kVstMidiType;
          m.byteSize = sizeof(m);
          m.deltaFrames = kind < 0x80 ? in.byte() * 4 : in.int32();
          for (char& b : m.midiData) b = static_cast<char>(in.byte());
          slots[i] = reinterpret_cast<VstEvent*>(&m);
        } else {
          VstMidiSysexEvent& s = sysex[static_cast<std::size_t>(i)];
          s.type = kVstSysExType;
          s.byteSize = sizeof(s);
          s.deltaFrames = in.byte();
          std::size_t length = in.byte();
          s.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(in.rest(length)));
          s.dumpBytes = static_cast<VstInt32>(length);
          slots[i] = reinterpret_cast<VstEvent*>(&s);
        }
      }
      e->dispatcher(e, effProcessEvents, 0, 0, events, 0.0f);
    } else if (op < 0xF8) {
      const int frames = 1 + ((in.byte() << 8) | in.byte()) % 8192;
      fuzzing::renderFrames(plug, frames);
      framesLeft -= frames;
    } else if (op < 0xFC) {
      e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
      e->dispatcher(e, effSetBlockSize, 0, 1 + ((in.byte() << 8) | in.byte()) % 8192, nullptr, 0.0f);
      e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    } else {
      e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, kRates[in.byte() % 8]);
    }
  }
  return 0;
}
