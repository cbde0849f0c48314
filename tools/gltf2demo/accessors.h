#pragma once

// Reading accessors with every range checked against the bytes that are really there, so
// that a broken count, offset or stride is an error and never a read past a buffer or a
// huge allocation.

#include <cstdint>
#include <string>
#include <vector>

namespace tinygltf {
class Model;
}

namespace gltf2demo {

// The accessor's elements as floats, `components` numbers each (1 for SCALAR, 3 for
// VEC3...). Float components are taken as they are; normalised integer ones are scaled
// to [0, 1] or [-1, 1] the way glTF defines, and plain 8 and 16-bit integers (quantised
// meshes) are their values. The accessor must have the type that
// `components` implies; `what` names its use in messages ("positions of mesh 'Box'").
// Sparse accessors read as their base data (zeros without a buffer view) with the
// substitutions made. Raises GltfError.
std::vector<float> ReadFloats(const tinygltf::Model& model, int accessor, int components, const std::string& what);

// An index accessor: unsigned 8, 16 or 32-bit scalars, sparse or not.
std::vector<std::uint32_t> ReadIndices(const tinygltf::Model& model, int accessor, const std::string& what);

// The first byte of buffer view `view`, whose byteLength bytes lie inside its buffer;
// null with the reason in *problem ("its buffer view reaches past the end of buffer 0")
// when the view or its buffer does not exist or the view does not fit.
const unsigned char* ViewBytes(const tinygltf::Model& model, int view, std::string* problem);

// Whether `accessor` exists and is sparse (its data is not read here).
bool IsSparse(const tinygltf::Model& model, int accessor);

// Numbers per element of `accessor` (1 for SCALAR to 4 for VEC4); 0 for a matrix type or
// an accessor that does not exist.
int ComponentsOf(const tinygltf::Model& model, int accessor);

}  // namespace gltf2demo
