#include "engine/gfx/NBLMesh.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/byteReader.h"
#include "platform/dxgi_format.h"
#include "platform/paths.h"

namespace engine {
namespace gfx {

namespace {

const wchar_t kQuadName[] = L"data/quad.nbl";

// The built-in quad: a 2 x 2 square in the z = 0 plane, two triangles, 32-bit indices,
// texture coordinates and no normals. Integers and floats little-endian.
const unsigned char kQuadImage[] = {
    'N', 'B', 'L', 'U',
    // kind 1, 8 bytes: two values the reader skips
    1, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
    // kind 3, 48 bytes: positions (1, 1, 0), (-1, -1, 0), (-1, 1, 0), (1, -1, 0)
    3, 0, 0, 0, 48, 0, 0, 0,
    0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F, 0, 0, 0, 0,
    0, 0, 0x80, 0xBF, 0, 0, 0x80, 0xBF, 0, 0, 0, 0,
    0, 0, 0x80, 0xBF, 0, 0, 0x80, 0x3F, 0, 0, 0, 0,
    0, 0, 0x80, 0x3F, 0, 0, 0x80, 0xBF, 0, 0, 0, 0,
    // kind 6, 32 bytes: texture coordinates (1, 0), (0, 1), (0, 0), (1, 1)
    6, 0, 0, 0, 32, 0, 0, 0,
    0, 0, 0x80, 0x3F, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0x80, 0x3F,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F,
    // kind 4, 28 bytes: stride 4, indices 0 1 2 0 3 1
    4, 0, 0, 0, 28, 0, 0, 0, 4, 0, 0, 0,
    0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0,
    // end marker, then four bytes nobody reads
    9, 0, 0, 0, 0, 0, 0, 0,
};
static_assert(sizeof(kQuadImage) == 160, "the quad image is 160 bytes");

enum ChunkKind : std::int32_t {
  kHeaderChunk = 2,
  kPositionChunk = 3,
  kIndexChunk = 4,
  kNormalChunk = 5,
  kTexCoordChunk = 6,
  kEndChunk = 9,
};

// Streams the base format has no chunk for live in an extension section after the end
// marker, where no reader of the base format ever looks: every kind the base format leaves
// undefined must stay a chunk to read past, so a file that already uses one of them (for
// anything) keeps its meaning. The section is the magic below, then chunks laid out as the
// base format's, up to an end marker of its own.
const char kExtensionMagic[] = "NBLX";

enum ExtensionKind : std::int32_t {
  // Vertex colours, four floats (red, green, blue, alpha) a vertex, as the stream "COLOR"
  // that effects read by that semantic.
  kColourChunk = 7,
  // Tangents for normal maps, four floats a vertex: the direction in which the map's u grows
  // and, in w, the handedness (+1 or -1) that turns normal x tangent into the bitangent.
  kTangentChunk = 10,
  // A second texture coordinate set, two floats a vertex, as "TEXCOORD" with semantic index
  // 1: a texture laid out apart from the first set (a light or occlusion map).
  kSecondTexCoordChunk = 11,
};
// Kinds 10 and 11 are no kind the base section defines (2 to 6 and 9) nor one it ever
// defined, so a chunk moved into the wrong section is read past, never taken for positions
// or texture coordinates of another size.

// The kind vertex colours had in the base section before they moved to the extension: such
// a chunk is read past like any other undefined kind, and only said to be so.
constexpr std::int32_t kFormerColourChunk = 7;

// The header chunk's payload is fixed, whatever its length field claims.
constexpr std::size_t kHeaderPayload = 24;

// The bytes behind `path`: the quad's image for its name, else the file's. The quad is
// read from memory, never through a file: the data folder may be read-only (an installed
// copy) or shared by several running programs, and a file of that name is not ours to
// replace or delete.
bool ReadMeshBytes(const std::wstring& path, std::string& bytes) {
  if (path == kQuadName) {
    bytes.assign(reinterpret_cast<const char*>(kQuadImage), sizeof(kQuadImage));
    return true;
  }
  const std::string native = platform::NativePath(path);
  if (!platform::IsRegularFile(native)) return false;
  std::ifstream file(native, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// Reads one stream chunk of `count` elements into a new buffer and hands it to the mesh.
void AddStream(LoadMesh& mesh, ByteReader& in, const char* name, int format, std::int32_t count,
               std::int32_t semanticIndex = 0) {
  const std::size_t bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(FormatSize(format));
  std::unique_ptr<char[]> buffer(static_cast<char*>(AllocateMeshBuffer(bytes)));
  in.Read(buffer.get(), bytes);  // the caller has checked the chunk fits
  PVData stream;
  stream.name = name;
  stream.format = format;
  stream.semanticIndex = semanticIndex;
  stream.data = buffer.release();
  mesh.Add(stream);
}

const char kInExtension[] = " in its extension section";

// The kind of the next chunk. `where` says which section, for the messages.
std::int32_t ReadChunkKind(ByteReader& in, const std::string& name, const std::string& where) {
  std::int32_t kind;
  if (!in.ReadInt(kind)) NEBLU_ERROR(name + " ends before its end chunk" + where);
  return kind;
}

// The length of a chunk whose kind was just read, checked against the bytes left, so the
// payload can be read or skipped without another check.
std::int32_t ReadChunkLength(ByteReader& in, const std::string& name, std::int32_t kind, const std::string& where) {
  const std::string chunk = "chunk of kind " + std::to_string(kind);
  std::int32_t length;
  if (!in.ReadInt(length)) NEBLU_ERROR(name + " ends inside a " + chunk + where);
  if (length < 0)
    NEBLU_ERROR(name + ": " + chunk + where + " has a negative length (" + std::to_string(length) + ")");
  if (!in.Has(length, 1))
    NEBLU_ERROR(name + ": " + chunk + where + " is " + std::to_string(length) + " bytes long, but only " +
                std::to_string(in.Left()) + " are left");
  return length;
}

}  // namespace

LoadNBLMesh::LoadNBLMesh(const std::wstring& path) : finished(false) {
  const std::string name = core::ToNarrow(path);
  NEBLU_MESSAGE("Loading .nbl mesh " + name);

  std::string bytes;
  if (!ReadMeshBytes(path, bytes)) NEBLU_ERROR(name + " mesh not found");

  ByteReader in(bytes);
  char magic[5] = {};
  if (!in.Read(magic, 4) || std::strcmp(magic, "NBLU") != 0) NEBLU_ERROR(name + " is not a .nbl mesh");

  // Streams shorter than the vertex count would be read past their end by every later
  // step, so their sizes are kept to be checked once the whole file is in.
  std::int32_t normalCount = -1, texCoordCount = -1, colourCount = -1, tangentCount = -1, secondTexCoordCount = -1;

  finished = false;
  while (!finished) {
    const std::int32_t kind = ReadChunkKind(in, name, "");
    if (kind == kEndChunk) {
      finished = true;
      break;
    }
    if (kind == kHeaderChunk) {
      std::int32_t length;
      if (!in.ReadInt(length) || !in.Skip(kHeaderPayload))
        NEBLU_ERROR(name + " ends inside a chunk of kind " + std::to_string(kind));
      continue;
    }
    const std::int32_t length = ReadChunkLength(in, name, kind, "");

    switch (kind) {
      case kPositionChunk: {
        const std::int32_t count = length / 12;
        NumVertices(count);
        AddStream(*this, in, "POSITION", DXGI_FORMAT_R32G32B32_FLOAT, count);
        break;
      }
      case kNormalChunk:
        normalCount = length / 12;
        AddStream(*this, in, "NORMAL", DXGI_FORMAT_R32G32B32_FLOAT, normalCount);
        break;
      case kTexCoordChunk:
        texCoordCount = length / 8;
        AddStream(*this, in, "TEXCOORD", DXGI_FORMAT_R32G32_FLOAT, texCoordCount);
        break;
      case kIndexChunk: {
        std::int32_t stride;
        if (length < 4 || !in.ReadInt(stride))
          NEBLU_ERROR(name + ": index chunk of " + std::to_string(length) + " bytes has no room for its stride");
        if (stride != 2 && stride != 4)
          NEBLU_ERROR(name + ": index stride " + std::to_string(stride) + " is neither 2 nor 4");
        const std::int32_t count = (length - 4) / stride;
        const std::size_t indexBytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(stride);
        std::unique_ptr<char[]> array(static_cast<char*>(AllocateMeshBuffer(indexBytes)));
        in.Read(array.get(), indexBytes);
        IndexStride(stride);
        NumIndices(count);
        Indices(reinterpret_cast<short*>(array.release()));
        break;
      }
      default:
        if (kind == kFormerColourChunk && length > 0 && length % 16 == 0)
          NEBLU_WARNING(name + ": a chunk of kind 7 before the end marker is read past; if it holds vertex "
                        "colours, convert the mesh again to keep them");
        in.Skip(static_cast<std::size_t>(length));
        break;
    }
  }

  if (in.Left() >= 4 && std::memcmp(in.Peek(), kExtensionMagic, 4) == 0) {
    in.Skip(4);
    for (;;) {
      const std::int32_t kind = ReadChunkKind(in, name, kInExtension);
      if (kind == kEndChunk) break;
      const std::int32_t length = ReadChunkLength(in, name, kind, kInExtension);
      // A length that is no whole number of elements leaves a remainder to step over, so
      // that the next chunk is read from where it starts.
      const std::size_t elementSize = kind == kSecondTexCoordChunk ? 8 : 16;
      switch (kind) {
        case kColourChunk:
          colourCount = length / 16;
          AddStream(*this, in, "COLOR", DXGI_FORMAT_R32G32B32A32_FLOAT, colourCount);
          break;
        case kTangentChunk:
          tangentCount = length / 16;
          AddStream(*this, in, "TANGENT", DXGI_FORMAT_R32G32B32A32_FLOAT, tangentCount);
          break;
        case kSecondTexCoordChunk:
          secondTexCoordCount = length / 8;
          AddStream(*this, in, "TEXCOORD", DXGI_FORMAT_R32G32_FLOAT, secondTexCoordCount, 1);
          break;
        default:
          in.Skip(static_cast<std::size_t>(length));
          continue;
      }
      in.Skip(static_cast<std::size_t>(length) % elementSize);
    }
  }

  if (NumIndices() < 1) NEBLU_ERROR(L"Number of indices in mesh " + path + L" <= 0");
  const struct {
    const char* stream;
    std::int32_t count;
  } lengths[] = {{"NORMAL", normalCount},   {"TEXCOORD", texCoordCount},         {"COLOR", colourCount},
                 {"TANGENT", tangentCount}, {"TEXCOORD1", secondTexCoordCount}};
  for (const auto& entry : lengths) {
    if (entry.count >= 0 && entry.count < NumVertices())
      NEBLU_ERROR(name + " holds " + std::to_string(entry.count) + " " + entry.stream + " elements for " +
                  std::to_string(NumVertices()) + " vertices");
  }
}

}  // namespace gfx
}  // namespace engine
