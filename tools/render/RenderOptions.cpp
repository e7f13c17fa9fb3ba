#include "tools/render/RenderOptions.h"

#include <cstdio>
#include <cmath>
#include <cstring>

#include "tools/TextNumbers.h"
#include "tools/render/RenderError.h"

namespace render {
namespace {

[[noreturn]] void usageError(const std::string& message) {
  throw RenderError(kExitUsage, message + " (try --help)");
}

double numberOption(const std::string& option, const std::string& text, double min, double max) {
  double value = 0.0;
  if (!tools::parseWholeNumber(text, value) || value < min || value > max) {
    char range[64];
    std::snprintf(range, sizeof range, " needs a number from %g to %g", min, max);
    usageError(option + range + ", not '" + text + "'");
  }
  return value;
}

}  // namespace

const char* usageText() {
  return R"(Usage: sorvel-render [options] INPUT.mid OUTPUT.wav
       sorvel-render [--plugin PATH] --list-programs | --list-parameters

Renders a Standard MIDI File (format 0 or 1, all 16 channels) through the plug-in to a WAV file,
the way a host plays it.

Options:
  --program N|NAME   play program N (0 to 63) or the program with exactly this name
  --fxb FILE         load a bank file first (before --program)
  --fxp FILE         load a program file into the chosen program
  --set NAME=VALUE   set a parameter by its name, in its own units or one of its texts
                     (repeatable; applied last)
  --channel N        play only MIDI channel N (1 to 16; repeatable; default: all)
  --rate HZ          sample rate (default 44100)
  --block N          frames per process call (default 512)
  --float            use the single-precision process call (default: double precision)
  --format 24|float  WAV sample format: 24-bit integer (default) or 32-bit float
  --tail SECONDS     keep rendering after the last event (default 3); stops earlier once the
                     output has been silent for half a second
  --max-minutes N    refuse a MIDI file that lasts longer than N minutes (default 60)
  --plugin PATH      the plug-in library (default: sorvel.so beside this program)
  --list-programs    print the plug-in's programs and exit
  --list-parameters  print the plug-in's parameters with their values and ranges and exit
  --quiet            no progress bar and no summary
  --help             this text

Exit codes: 0 done, 1 bad input (file, MIDI, program, parameter or value), 2 wrong command line,
3 the plug-in does not load or is not an instrument, 4 the output cannot be written, 130 interrupted.
No output file is left behind unless the render completed.
)";
}

RenderOptions parseOptions(int argc, char** argv) {
  RenderOptions options;
  std::vector<std::string> positional;
  bool channelChosen = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usageError(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--program") {
      options.program = value();
    } else if (arg == "--fxb") {
      options.fxbFile = value();
    } else if (arg == "--fxp") {
      options.fxpFile = value();
    } else if (arg == "--set") {
      const std::string setting = value();
      const auto equals = setting.find('=');
      if (equals == std::string::npos || equals == 0) usageError("--set needs NAME=VALUE, not '" + setting + "'");
      options.settings.emplace_back(setting.substr(0, equals), setting.substr(equals + 1));
    } else if (arg == "--rate") {
      options.sampleRate = numberOption(arg, value(), 8000.0, 384000.0);
      if (options.sampleRate != std::floor(options.sampleRate)) usageError("--rate needs a whole number");
    } else if (arg == "--channel") {
      const double channel = numberOption(arg, value(), 1.0, 16.0);
      if (channel != std::floor(channel)) usageError("--channel needs a whole number");
      if (!channelChosen) options.channelMask = 0;
      channelChosen = true;
      options.channelMask |= 1u << (static_cast<int>(channel) - 1);
    } else if (arg == "--block") {
      const double block = numberOption(arg, value(), 1.0, 65536.0);
      if (block != std::floor(block)) usageError("--block needs a whole number");
      options.blockSize = static_cast<int>(block);
    } else if (arg == "--float") {
      options.singlePrecision = true;
    } else if (arg == "--format") {
      const std::string format = value();
      if (format == "24") {
        options.format = SampleFormat::Pcm24;
      } else if (format == "float" || format == "32f") {
        options.format = SampleFormat::Float32;
      } else {
        usageError("--format is 24 or float, not '" + format + "'");
      }
    } else if (arg == "--tail") {
      options.tailSeconds = numberOption(arg, value(), 0.0, 3600.0);
    } else if (arg == "--max-minutes") {
      options.maxMinutes = numberOption(arg, value(), 1.0, 100000.0);
    } else if (arg == "--plugin") {
      options.plugin = value();
    } else if (arg == "--list-programs") {
      options.listPrograms = true;
    } else if (arg == "--list-parameters") {
      options.listParameters = true;
    } else if (arg == "--quiet" || arg == "-q") {
      options.quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      usageError("unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (options.help) return options;
  const bool listing = options.listPrograms || options.listParameters;
  if (listing && !positional.empty()) usageError("the list options take no files");
  if (!listing) {
    if (positional.size() != 2) usageError("expected INPUT.mid and OUTPUT.wav");
    options.input = positional[0];
    options.output = positional[1];
  }
  return options;
}

}  // namespace render
