#include "tools/render/MidiFileReader.h"

#include "framework/MidiMessage.h"

namespace render {
namespace {

class Reader {
 public:
  Reader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  std::size_t left() const { return size_ - at_; }
  bool done() const { return at_ == size_; }
  std::size_t position() const { return at_; }

  bool byte(std::uint8_t& value) {
    if (at_ >= size_) return false;
    value = bytes_[at_++];
    return true;
  }
  bool bigEndian(int count, std::uint32_t& value) {
    if (left() < static_cast<std::size_t>(count)) return false;
    value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes_[at_++];
    return true;
  }
  // At most four bytes, as the file format allows.
  bool variableLength(std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b = 0;
      if (!byte(b)) return false;
      value = (value << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  bool skip(std::size_t count) {
    if (left() < count) return false;
    at_ += count;
    return true;
  }
  bool tag(const char* name) {
    if (left() < 4) return false;
    for (int i = 0; i < 4; ++i) {
      if (bytes_[at_ + static_cast<std::size_t>(i)] != static_cast<std::uint8_t>(name[i])) return false;
    }
    at_ += 4;
    return true;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t at_ = 0;
};

int dataBytesOf(std::uint8_t status) {
  const int kind = status >> 4;
  return kind == sorvel::kMidiProgramChange || kind == sorvel::kMidiChannelPressure ? 1 : 2;
}

std::string readTrack(Reader track, int number, std::vector<MidiFileEvent>& events) {
  std::uint8_t running = 0;
  std::uint64_t tick = 0;
  while (!track.done()) {
    std::uint32_t delta = 0;
    if (!track.variableLength(delta)) return "a delta time longer than four bytes or cut off";
    tick += delta;
    if (tick > 0xFFFFFFFFu) return "a track longer than the format can time";
    MidiFileEvent event;
    event.tick = static_cast<std::uint32_t>(tick);
    event.track = number;
    std::uint8_t status = 0;
    if (!track.byte(status)) return "an event cut off";
    if (status == 0xFF) {
      std::uint8_t type = 0;
      std::uint32_t length = 0;
      if (!track.byte(type) || !track.variableLength(length) || track.left() < length) {
        return "a meta event runs past its track";
      }
      if (type == 0x51 && length == 3) {
        std::uint32_t tempo = 0;
        track.bigEndian(3, tempo);
        event.tempo = static_cast<std::int32_t>(tempo);
      } else {
        track.skip(length);
      }
      events.push_back(event);
      if (type == 0x2F) return track.done() ? std::string() : "events after the end of track";
      running = 0;
    } else if (status == 0xF0 || status == 0xF7) {
      std::uint32_t length = 0;
      if (!track.variableLength(length) || !track.skip(length)) return "a system exclusive message runs past its track";
      events.push_back(event);
      running = 0;
    } else if (status > 0xF0) {
      return "a system message that has no place in a file";
    } else {
      int filled = 0;
      if (status <= sorvel::kMidiDataMask) {
        if (running == 0) return "a data byte without a status";
        event.bytes[++filled] = status;  // the byte just read was the first data byte
        status = running;
      }
      const int data = dataBytesOf(status);
      running = status;
      event.bytes[0] = status;
      while (filled < data) {
        std::uint8_t value = 0;
        if (!track.byte(value)) return "an event cut off";
        if (value > sorvel::kMidiDataMask) return "a data byte above 127";
        event.bytes[++filled] = value;
      }
      event.length = data + 1;
      events.push_back(event);
    }
  }
  return "a track without its end";
}

}  // namespace

std::string readMidiFileContent(const std::uint8_t* bytes, std::size_t size, MidiFileContent& content) {
  content = MidiFileContent{};
  Reader file(bytes, size);
  std::uint32_t headerLength = 0, format = 0, tracks = 0, division = 0;
  if (!file.tag("MThd") || !file.bigEndian(4, headerLength) || headerLength < 6 || headerLength > file.left() ||
      !file.bigEndian(2, format) || !file.bigEndian(2, tracks) || !file.bigEndian(2, division) ||
      !file.skip(headerLength - 6)) {
    return "no complete file header";
  }
  if (format > 2) return "an unknown format";
  if (tracks == 0 || (format == 0 && tracks != 1)) return "a wrong number of tracks";
  if (division == 0 || ((division & 0x8000) != 0 && (division & 0xFF) == 0)) return "no time division";
  content.division = static_cast<int>(division);

  std::uint32_t found = 0;
  while (!file.done()) {
    if (file.left() < 8) return "bytes after the last chunk";
    const bool isTrack = file.tag("MTrk");
    if (!isTrack) file.skip(4);  // chunks of other kinds are passed over
    std::uint32_t length = 0;
    file.bigEndian(4, length);
    if (length > file.left()) return "a chunk longer than the file";
    if (isTrack) {
      if (++found > tracks) {
        content = MidiFileContent{};
        return "more tracks than the header says";
      }
      const std::string problem =
          readTrack(Reader(bytes + file.position(), length), static_cast<int>(found) - 1, content.events);
      if (!problem.empty()) {
        content = MidiFileContent{};
        return problem + " in track " + std::to_string(found);
      }
    }
    file.skip(length);
  }
  if (found != tracks) {
    content = MidiFileContent{};
    return "fewer tracks than the header says";
  }
  return {};
}

}  // namespace render
