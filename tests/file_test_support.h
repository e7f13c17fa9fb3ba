// Helpers for tests of program and bank files: a scratch folder, raw file bytes, big-endian
// fields, and a full picture of a plug-in's programs and parameters to compare before and after.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SorvelVersion.h"
#include "framework/IPlugBase.h"

namespace filetest {

using Bytes = std::vector<std::uint8_t>;

// The version as hosts and files are told it: 1.3.2 is 10302.
constexpr std::int32_t kShownVersion =
    sorvel::kVersionMajor * 10000 + sorvel::kVersionMinor * 100 + sorvel::kVersionPatch;

class ScratchFolder {
 public:
  // A folder no one else has: create_directory refuses a name that is taken.
  ScratchFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) return;
    static unsigned counter = 0;
    const std::string prefix = "sorvel-files-" + std::to_string(std::random_device{}()) + "-";
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const fs::path candidate = base / (prefix + std::to_string(counter++));
      if (fs::create_directory(candidate, error)) path_ = candidate.generic_string();
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

inline Bytes readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::int32_t bigEndianAt(const Bytes& bytes, std::size_t offset) {
  return static_cast<std::int32_t>((std::uint32_t{bytes.at(offset)} << 24) | (std::uint32_t{bytes.at(offset + 1)} << 16) |
                                   (std::uint32_t{bytes.at(offset + 2)} << 8) | std::uint32_t{bytes.at(offset + 3)});
}

inline void setBigEndianAt(Bytes& bytes, std::size_t offset, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  bytes.at(offset) = static_cast<std::uint8_t>(v >> 24);
  bytes.at(offset + 1) = static_cast<std::uint8_t>(v >> 16);
  bytes.at(offset + 2) = static_cast<std::uint8_t>(v >> 8);
  bytes.at(offset + 3) = static_cast<std::uint8_t>(v);
}

inline void putBigEndian(Bytes& bytes, std::int32_t value) {
  bytes.resize(bytes.size() + 4);
  setBigEndianAt(bytes, bytes.size() - 4, value);
}

inline void putCode(Bytes& bytes, const char* code) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(code[i]));
}

inline void putBigEndianFloat(Bytes& bytes, float value) {
  std::int32_t bits = 0;
  std::memcpy(&bits, &value, 4);
  putBigEndian(bytes, bits);
}

inline void putName28(Bytes& bytes, const std::string& name) {
  std::uint8_t field[28] = {};
  std::memcpy(field, name.data(), std::min<std::size_t>(name.size(), 28));
  bytes.insert(bytes.end(), field, field + 28);
}

// A program file in parameter form: header, name, the given normalised values.
inline Bytes parameterFormProgram(const std::string& name, const std::vector<float>& normalised, std::int32_t count) {
  Bytes file;
  putCode(file, "CcnK");
  putBigEndian(file, 0);
  putCode(file, "FxCk");
  putBigEndian(file, 1);
  putCode(file, "qm71");
  putBigEndian(file, kShownVersion);
  putBigEndian(file, count);
  putName28(file, name);
  for (const float v : normalised) putBigEndianFloat(file, v);
  return file;
}

// The header of a bank file in parameter form; the program images follow it.
inline Bytes parameterFormBankHeader(std::int32_t programs, std::int32_t currentProgram) {
  Bytes file;
  putCode(file, "CcnK");
  putBigEndian(file, 0);
  putCode(file, "FxBk");
  putBigEndian(file, 2);
  putCode(file, "qm71");
  putBigEndian(file, kShownVersion);
  putBigEndian(file, programs);
  putBigEndian(file, currentProgram);
  file.resize(file.size() + 124, 0);
  return file;
}

inline std::string textAt(const Bytes& bytes, std::size_t offset, std::size_t length) {
  return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, length);
}

inline double littleEndianDoubleAt(const Bytes& bytes, std::size_t offset) {
  double value = 0;
  std::memcpy(&value, bytes.data() + offset, 8);
  return value;
}

inline std::int32_t littleEndianAt(const Bytes& bytes, std::size_t offset) {
  std::int32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

// Everything a load may change.
struct PlugPicture {
  std::vector<double> values;
  std::vector<std::string> names;
  std::vector<bool> initialised;
  std::vector<Bytes> chunks;
  int current = 0;

  bool operator==(const PlugPicture&) const = default;
};

inline PlugPicture pictureOf(sorvel::IPlugBase& plug) {
  PlugPicture picture;
  for (int i = 0; i < plug.parameterCount(); ++i) picture.values.push_back(plug.parameter(i)->value());
  for (int p = 0; p < plug.programCount(); ++p) {
    const sorvel::IPreset* program = plug.program(p);
    picture.names.push_back(program->name);
    picture.initialised.push_back(program->initialized);
    picture.chunks.emplace_back(program->chunk.data(), program->chunk.data() + program->chunk.size());
  }
  picture.current = plug.currentProgram();
  return picture;
}

}  // namespace filetest
