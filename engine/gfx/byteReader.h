#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace engine {
namespace gfx {

// Sequential reader over a file image held in memory. Every count that comes from a file
// is checked against the bytes left before anything is read or allocated for it, so a bad
// length ends the read instead of running past the data or asking for gigabytes.
class ByteReader {
 public:
  explicit ByteReader(const std::string& bytes) : data(bytes.data()), left(bytes.size()) {}

  std::size_t Left() const { return left; }
  // The next unread byte; only meaningful while Left() is above zero.
  const char* Peek() const { return data; }

  // Whether `count` items of `size` bytes are left. Negative counts never fit; the product
  // is formed only after the division check, so it cannot overflow.
  bool Has(std::int64_t count, std::size_t size) const {
    if (count < 0) return false;
    if (size == 0 || count == 0) return true;
    return static_cast<std::uint64_t>(count) <= left / size;
  }

  // Little-endian int32; false (nothing consumed) when fewer than 4 bytes are left.
  bool ReadInt(std::int32_t& value) {
    if (left < 4) return false;
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    const std::uint32_t bits = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    std::memcpy(&value, &bits, 4);
    Advance(4);
    return true;
  }

  // Copies `size` bytes; false (nothing consumed) when fewer are left.
  bool Read(void* out, std::size_t size) {
    if (size > left) return false;
    if (size > 0) std::memcpy(out, data, size);
    Advance(size);
    return true;
  }

  bool Skip(std::size_t size) {
    if (size > left) return false;
    Advance(size);
    return true;
  }

 private:
  void Advance(std::size_t size) {
    data += size;
    left -= size;
  }

  const char* data;
  std::size_t left;
};

}  // namespace gfx
}  // namespace engine
