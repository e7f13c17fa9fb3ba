// Program and bank files: the first byte says which loader reads the rest.
#include <fstream>

#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string path = fuzzing::scratchFolder() + "/input.fx";
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  sorvel::Sorvel& plug = fuzzing::instanceAsNew();
  if (data[0] & 1) {
    plug.loadBankFile(path);
  } else {
    plug.loadProgramFile(path);
  }
  fuzzing::renderFrames(plug, 256);
  return 0;
}
