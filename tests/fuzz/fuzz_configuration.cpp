// The configuration file as the user or another program may leave it: read, applied as preset
// defaults, written back and read again. Every tenth input is read by a new instance, as at start.
#include <sys/stat.h>

#include <fstream>

#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string config = fuzzing::scratchFolder() + "/config";
  ::mkdir(config.c_str(), 0700);
  ::mkdir((config + "/TarnwickMusic").c_str(), 0700);
  std::ofstream(config + "/TarnwickMusic/sorvel.ini", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  static int inputs = 0;
  if (++inputs % 10 == 0) fuzzing::makeInstance();
  sorvel::Sorvel& plug = fuzzing::instanceAsNew();
  plug.readConfiguration();
  plug.loadPresetDefaults();
  plug.initialiseProgram();
  plug.writeConfiguration(sorvel::Synth::ConfigurationWrite::All);
  plug.readConfiguration();
  fuzzing::renderFrames(plug, 128);
  return 0;
}
