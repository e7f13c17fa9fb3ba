// Running the renderer as a process, writing small MIDI files and reading WAV files back.
#pragma once

#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace tooltest {

namespace fs = std::filesystem;

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs a program with the given arguments, its output and errors captured in files of the folder;
// with a signal given, sends it once the program is ready for it (or after ten seconds).
inline ProcessResult run(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
                         int signal = 0, const std::function<bool()>& ready = {}) {
  const fs::path outFile = folder / "stdout.txt";
  const fs::path errFile = folder / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ProcessResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    if (signal != 0) {
      for (int waited = 0; waited < 1000 && ready && !ready(); ++waited) usleep(10000);
      kill(pid, signal);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = readText(outFile);
  result.err = readText(errFile);
  return result;
}

// A Standard MIDI File written byte by byte, so the tests do not share the renderer's reader.
class MidiFileBuilder {
 public:
  explicit MidiFileBuilder(int format, int pulsesPerQuarter = 480) : format_(format), ppq_(pulsesPerQuarter) {}

  // Starts a new track; events are added at absolute pulse times, in order.
  void track() {
    tracks_.emplace_back();
    last_ = 0;
  }
  void tempo(int pulses, int beatsPerMinute) {
    const std::uint32_t us = 60000000u / static_cast<std::uint32_t>(beatsPerMinute);
    event(pulses, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(us >> 16), static_cast<std::uint8_t>(us >> 8),
                   static_cast<std::uint8_t>(us)});
  }
  void note(int pulses, int length, int channel, int key, int velocity = 100) {
    pending_.push_back({pulses, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key),
                                 static_cast<std::uint8_t>(velocity)}});
    pending_.push_back({pulses + length, {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key), 0}});
  }
  void endTrack(int pulses) {
    flushNotes();
    event(pulses, {0xFF, 0x2F, 0x00});
  }

  std::vector<std::uint8_t> bytes() const {
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<std::uint8_t>(format_), 0,
                                     static_cast<std::uint8_t>(tracks_.size()), static_cast<std::uint8_t>(ppq_ >> 8),
                                     static_cast<std::uint8_t>(ppq_)};
    for (const auto& track : tracks_) {
      const auto size = static_cast<std::uint32_t>(track.size());
      out.insert(out.end(), {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(size >> 24),
                             static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 8),
                             static_cast<std::uint8_t>(size)});
      out.insert(out.end(), track.begin(), track.end());
    }
    return out;
  }

  void save(const fs::path& path) const {
    const auto data = bytes();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  }

 private:
  struct Pending {
    int pulses;
    std::vector<std::uint8_t> bytes;
  };

  void flushNotes() {
    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) { return a.pulses < b.pulses; });
    for (const auto& p : pending_) event(p.pulses, p.bytes);
    pending_.clear();
  }

  void event(int pulses, const std::vector<std::uint8_t>& bytes) {
    auto& track = tracks_.back();
    std::uint32_t delta = static_cast<std::uint32_t>(pulses - last_);
    last_ = pulses;
    std::vector<std::uint8_t> quantity = {static_cast<std::uint8_t>(delta & 0x7F)};
    while ((delta >>= 7) != 0) quantity.insert(quantity.begin(), static_cast<std::uint8_t>(0x80 | (delta & 0x7F)));
    track.insert(track.end(), quantity.begin(), quantity.end());
    track.insert(track.end(), bytes.begin(), bytes.end());
  }

  int format_;
  int ppq_;
  int last_ = 0;
  std::vector<std::vector<std::uint8_t>> tracks_;
  std::vector<Pending> pending_;
};

struct Wav {
  bool ok = false;
  int sampleRate = 0;
  int channels = 0;
  int format = 0;
  std::vector<double> samples;  // interleaved
  std::int64_t frames() const { return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0; }
  double peak(std::int64_t from, std::int64_t to) const {
    double loudest = 0.0;
    for (std::int64_t i = from * channels; i < to * channels && i < static_cast<std::int64_t>(samples.size()); ++i) {
      loudest = std::max(loudest, std::abs(samples[static_cast<std::size_t>(i)]));
    }
    return loudest;
  }
  std::int64_t firstSoundingFrame(double threshold = 1.0e-4) const {
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (std::abs(samples[i]) > threshold) return static_cast<std::int64_t>(i) / channels;
    }
    return -1;
  }
};

inline Wav readWav(const fs::path& path) {
  Wav wav;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return wav;
  wav.sampleRate = info.samplerate;
  wav.channels = info.channels;
  wav.format = info.format;
  wav.samples.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
  wav.ok = sf_readf_double(file, wav.samples.data(), info.frames) == info.frames;
  sf_close(file);
  return wav;
}

}  // namespace tooltest
