#include "framework/ByteChunk.h"

#include <climits>

namespace sorvel {

void ByteChunk::reserveFor(std::size_t total) {
  if (total <= bytes_.capacity()) return;
  const std::size_t step = static_cast<std::size_t>(granularity_);
  bytes_.reserve((total + step - 1) / step * step);
}

int ByteChunk::putBytes(const void* data, int count) {
  if (count <= 0 || data == nullptr) return size();
  reserveFor(bytes_.size() + static_cast<std::size_t>(count));
  const auto* p = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + count);
  return size();
}

int ByteChunk::putString(const std::string& text) {
  const auto length = static_cast<std::int32_t>(text.size());
  put(length);
  return putBytes(text.data(), length);
}

int ByteChunk::getBytes(void* out, int count, int position) const {
  if (position < 0 || count < 0 || size() - position < count) return -1;
  if (count > 0) std::memcpy(out, bytes_.data() + position, static_cast<std::size_t>(count));
  return position + count;
}

int ByteChunk::getString(std::string& text, int position) const {
  std::int32_t length = 0;
  const int afterLength = get(length, position);
  if (afterLength < 0) return -1;
  // A negative stored length must not move the position backwards: an empty string, and the
  // position moves past the length field only.
  if (length <= 0) {
    text.clear();
    return afterLength;
  }
  if (size() - afterLength >= length) {
    text.assign(reinterpret_cast<const char*>(bytes_.data() + afterLength), static_cast<std::size_t>(length));
  } else {
    text.clear();
  }
  // The position moves past the stated length even when the bytes are missing, so the next read
  // fails; kept within int.
  const long long next = static_cast<long long>(afterLength) + length;
  return next > INT_MAX ? INT_MAX : static_cast<int>(next);
}

int ByteChunk::resize(int newSize) {
  const int old = size();
  if (newSize < 0) newSize = 0;
  reserveFor(static_cast<std::size_t>(newSize));
  bytes_.resize(static_cast<std::size_t>(newSize), 0);
  return old;
}

}  // namespace sorvel
