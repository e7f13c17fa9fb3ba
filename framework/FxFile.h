// The program-file and bank-file layouts: big-endian header fields, four-character codes stored
// in reading order, 28-byte zero-filled program names.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "framework/ByteChunk.h"
#include "framework/IPlugBase.h"

namespace sorvel::fx {

constexpr std::int32_t kFileMagic = makeFourCC("CcnK");
constexpr std::int32_t kProgramChunkKind = makeFourCC("FPCh");
constexpr std::int32_t kProgramParamsKind = makeFourCC("FxCk");
constexpr std::int32_t kBankChunkKind = makeFourCC("FBCh");
constexpr std::int32_t kBankParamsKind = makeFourCC("FxBk");
constexpr std::int32_t kProgramFormatVersion = 1;
constexpr std::int32_t kBankFormatVersion = 2;

// Field offsets shared by both files.
constexpr int kMagicOffset = 0;
constexpr int kByteSizeOffset = 4;
constexpr int kKindOffset = 8;
constexpr int kFormatVersionOffset = 12;
constexpr int kIdentifierOffset = 16;
constexpr int kPluginVersionOffset = 20;
constexpr int kCountOffset = 24;  // parameters in a program file, programs in a bank file

// Program file.
constexpr int kNameOffset = 28;
constexpr int kNameSize = 28;
constexpr int kProgramParamsOffset = 56;
constexpr int kProgramChunkSizeOffset = 56;
constexpr int kProgramChunkOffset = 60;

// Bank file.
constexpr int kCurrentProgramOffset = 28;
constexpr int kReservedOffset = 32;
constexpr int kReservedSize = 124;
constexpr int kBankParamsOffset = 156;
constexpr int kBankChunkSizeOffset = 156;
constexpr int kBankChunkOffset = 160;

inline int putBigEndian(ByteChunk& chunk, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                 static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  return chunk.putBytes(bytes, 4);
}

inline int putBigEndianFloat(ByteChunk& chunk, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, 4);
  return putBigEndian(chunk, static_cast<std::int32_t>(bits));
}

// Returns the position after the field, or -1 (value then 0) when it is not all there.
inline int getBigEndian(const ByteChunk& chunk, std::int32_t& value, int position) {
  std::uint8_t bytes[4] = {};
  value = 0;
  const int next = chunk.getBytes(bytes, 4, position);
  if (next < 0) return -1;
  value = static_cast<std::int32_t>((std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                                    (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]});
  return next;
}

inline int getBigEndianFloat(const ByteChunk& chunk, float& value, int position) {
  std::int32_t bits = 0;
  const int next = getBigEndian(chunk, bits, position);
  std::memcpy(&value, &bits, 4);
  return next;
}

// Field value at offset, or 0 when the file is too short to hold it.
inline std::int32_t fieldAt(const ByteChunk& chunk, int offset) {
  std::int32_t value = 0;
  getBigEndian(chunk, value, offset);
  return value;
}

// At most 27 characters and a terminating zero, zero-filled to 28 bytes.
inline int putName(ByteChunk& chunk, const std::string& name) {
  char field[kNameSize] = {};
  std::memcpy(field, name.data(), std::min(name.size(), static_cast<std::size_t>(kNameSize - 1)));
  return chunk.putBytes(field, kNameSize);
}

// Reads the 28-byte field up to its first zero, or all 28 bytes when none terminates it.
inline int getName(const ByteChunk& chunk, std::string& name, int position) {
  char field[kNameSize] = {};
  name.clear();
  const int next = chunk.getBytes(field, kNameSize, position);
  if (next < 0) return -1;
  name.assign(field, strnlen(field, kNameSize));
  return next;
}

}  // namespace sorvel::fx
