// MIDI files as the renderer reads them: refused with its error or read whole.
#include "tools/render/MidiInput.h"
#include "tools/render/RenderError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  try {
    render::readMidiBytes(bytes, "input", 44100.0);
  } catch (const render::RenderError&) {
  }
  return 0;
}
