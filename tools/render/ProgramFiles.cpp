#include "tools/render/ProgramFiles.h"

#include <cerrno>
#include <cstring>

#include "framework/FxFile.h"
#include "platform/FileStore.h"
#include "tools/render/RenderError.h"

namespace render {
namespace {

using namespace vst2;
using sorvel::ByteChunk;
namespace fx = sorvel::fx;

// A program or bank file read whole, with its name for messages.
struct FxFileBytes {
  std::string path;
  ByteChunk bytes;

  [[noreturn]] void fail(const std::string& why) const { throw RenderError(kExitBadInput, "'" + path + "' " + why); }

  VstInt32 field(int offset) const {
    VstInt32 value = 0;
    if (fx::getBigEndian(bytes, value, offset) < 0) fail("is cut short");
    return value;
  }

  float value(int offset) const {
    float v = 0.0f;
    if (fx::getBigEndianFloat(bytes, v, offset) < 0) fail("is cut short");
    return v;
  }
};

FxFileBytes readFile(const std::string& path) {
  std::vector<std::uint8_t> data;
  errno = 0;
  if (!sorvel::readWholeFile(path, data)) {
    throw RenderError(kExitBadInput, "cannot read '" + path + "'" + (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
  }
  FxFileBytes file{path, ByteChunk()};
  file.bytes.putBytes(data.data(), static_cast<int>(data.size()));
  return file;
}

void checkHeader(const FxFileBytes& file, PluginInstance& plugin, const char* kind) {
  if (file.field(fx::kMagicOffset) != fx::kFileMagic) file.fail(std::string("is not a ") + kind + " file");
  if (file.field(fx::kIdentifierOffset) != plugin.effect().uniqueID) {
    file.fail(std::string("is a ") + kind + " file of another plug-in");
  }
}

// The chunk whose size field is at the given offset, whole, to the plug-in.
void sendChunk(FxFileBytes& file, PluginInstance& plugin, int sizeOffset, bool isProgram) {
  const VstInt32 size = file.field(sizeOffset);
  const int start = sizeOffset + 4;
  if (size < 0 || size > file.bytes.size() - start) file.fail("is cut short");
  plugin.dispatch(isProgram ? effBeginLoadProgram : effBeginLoadBank);
  plugin.dispatch(effSetChunk, isProgram ? 1 : 0, size, file.bytes.data() + start);
}

// One program in parameter form, starting at the given offset, into the current program.
void applyParameterImage(const FxFileBytes& file, PluginInstance& plugin, int offset) {
  if (file.field(offset + fx::kMagicOffset) != fx::kFileMagic || file.field(offset + fx::kKindOffset) != fx::kProgramParamsKind) {
    file.fail("holds a program image that is not in parameter form");
  }
  const VstInt32 count = file.field(offset + fx::kCountOffset);
  if (count != plugin.parameterCount()) file.fail("holds a program with the wrong number of parameters");
  const int values = offset + fx::kProgramParamsOffset;
  for (VstInt32 i = 0; i < count; ++i) {
    const float value = file.value(values + 4 * i);
    if (!(value >= 0.0f && value <= 1.0f)) file.fail("holds a parameter value outside 0..1");
  }
  for (VstInt32 i = 0; i < count; ++i) plugin.effect().setParameter(&plugin.effect(), i, file.value(values + 4 * i));
  std::string name;
  fx::getName(file.bytes, name, offset + fx::kNameOffset);
  if (!name.empty()) plugin.dispatch(effSetProgramName, 0, 0, name.data());
}

}  // namespace

void loadProgramFile(PluginInstance& plugin, const std::string& path) {
  FxFileBytes file = readFile(path);
  checkHeader(file, plugin, "program");
  const VstInt32 kind = file.field(fx::kKindOffset);
  if (kind == fx::kProgramChunkKind) {
    sendChunk(file, plugin, fx::kProgramChunkSizeOffset, true);
  } else if (kind == fx::kProgramParamsKind) {
    applyParameterImage(file, plugin, 0);
  } else {
    file.fail("is not a program file");
  }
}

void loadBankFile(PluginInstance& plugin, const std::string& path) {
  FxFileBytes file = readFile(path);
  checkHeader(file, plugin, "bank");
  const VstInt32 kind = file.field(fx::kKindOffset);
  if (kind == fx::kBankChunkKind) {
    sendChunk(file, plugin, fx::kBankChunkSizeOffset, false);
  } else if (kind == fx::kBankParamsKind) {
    const VstInt32 count = file.field(fx::kCountOffset);
    if (count < 0 || count > plugin.programCount()) file.fail("holds more programs than the plug-in has");
    const int imageSize = fx::kProgramParamsOffset + 4 * plugin.parameterCount();
    for (VstInt32 i = 0; i < count; ++i) {
      plugin.selectProgram(i);
      applyParameterImage(file, plugin, fx::kBankParamsOffset + imageSize * i);
    }
    const VstInt32 current = file.field(fx::kCurrentProgramOffset);
    plugin.selectProgram(current >= 0 && current < plugin.programCount() ? current : 0);
  } else {
    file.fail("is not a bank file");
  }
}

}  // namespace render
