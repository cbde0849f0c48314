#include "engine/gfx/mesh.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

#include "engine/core/logging.h"
#include "engine/gfx/byteReader.h"
#include "platform/dxgi_format.h"
#include "platform/paths.h"

namespace engine {
namespace gfx {

namespace {

const char* const kSemanticNames[] = {"POSITION", "NORMAL", "TEXCOORD", "TANGENT", "BINORMAL"};

// The type-map key a stream files under, if any.
bool StreamKey(const PVData& stream, MeshData::DataTypes& key) {
  if (stream.name == "POSITION") {
    key = MeshData::POSITION;
  } else if (stream.name == "NORMAL") {
    key = MeshData::NORMAL;
  } else if (stream.name == "TEXCOORD" && stream.semanticIndex == 0) {
    key = MeshData::TEXCOORD;
  } else {
    return false;
  }
  return true;
}

void AppendInt(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((bits >> shift) & 0xFF);
}

void AppendBytes(std::string& out, const void* data, std::size_t size) {
  if (size > 0) out.append(static_cast<const char*>(data), size);
}

}  // namespace

const char* SemanticName(MeshData::DataTypes type) {
  if (type < MeshData::POSITION || type > MeshData::BINORMAL) return nullptr;
  return kSemanticNames[type];
}

int FormatSizeOrZero(int format) {
  switch (format) {
    case DXGI_FORMAT_R32G32B32A32_FLOAT:
      return 16;
    case DXGI_FORMAT_R32G32B32_FLOAT:
      return 12;
    case DXGI_FORMAT_R32G32_FLOAT:
      return 8;
    case DXGI_FORMAT_R32_FLOAT:
    case DXGI_FORMAT_R32_UINT:
      return 4;
    case DXGI_FORMAT_R8_UNORM:
    case DXGI_FORMAT_R8_UINT:
      return 1;
    default:
      return 0;
  }
}

int FormatSize(int format) {
  const int size = FormatSizeOrZero(format);
  if (size == 0) NEBLU_ERROR("Unrecognized per vertex data type");
  return size;
}

void* AllocateMeshBuffer(std::size_t bytes) { return new char[bytes]; }

void ReleaseMeshBuffer(void* buffer) { delete[] static_cast<char*>(buffer); }

// ---- LoadMesh ----

LoadMesh::LoadMesh() : numVertices(0), numIndices(0), indexStride(4), indices(nullptr) {}

LoadMesh::~LoadMesh() {
  DeleteAll();
  ReleaseMeshBuffer(indices);
}

void LoadMesh::Indices(short* array) {
  if (array == indices) return;
  ReleaseMeshBuffer(indices);
  indices = array;
}

PVData* LoadMesh::GetData(unsigned i) { return i < streams.size() ? &streams[i] : nullptr; }

const PVData* LoadMesh::GetData(unsigned i) const { return i < streams.size() ? &streams[i] : nullptr; }

PVData* LoadMesh::GetData(MeshData::DataTypes type) {
  auto found = types.find(type);
  return found == types.end() ? nullptr : &found->second;
}

const PVData* LoadMesh::GetData(MeshData::DataTypes type) const {
  auto found = types.find(type);
  return found == types.end() ? nullptr : &found->second;
}

bool LoadMesh::IsAvailable(MeshData::DataTypes type) const { return types.count(type) != 0; }

void LoadMesh::Add(const PVData& stream) {
  MeshData::DataTypes key;
  if (StreamKey(stream, key)) types[key] = stream;

  for (PVData& listed : streams) {
    if (listed.name != stream.name || listed.semanticIndex != stream.semanticIndex) continue;
    if (listed.format != stream.format) NEBLU_WARNING("Data types do not match");
    // Callers that refill a buffer in place hand the same pointer back; anything else
    // supersedes the old buffer, which nobody else can reach any more.
    if (listed.data != stream.data) ReleaseMeshBuffer(listed.data);
    listed.format = stream.format;
    listed.data = stream.data;
    return;
  }
  streams.push_back(stream);
}

void LoadMesh::Delete(MeshData::DataTypes type) {
  const char* name = SemanticName(type);
  if (!name) NEBLU_ERROR("Could not determine data type");

  const bool firstSetOnly = type == MeshData::TEXCOORD;
  streams.erase(std::remove_if(streams.begin(), streams.end(),
                               [&](const PVData& s) {
                                 return s.name == name && (!firstSetOnly || s.semanticIndex == 0);
                               }),
                streams.end());
  types.erase(type);
}

void LoadMesh::DeleteAll() {
  types.clear();
  for (PVData& stream : streams) ReleaseMeshBuffer(stream.data);
  streams.clear();
}

void LoadMesh::DestroyItself() { delete this; }

// ---- Serialized form ----

bool LoadMesh::Serialize(const std::string& path) const {
  NEBLU_MESSAGE("Serializing mesh " + path);

  // The whole image is built first so that a mesh that cannot be written leaves no
  // half-written file behind.
  const bool indicesPresent = indices != nullptr || numIndices == 0;
  bool streamsPresent = true;
  for (const PVData& stream : streams) {
    FormatSize(stream.format);
    if (stream.data == nullptr && numVertices > 0) streamsPresent = false;
  }
  if (numVertices < 0 || numIndices < 0 || !indicesPresent || !streamsPresent) {
    NEBLU_WARNING("Mesh " + path + " lacks the data its counts promise and was not serialized");
    return false;
  }

  std::string image;
  AppendInt(image, numVertices);
  AppendInt(image, numIndices);
  AppendInt(image, indexStride);
  AppendBytes(image, indices, static_cast<std::size_t>(numIndices) * static_cast<std::size_t>(indexStride));
  AppendInt(image, static_cast<std::int32_t>(streams.size()));
  for (const PVData& stream : streams) {
    AppendInt(image, stream.semanticIndex);
    AppendInt(image, stream.format);
    AppendInt(image, static_cast<std::int32_t>(stream.name.size()));
    image += stream.name;
    AppendBytes(image, stream.data,
                static_cast<std::size_t>(numVertices) * static_cast<std::size_t>(FormatSize(stream.format)));
  }

  std::ofstream file(platform::NativePath(path), std::ios::binary | std::ios::trunc);
  if (!file) {
    NEBLU_WARNING("Could not open " + path + " to serialize a mesh");
    return false;
  }
  file.write(image.data(), static_cast<std::streamsize>(image.size()));
  return static_cast<bool>(file);
}

bool LoadMesh::Deserialize(const std::string& path) {
  NEBLU_MESSAGE("Deserializing mesh " + path);

  const std::string native = platform::NativePath(path);
  if (!platform::IsRegularFile(native)) return false;
  std::ifstream file(native, std::ios::binary);
  if (!file) return false;
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();

  // Everything is read into owned temporaries and checked first; the mesh changes only
  // once the whole file has been found consistent.
  struct Pending {
    PVData record;
    std::unique_ptr<char[]> buffer;
  };
  ByteReader in(bytes);
  std::int32_t vertices, count, stride, streamCount;
  if (!in.ReadInt(vertices) || !in.ReadInt(count) || !in.ReadInt(stride)) return false;
  if (vertices < 0 || (stride != 2 && stride != 4) || !in.Has(count, static_cast<std::size_t>(stride))) return false;
  const std::size_t indexBytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(stride);
  std::unique_ptr<char[]> indexArray(static_cast<char*>(AllocateMeshBuffer(indexBytes)));
  if (!in.Read(indexArray.get(), indexBytes) || !in.ReadInt(streamCount) || streamCount < 0) return false;

  std::vector<Pending> pending;
  for (std::int32_t s = 0; s < streamCount; ++s) {
    Pending p;
    std::int32_t nameLength;
    if (!in.ReadInt(p.record.semanticIndex) || !in.ReadInt(p.record.format) || !in.ReadInt(nameLength) ||
        !in.Has(nameLength, 1))
      return false;
    p.record.name.resize(static_cast<std::size_t>(nameLength));
    in.Read(&p.record.name[0], p.record.name.size());
    const std::size_t elementSize = static_cast<std::size_t>(FormatSize(p.record.format));
    if (!in.Has(vertices, elementSize)) return false;
    const std::size_t dataBytes = static_cast<std::size_t>(vertices) * elementSize;
    p.buffer.reset(static_cast<char*>(AllocateMeshBuffer(dataBytes)));
    in.Read(p.buffer.get(), dataBytes);
    pending.push_back(std::move(p));
  }

  // Streams already in the mesh are kept, which is only sound while they still hold one
  // element per vertex: a stream the file does not replace must match the new count.
  if (vertices != numVertices) {
    for (const PVData& existing : streams) {
      const bool replaced = std::any_of(pending.begin(), pending.end(), [&](const Pending& p) {
        return p.record.name == existing.name && p.record.semanticIndex == existing.semanticIndex;
      });
      if (!replaced) return false;
    }
  }

  numVertices = vertices;
  numIndices = count;
  indexStride = stride;
  Indices(reinterpret_cast<short*>(indexArray.release()));
  for (Pending& p : pending) {
    p.record.data = p.buffer.release();
    Add(p.record);
  }
  return true;
}

}  // namespace gfx
}  // namespace engine
