#include "tools/render/ProgramFiles.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/render/RenderError.h"

namespace render {
namespace {

using namespace vst2;

constexpr VstInt32 kChunkMagic = fourCC('C', 'c', 'n', 'K');
constexpr VstInt32 kProgramParams = fourCC('F', 'x', 'C', 'k');
constexpr VstInt32 kProgramChunk = fourCC('F', 'P', 'C', 'h');
constexpr VstInt32 kBankParams = fourCC('F', 'x', 'B', 'k');
constexpr VstInt32 kBankChunk = fourCC('F', 'B', 'C', 'h');

constexpr std::size_t kProgramHeaderSize = 56;  // up to the parameters or the chunk size
constexpr std::size_t kProgramNameOffset = 28;
constexpr std::size_t kProgramNameSize = 28;
constexpr std::size_t kBankHeaderSize = 156;
constexpr std::size_t kBankCurrentProgramOffset = 28;

// Big-endian file fields, read with bounds checks.
class FileBytes {
 public:
  FileBytes(std::string path, std::vector<unsigned char> bytes) : path_(std::move(path)), bytes_(std::move(bytes)) {}

  VstInt32 int32(std::size_t offset) const {
    need(offset, 4);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | bytes_[offset + i];
    return static_cast<VstInt32>(value);
  }

  float float32(std::size_t offset) const {
    const auto bits = static_cast<std::uint32_t>(int32(offset));
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  std::string name(std::size_t offset, std::size_t size) const {
    need(offset, size);
    const char* start = reinterpret_cast<const char*>(bytes_.data() + offset);
    return std::string(start, strnlen(start, size));
  }

  unsigned char* at(std::size_t offset, std::size_t size) {
    need(offset, size);
    return bytes_.data() + offset;
  }

  std::size_t size() const { return bytes_.size(); }

  [[noreturn]] void fail(const std::string& why) const { throw RenderError(kExitBadInput, "'" + path_ + "' " + why); }

 private:
  void need(std::size_t offset, std::size_t size) const {
    if (offset > bytes_.size() || size > bytes_.size() - offset) fail("is cut short");
  }

  std::string path_;
  std::vector<unsigned char> bytes_;
};

FileBytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RenderError(kExitBadInput, "cannot read '" + path + "': " + std::strerror(errno));
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw RenderError(kExitBadInput, "cannot read '" + path + "'");
  return FileBytes(path, std::move(bytes));
}

void checkHeader(const FileBytes& file, PluginInstance& plugin, const char* kind) {
  if (file.int32(0) != kChunkMagic) file.fail(std::string("is not a ") + kind + " file");
  if (file.int32(16) != plugin.effect().uniqueID) file.fail(std::string("is a ") + kind + " file of another plug-in");
}

// A chunk of the given size at the given offset, whole, to the plug-in.
void sendChunk(FileBytes& file, PluginInstance& plugin, std::size_t sizeOffset, bool isProgram) {
  const VstInt32 size = file.int32(sizeOffset);
  if (size < 0) file.fail("has a negative chunk size");
  unsigned char* chunk = file.at(sizeOffset + 4, static_cast<std::size_t>(size));
  plugin.dispatch(isProgram ? effBeginLoadProgram : effBeginLoadBank);
  plugin.dispatch(effSetChunk, isProgram ? 1 : 0, size, chunk);
}

// One program in parameter form, starting at the given offset, into the current program.
void applyParameterImage(const FileBytes& file, PluginInstance& plugin, std::size_t offset) {
  if (file.int32(offset) != kChunkMagic || file.int32(offset + 8) != kProgramParams) {
    file.fail("holds a program image that is not in parameter form");
  }
  const VstInt32 count = file.int32(offset + 24);
  if (count != plugin.parameterCount()) file.fail("holds a program with the wrong number of parameters");
  for (VstInt32 i = 0; i < count; ++i) {
    const float value = file.float32(offset + kProgramHeaderSize + 4 * static_cast<std::size_t>(i));
    if (!(value >= 0.0f && value <= 1.0f)) file.fail("holds a parameter value outside 0..1");
  }
  for (VstInt32 i = 0; i < count; ++i) {
    plugin.effect().setParameter(&plugin.effect(), i, file.float32(offset + kProgramHeaderSize + 4 * static_cast<std::size_t>(i)));
  }
  std::string name = file.name(offset + kProgramNameOffset, kProgramNameSize);
  if (!name.empty()) plugin.dispatch(effSetProgramName, 0, 0, name.data());
}

std::size_t programImageSize(const PluginInstance& plugin) {
  return kProgramHeaderSize + 4 * static_cast<std::size_t>(plugin.parameterCount());
}

}  // namespace

void loadProgramFile(PluginInstance& plugin, const std::string& path) {
  FileBytes file = readFile(path);
  checkHeader(file, plugin, "program");
  const VstInt32 kind = file.int32(8);
  if (kind == kProgramChunk) {
    sendChunk(file, plugin, kProgramHeaderSize, true);
  } else if (kind == kProgramParams) {
    applyParameterImage(file, plugin, 0);
  } else {
    file.fail("is not a program file");
  }
}

void loadBankFile(PluginInstance& plugin, const std::string& path) {
  FileBytes file = readFile(path);
  checkHeader(file, plugin, "bank");
  const VstInt32 kind = file.int32(8);
  if (kind == kBankChunk) {
    sendChunk(file, plugin, kBankHeaderSize, false);
  } else if (kind == kBankParams) {
    const VstInt32 count = file.int32(24);
    if (count < 0 || count > plugin.programCount()) file.fail("holds more programs than the plug-in has");
    const std::size_t imageSize = programImageSize(plugin);
    for (VstInt32 i = 0; i < count; ++i) {
      plugin.selectProgram(i);
      applyParameterImage(file, plugin, kBankHeaderSize + imageSize * static_cast<std::size_t>(i));
    }
    const VstInt32 current = file.int32(kBankCurrentProgramOffset);
    plugin.selectProgram(current >= 0 && current < plugin.programCount() ? current : 0);
  } else {
    file.fail("is not a bank file");
  }
}

}  // namespace render
