// A strict look at a Standard MIDI File's structure before anything reads its events: every chunk
// inside the file, every track a well-formed event list that ends where its chunk ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace render {

// Empty when the bytes are a well-formed file of format 0, 1 or 2; otherwise what is wrong.
std::string midiFileProblem(const std::uint8_t* bytes, std::size_t size);

}  // namespace render
