// State chunks as a host hands them back through effSetChunk: the first byte picks the index
// (bank or program) and whether the host is a chunk host; the rest is the chunk. What the
// plug-in then writes must read back as well.
#include <vector>

#include "tests/fuzz/FuzzSupport.h"

using namespace vst2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool chunkHost = (data[0] & 1) != 0;
  const VstInt32 index = (data[0] >> 1) & 1;
  sorvel::Sorvel& plug = fuzzing::instanceAsNew(chunkHost);
  AEffect* e = plug.effect();
  std::vector<std::uint8_t> chunk(data + 1, data + size);
  e->dispatcher(e, effSetChunk, index, static_cast<VstIntPtr>(chunk.size()), chunk.data(), 0.0f);
  fuzzing::renderFrames(plug, 256);
  void* written = nullptr;
  const VstIntPtr length = e->dispatcher(e, effGetChunk, index, 0, &written, 0.0f);
  if (length > 0 && written != nullptr) {
    const auto* bytes = static_cast<const std::uint8_t*>(written);
    std::vector<std::uint8_t> copy(bytes, bytes + length);
    if (e->dispatcher(e, effSetChunk, index, length, copy.data(), 0.0f) != 1) __builtin_trap();
  }
  return 0;
}
