// The renderer's command line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace render {

enum class SampleFormat { Pcm24, Float32 };

struct RenderOptions {
  std::string input;   // MIDI file
  std::string output;  // WAV file
  std::string plugin;  // empty: sorvel.so beside the renderer
  std::optional<std::string> program;  // number or exact name
  std::string fxbFile;
  std::string fxpFile;
  std::vector<std::pair<std::string, std::string>> settings;  // name, value in its own units
  double sampleRate = 44100.0;
  int blockSize = 512;
  bool singlePrecision = false;
  SampleFormat format = SampleFormat::Pcm24;
  double tailSeconds = 3.0;
  double maxMinutes = 60.0;  // a longer song is refused
  unsigned channelMask = 0xFFFF;  // bit c: MIDI channel c + 1 plays
  bool listPrograms = false;
  bool listParameters = false;
  bool quiet = false;
  bool help = false;
};

// Reads argv; a wrong command line throws a RenderError with the usage exit code.
RenderOptions parseOptions(int argc, char** argv);

const char* usageText();

}  // namespace render
