// Whole-file reads and writes that never leave a half-written file behind: a save goes to a
// temporary file beside the target and replaces it only once every byte is on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sorvel {

// Longest path accepted; longer names, and names holding a zero byte, are refused.
constexpr std::size_t kMaxPathLength = 4095;
// Largest file read whole; nothing this instrument writes comes near it.
constexpr std::size_t kMaxReadBytes = 64u * 1024u * 1024u;

bool isUsablePath(const std::string& path);

// An existing folder (a link to one counts).
bool isFolder(const std::string& path);

// Anything (file, folder, link) at the path.
bool pathExists(const std::string& path);

// Makes one folder (not its parents); a private one is for the user alone. False when it was not made.
bool makeFolder(const std::string& path, bool privateToUser);

enum class NewFile { Created, AlreadyThere, Failed };
// Creates an empty file, only when nothing is at the path yet, so that of two processes racing for
// the name exactly one creates it.
NewFile createEmptyFile(const std::string& path);

// Reads a regular file of at most kMaxReadBytes. False when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// Writes size bytes to a new file beside path and renames it over path. False on any open,
// write, sync, close or rename error; the previous file at path is then untouched and the
// temporary file removed.
bool writeFileReplacing(const std::string& path, const void* data, std::size_t size);

}  // namespace sorvel
