// Program and bank files: the IPlugBase operations that write and read them.
#include <vector>

#include "framework/FxFile.h"
#include "framework/IPlugBase.h"
#include "framework/Trace.h"
#include "platform/FileStore.h"

namespace sorvel {

namespace {

bool readFileIntoChunk(const std::string& fileName, ByteChunk& chunk) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(fileName, bytes)) return false;
  // Positions are ints; a file that large is no file of ours.
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX / 2)) return false;
  chunk.clear();
  chunk.putBytes(bytes.data(), static_cast<int>(bytes.size()));
  return true;
}

bool writeChunkToFile(const std::string& fileName, const ByteChunk& chunk) {
  return writeFileReplacing(fileName, chunk.data(), static_cast<std::size_t>(chunk.size()));
}

}  // namespace

// What a failed load puts back: every program record, the current index and the current state.
struct IPlugBase::ProgramsSnapshot {
  std::vector<IPreset> programs;
  int currentProgram = 0;
  ByteChunk state;
};

IPlugBase::ProgramsSnapshot IPlugBase::takeSnapshot() {
  ProgramsSnapshot snapshot;
  snapshot.programs = programs_;
  snapshot.currentProgram = currentProgram_;
  serializeState(snapshot.state);
  return snapshot;
}

void IPlugBase::restoreSnapshot(const ProgramsSnapshot& snapshot) {
  programs_ = snapshot.programs;
  currentProgram_ = snapshot.currentProgram;
  unserializeState(snapshot.state, 0);
  programRestored();
  redrawParameterControls();
}

// The fields both files start with, up to and including the count.
void IPlugBase::putFileHeader(ByteChunk& file, std::int32_t byteSize, std::int32_t kind, std::int32_t formatVersion,
                              std::int32_t count) const {
  fx::putBigEndian(file, fx::kFileMagic);
  fx::putBigEndian(file, byteSize);
  fx::putBigEndian(file, kind);
  fx::putBigEndian(file, formatVersion);
  fx::putBigEndian(file, uniqueId_);
  fx::putBigEndian(file, decimalVersion(version_));
  fx::putBigEndian(file, count);
}

bool IPlugBase::saveProgramFile(const std::string& fileName) {
  if (!isUsablePath(fileName)) return false;
  ByteChunk file;
  {
    LockGuard guard(lock_);
    ByteChunk state;
    writeChunkHeader(state);
    if (!serializeState(state)) return false;
    putFileHeader(file, state.size() + fx::kProgramChunkOffset, fx::kProgramChunkKind, fx::kProgramFormatVersion,
                  parameterCount());
    fx::putName(file, programName(currentProgram_));
    fx::putBigEndian(file, state.size());
    file.putChunk(state);
  }
  return writeChunkToFile(fileName, file);
}

bool IPlugBase::saveBankFile(const std::string& fileName) {
  if (!isUsablePath(fileName)) return false;
  ByteChunk file;
  {
    LockGuard guard(lock_);
    ByteChunk bank;
    writeChunkHeader(bank);
    if (!SerializePresets(bank)) return false;
    putFileHeader(file, bank.size() + fx::kBankChunkOffset, fx::kBankChunkKind, fx::kBankFormatVersion, programCount());
    fx::putBigEndian(file, currentProgram_);
    const std::uint8_t reserved[fx::kReservedSize] = {};
    file.putBytes(reserved, fx::kReservedSize);
    fx::putBigEndian(file, bank.size());
    file.putChunk(bank);
  }
  return writeChunkToFile(fileName, file);
}

// One big-endian float per parameter, each taken as a normalised value. The position after the
// last, or -1 when the data ends early.
int IPlugBase::applyNormalisedFloats(const ByteChunk& file, int position) {
  for (auto& p : parameters_) {
    float value = 0.0f;
    position = fx::getBigEndianFloat(file, value, position);
    if (position < 0) return -1;
    p.setNormalised(value);
  }
  return position;
}

bool IPlugBase::loadProgramFile(const std::string& fileName) {
  ByteChunk file;
  if (!readFileIntoChunk(fileName, file)) return false;
  if (fx::fieldAt(file, fx::kMagicOffset) != fx::kFileMagic ||
      fx::fieldAt(file, fx::kFormatVersionOffset) != fx::kProgramFormatVersion ||
      fx::fieldAt(file, fx::kIdentifierOffset) != uniqueId_) {
    return false;
  }
  const std::int32_t kind = fx::fieldAt(file, fx::kKindOffset);
  if (!(kind == fx::kProgramChunkKind && stateChunks_) && kind != fx::kProgramParamsKind) return false;

  LockGuard guard(lock_);
  trace(__func__, __LINE__, "%s", fileName.c_str());
  const ProgramsSnapshot before = takeSnapshot();
  bool complete;
  if (kind == fx::kProgramChunkKind) {
    int position = fx::kProgramChunkOffset;
    readChunkHeader(file, position);
    complete = position >= 0 && unserializeState(file, position) >= 0;
  } else {
    complete = applyNormalisedFloats(file, fx::kProgramParamsOffset) >= 0;
  }
  std::string name;
  complete = complete && fx::getName(file, name, fx::kNameOffset) >= 0;
  if (!complete) {
    restoreSnapshot(before);
    return false;
  }
  ModifyCurrentPreset(name.c_str());
  recallProgram(currentProgram_);
  informHostOfProgramChange();
  return true;
}

// The parameter form of a bank: one program image per program, each in the parameter form of a
// program file. Images beyond the program list are not read.
bool IPlugBase::loadProgramImages(const ByteChunk& file) {
  const int count = std::min<std::int32_t>(fx::fieldAt(file, fx::kCountOffset), programCount());
  int position = fx::kBankParamsOffset;
  for (int i = 0; i < count; ++i) {
    const int image = position;
    if (fx::fieldAt(file, image + fx::kMagicOffset) != fx::kFileMagic ||
        fx::fieldAt(file, image + fx::kKindOffset) != fx::kProgramParamsKind ||
        fx::fieldAt(file, image + fx::kFormatVersionOffset) != fx::kProgramFormatVersion ||
        fx::fieldAt(file, image + fx::kCountOffset) != parameterCount()) {
      return false;
    }
    std::string name;
    if (fx::getName(file, name, image + fx::kNameOffset) < 0) return false;
    recallProgram(i);
    position = applyNormalisedFloats(file, image + fx::kProgramParamsOffset);
    if (position < 0) return false;
    ModifyCurrentPreset(name.c_str());
  }
  recallProgram(fx::fieldAt(file, fx::kCurrentProgramOffset));
  return true;
}

bool IPlugBase::loadBankFile(const std::string& fileName) {
  ByteChunk file;
  if (!readFileIntoChunk(fileName, file)) return false;
  if (fx::fieldAt(file, fx::kMagicOffset) != fx::kFileMagic ||
      fx::fieldAt(file, fx::kIdentifierOffset) != uniqueId_) {
    return false;
  }
  const std::int32_t kind = fx::fieldAt(file, fx::kKindOffset);
  if (!(kind == fx::kBankChunkKind && stateChunks_) && kind != fx::kBankParamsKind) return false;

  LockGuard guard(lock_);
  trace(__func__, __LINE__, "%s", fileName.c_str());
  const ProgramsSnapshot before = takeSnapshot();
  bool complete;
  if (kind == fx::kBankChunkKind) {
    int position = fx::kBankChunkOffset;
    readChunkHeader(file, position);
    complete = position >= 0 && UnserializePresets(file, position) >= 0;
  } else {
    complete = loadProgramImages(file);
  }
  if (!complete) {
    restoreSnapshot(before);
    return false;
  }
  informHostOfProgramChange();
  return true;
}

}  // namespace sorvel
