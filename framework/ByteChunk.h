// The serialization buffer: a growable array of bytes in machine byte order (little-endian),
// without padding. Readers report failure with a negative position and never read past the end.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace sorvel {

class ByteChunk {
 public:
  static constexpr int kGranularity = 4096;

  explicit ByteChunk(int granularity = kGranularity) : granularity_(granularity > 0 ? granularity : 1) {}

  template <typename T>
  int put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return putBytes(&value, static_cast<int>(sizeof(T)));
  }

  int putBytes(const void* data, int count);
  int putString(const std::string& text);
  int putChunk(const ByteChunk& other) { return putBytes(other.data(), other.size()); }

  template <typename T>
  int get(T& value, int position) const {
    static_assert(std::is_trivially_copyable_v<T>);
    if (position < 0 || size() - position < static_cast<int>(sizeof(T))) return -1;
    std::memcpy(&value, bytes_.data() + position, sizeof(T));
    return position + static_cast<int>(sizeof(T));
  }

  int getBytes(void* out, int count, int position) const;
  int getString(std::string& text, int position) const;

  int resize(int newSize);
  void clear() { bytes_.clear(); }

  int size() const { return static_cast<int>(bytes_.size()); }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::uint8_t* data() { return bytes_.data(); }

 private:
  void reserveFor(std::size_t total);

  std::vector<std::uint8_t> bytes_;
  int granularity_;
};

}  // namespace sorvel
