#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/math/vector.h"

namespace nbl {

// Builds .nbl mesh file images chunk by chunk, in any order. The typed calls write
// well-formed chunks; Chunk, Int and Raw write whatever they are given, so tests and
// fuzz seeds can also make files that are broken on purpose.
class Writer {
 public:
  // Starts with the magic "NBLU".
  Writer();

  // Kind 2: six values the reader skips.
  Writer& Header(const std::array<std::int32_t, 6>& values = {});
  // Kinds 3, 5 and 6.
  Writer& Positions(const std::vector<engine::math::Vector3f>& positions);
  Writer& Normals(const std::vector<engine::math::Vector3f>& normals);
  Writer& TexCoords(const std::vector<engine::math::Vector2f>& texCoords);
  // Extension chunk kind 7: vertex colours, red, green, blue and alpha a vertex. Readers
  // take it only inside the extension section; before the end marker it is read past.
  Writer& Colours(const std::vector<std::array<float, 4>>& colours);
  // Extension chunk kind 10: tangents, x, y, z and the handedness w (+1 or -1) a vertex.
  Writer& Tangents(const std::vector<std::array<float, 4>>& tangents);
  // Extension chunk kind 11: the second texture coordinate set (TEXCOORD1), u and v a vertex.
  Writer& SecondTexCoords(const std::vector<engine::math::Vector2f>& texCoords);
  // Kind 4: the stride, then each index in `stride` bytes (2 keeps the low 16 bits).
  Writer& Indices(const std::vector<std::uint32_t>& indices, std::int32_t stride = 4);
  // Any kind, with the payload's size as its length.
  Writer& Chunk(std::int32_t kind, const std::string& payload);
  // Any kind, with a length field that need not match the payload.
  Writer& Chunk(std::int32_t kind, std::int32_t length, const std::string& payload);
  // Kind 9: the end marker, which has no length. It also ends the extension section.
  Writer& End();
  // The magic "NBLX" that opens the extension section behind the end marker: chunks of the
  // same layout that readers of the base format never reach, closed by End().
  Writer& Extension();

  Writer& Int(std::int32_t value);
  Writer& Raw(const std::string& bytes);

  const std::string& Bytes() const { return bytes; }
  // Writes the image to `path`; false when the file cannot be written.
  bool Save(const std::string& path) const;

 private:
  std::string bytes;
};

// Little-endian encodings, for building payloads by hand.
std::string IntBytes(std::int32_t value);
std::string FloatBytes(float value);

}  // namespace nbl
