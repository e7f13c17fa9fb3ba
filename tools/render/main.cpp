// sorvel-render: plays a Standard MIDI File through a VST 2 instrument, offline, into a WAV file.
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>

#include "tools/render/MidiInput.h"
#include "tools/render/PluginControls.h"
#include "tools/render/PluginInstance.h"
#include "tools/render/ProgramFiles.h"
#include "tools/render/RenderError.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Renderer.h"
#include "tools/render/WavWriter.h"

namespace {

using namespace render;

void onSignal(int) { renderInterrupted.store(true); }

double decibels(double level) { return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY; }

bool sameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

void applyProgramChoices(PluginInstance& plugin, const RenderOptions& options) {
  if (!options.fxbFile.empty()) loadBankFile(plugin, options.fxbFile);
  if (options.program) plugin.selectProgram(findProgram(plugin, *options.program));
  if (!options.fxpFile.empty()) loadProgramFile(plugin, options.fxpFile);
  for (const auto& [name, value] : options.settings) setParameter(plugin, name, value);
}

void report(const RenderOptions& options, const RenderStats& stats) {
  const double seconds = static_cast<double>(stats.frames) / options.sampleRate;
  const double samples = static_cast<double>(stats.frames) * stats.channels;
  const double rms = samples > 0 ? std::sqrt(stats.sumOfSquares / samples) : 0.0;
  if (stats.nonFiniteSamples > 0) {
    std::fprintf(stderr, "sorvel-render: warning: the plug-in produced %lld samples that are not numbers; written as silence\n",
                 static_cast<long long>(stats.nonFiniteSamples));
  }
  if (stats.clippedSamples > 0) {
    std::fprintf(stderr, "sorvel-render: warning: %lld samples beyond full scale (peak %+.1f dBFS)%s\n",
                 static_cast<long long>(stats.clippedSamples), decibels(stats.peak),
                 options.format == SampleFormat::Pcm24 ? " were clipped" : "");
  }
  if (options.quiet) return;
  std::printf("%s: %.2f s, %.0f Hz, %d channels, peak %.1f dBFS, RMS %.1f dBFS, %.0fx real time\n",
              options.output.c_str(), seconds, options.sampleRate, stats.channels, decibels(stats.peak),
              decibels(rms), stats.wallSeconds > 0 ? seconds / stats.wallSeconds : 0.0);
}

int run(int argc, char** argv) {
  // Caught from the start, so an interruption at any moment ends with the same message.
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  const RenderOptions options = parseOptions(argc, argv);
  if (options.help) {
    std::fputs(usageText(), stdout);
    return kExitOk;
  }
  const std::string pluginPath = options.plugin.empty() ? defaultPluginPath() : options.plugin;
  const bool listing = options.listPrograms || options.listParameters;

  MidiSong song;
  if (!listing) {
    if (sameFile(options.input, options.output)) throw RenderError(kExitUsage, "the output would replace the input");
    song = readMidiFile(options.input, options.sampleRate, options.channelMask, options.maxMinutes * 60.0);
  }

  PluginInstance plugin(pluginPath, options.sampleRate, options.blockSize);
  if (listing) {
    if (options.listPrograms) listPrograms(plugin, std::cout);
    if (options.listParameters) listParameters(plugin, std::cout);
    return kExitOk;
  }
  applyProgramChoices(plugin, options);

  WavWriter out(options.output, static_cast<int>(std::lround(options.sampleRate)), plugin.outputCount(), options.format);
  const RenderStats stats = renderSong(plugin, song, options, out);
  out.commit();
  report(options, stats);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const RenderError& error) {
    std::fprintf(stderr, "sorvel-render: %s\n", error.what());
    return error.code();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "sorvel-render: %s\n", error.what());
    return kExitOutputFailed;
  }
}
