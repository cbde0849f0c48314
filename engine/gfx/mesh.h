#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/api.h"

namespace engine {
namespace gfx {

namespace MeshData {

// Kinds of per-vertex data the engine acts on, each tied to the semantic name that is
// also the stream's name and the shader input semantic.
enum DataTypes : std::int32_t {
  POSITION = 0,
  NORMAL = 1,
  TEXCOORD = 2,
  TANGENT = 3,
  BINORMAL = 4,
  BONE = 5,  // a stream kind materials may name; no mesh processing acts on it
};

}  // namespace MeshData

// "POSITION" .. "BINORMAL", or null for a value outside the enumeration.
ENGINE_API const char* SemanticName(MeshData::DataTypes type);

// Bytes per element of a stream format (a DXGI code). Codes outside the short list of
// formats a stream may have raise "Unrecognized per vertex data type".
ENGINE_API int FormatSize(int format);
// The same table without raising: 0 for a code outside it.
ENGINE_API int FormatSizeOrZero(int format);

// Every index array and stream buffer a mesh owns comes from this heap and goes back to
// it; the AllocateMemory/DeleteMemory exports hand the same pair to the program, so a
// buffer may be allocated on one side of the library boundary and released on the other.
ENGINE_API void* AllocateMeshBuffer(std::size_t bytes);
ENGINE_API void ReleaseMeshBuffer(void* buffer);

// One per-vertex data stream. A plain record: copies share `data`, and only the mesh the
// record was added to owns it.
struct PVData {
  std::string name;              // semantic name; any text, but only the five above are acted on
  std::int32_t format = 0;       // DXGI code of one element (see FormatSize)
  std::int32_t semanticIndex = 0;  // 0 for the first stream of a name ("TEXCOORD" 1 is the second set)
  void* data = nullptr;          // NumVertices elements, laid end to end
};

// The CPU form of a triangle-list mesh: a vertex count, an index array and any number of
// per-vertex streams. Owns its index array and every stream buffer; a buffer handed to
// Add or to the Indices setter passes into the mesh's ownership and must come from
// AllocateMeshBuffer (the program gets one through AllocateMemory).
//
// Besides the stream list (in order of first addition) the mesh keeps a type map from
// DataTypes to a copy of one stream: "POSITION" (key 0), "NORMAL" (key 1) and "TEXCOORD"
// with semantic index 0 (key 2). Every other stream lives in the list only.
//
// Not copyable: two copies would release the same buffers.
class ENGINE_API LoadMesh {
 public:
  LoadMesh();
  virtual ~LoadMesh();
  LoadMesh(const LoadMesh&) = delete;
  LoadMesh& operator=(const LoadMesh&) = delete;

  int NumVertices() const { return numVertices; }
  void NumVertices(int count) { numVertices = count; }
  int NumIndices() const { return numIndices; }
  void NumIndices(int count) { numIndices = count; }
  // 2 or 4 bytes per index.
  int IndexStride() const { return indexStride; }
  // With stride 4 the same memory holds 32-bit indices.
  short* Indices() const { return indices; }
  // Releases the current index array and takes `array` over without copying.
  void Indices(short* array);

  unsigned NumData() const { return static_cast<unsigned>(streams.size()); }
  // The i-th stream of the list, or null past its end. Pointers stay valid until the next
  // Add, Delete or DeleteAll.
  PVData* GetData(unsigned i);
  const PVData* GetData(unsigned i) const;
  // The type map's record for `type`, or null when there is none.
  PVData* GetData(MeshData::DataTypes type);
  const PVData* GetData(MeshData::DataTypes type) const;
  bool IsAvailable(MeshData::DataTypes type) const;

  // Adds a stream, or replaces the data of the listed stream with the same name and
  // semantic index (keeping its place in the list). A replaced buffer is released unless
  // it is the one being added.
  void Add(const PVData& stream);
  // Removes every listed stream of that kind ("TEXCOORD": semantic index 0 only) and its
  // type-map entry. The buffers are not released: the caller takes them back, so read
  // the data pointer before deleting.
  void Delete(MeshData::DataTypes type);
  // Drops every stream and releases its buffer; counts and indices stay.
  void DeleteAll();

  // The headerless serialized form. Serialize writes nothing (and returns false) when the
  // file cannot be opened or the mesh lacks the data its counts promise. Deserialize
  // returns false, leaving the mesh as it was, when the file cannot be opened or its
  // contents do not fit its counts.
  bool Serialize(const std::string& path) const;
  bool Deserialize(const std::string& path);

  // Smooth per-vertex normals from the triangles, into the NORMAL stream.
  void GenerateNormals();
  // Re-points indices to an earlier vertex at the same place (and texture coordinate)
  // whose normal is within `angle` degrees, then smooths the normals across the welds.
  void OptimizeMesh(float angle);

  // Deletes the object from the engine's side of the library boundary.
  void DestroyItself();

 protected:
  void IndexStride(int stride) { indexStride = stride; }

 private:
  int numVertices;   // 0
  int numIndices;    // 0
  int indexStride;   // 4
  short* indices;    // null
  std::vector<PVData> streams;
  std::map<MeshData::DataTypes, PVData> types;
};

}  // namespace gfx
}  // namespace engine
