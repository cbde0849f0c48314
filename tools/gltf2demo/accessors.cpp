#include "tools/gltf2demo/accessors.h"

#include <tiny_gltf.h>

#include <cmath>
#include <cstring>

#include "tools/gltf2demo/gltfError.h"

namespace gltf2demo {

namespace {

[[noreturn]] void Fail(int index, const std::string& what, const std::string& problem) {
  throw GltfError("accessor " + std::to_string(index) + " (" + what + "): " + problem);
}

int TypeOfComponents(int components) {
  switch (components) {
    case 1: return TINYGLTF_TYPE_SCALAR;
    case 2: return TINYGLTF_TYPE_VEC2;
    case 3: return TINYGLTF_TYPE_VEC3;
    case 4: return TINYGLTF_TYPE_VEC4;
    default: return -1;
  }
}

const char* TypeName(int components) {
  switch (components) {
    case 1: return "SCALAR";
    case 2: return "VEC2";
    case 3: return "VEC3";
    default: return "VEC4";
  }
}

// The accessor's bytes, checked: the first byte of element 0, the distance between
// elements, and the element size all lie inside the buffer view and its buffer.
struct Span {
  const unsigned char* first;
  std::size_t stride;
};

Span Locate(const tinygltf::Model& model, int index, const tinygltf::Accessor& accessor, std::size_t elementSize,
            const std::string& what) {
  if (accessor.sparse.isSparse) Fail(index, what, "sparse accessors are not supported");
  if (accessor.count < 1) Fail(index, what, "has no elements");
  if (accessor.bufferView < 0) Fail(index, what, "has no buffer view, so no data");
  if (static_cast<std::size_t>(accessor.bufferView) >= model.bufferViews.size())
    Fail(index, what, "buffer view " + std::to_string(accessor.bufferView) + " does not exist");
  const tinygltf::BufferView& view = model.bufferViews[static_cast<std::size_t>(accessor.bufferView)];
  if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model.buffers.size())
    Fail(index, what, "buffer " + std::to_string(view.buffer) + " of its buffer view does not exist");
  const std::vector<unsigned char>& data = model.buffers[static_cast<std::size_t>(view.buffer)].data;
  if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset)
    Fail(index, what,
         "buffer view " + std::to_string(accessor.bufferView) + " reaches past the end of buffer " +
             std::to_string(view.buffer) + " (" + std::to_string(data.size()) + " bytes)");
  const std::size_t stride = view.byteStride ? view.byteStride : elementSize;
  if (stride < elementSize) Fail(index, what, "its buffer view's byte stride is smaller than an element");
  // Element count - 1 strides plus one element after the offset, without overflow.
  const std::size_t length = view.byteLength;
  if (accessor.byteOffset > length || elementSize > length - accessor.byteOffset ||
      (accessor.count - 1) > (length - accessor.byteOffset - elementSize) / stride)
    Fail(index, what,
         std::to_string(accessor.count) + " elements from byte " + std::to_string(accessor.byteOffset) +
             " do not fit in buffer view " + std::to_string(accessor.bufferView) + " (" + std::to_string(length) +
             " bytes)");
  return {data.data() + view.byteOffset + accessor.byteOffset, stride};
}

const tinygltf::Accessor& Find(const tinygltf::Model& model, int index, const std::string& what) {
  if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
    throw GltfError(what + ": accessor " + std::to_string(index) + " does not exist");
  return model.accessors[static_cast<std::size_t>(index)];
}

template <class T>
T Load(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace

bool IsSparse(const tinygltf::Model& model, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < model.accessors.size() &&
         model.accessors[static_cast<std::size_t>(index)].sparse.isSparse;
}

std::vector<float> ReadFloats(const tinygltf::Model& model, int index, int components, const std::string& what) {
  const tinygltf::Accessor& accessor = Find(model, index, what);
  if (accessor.type != TypeOfComponents(components)) Fail(index, what, std::string("is not of type ") + TypeName(components));
  std::size_t size = 0;
  switch (accessor.componentType) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: size = 4; break;
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: size = 1; break;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: size = 2; break;
    default: Fail(index, what, "component type " + std::to_string(accessor.componentType) + " is not a float or an 8 or 16-bit integer");
  }
  const Span span = Locate(model, index, accessor, size * static_cast<std::size_t>(components), what);
  std::vector<float> out;
  out.reserve(accessor.count * static_cast<std::size_t>(components));
  for (std::size_t e = 0; e < accessor.count; ++e) {
    const unsigned char* element = span.first + e * span.stride;
    for (int c = 0; c < components; ++c) {
      const unsigned char* at = element + static_cast<std::size_t>(c) * size;
      float value = 0;
      if (size != 4 && !accessor.normalized) {
        // Quantised meshes store plain integers, scaled by their node.
        switch (accessor.componentType) {
          case TINYGLTF_COMPONENT_TYPE_BYTE: value = Load<std::int8_t>(at); break;
          case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: value = Load<std::uint8_t>(at); break;
          case TINYGLTF_COMPONENT_TYPE_SHORT: value = Load<std::int16_t>(at); break;
          default: value = Load<std::uint16_t>(at); break;
        }
        out.push_back(value);
        continue;
      }
      switch (accessor.componentType) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: value = Load<float>(at); break;
        case TINYGLTF_COMPONENT_TYPE_BYTE: value = std::fmax(Load<std::int8_t>(at) / 127.0f, -1.0f); break;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: value = Load<std::uint8_t>(at) / 255.0f; break;
        case TINYGLTF_COMPONENT_TYPE_SHORT: value = std::fmax(Load<std::int16_t>(at) / 32767.0f, -1.0f); break;
        default: value = Load<std::uint16_t>(at) / 65535.0f; break;
      }
      if (!std::isfinite(value)) Fail(index, what, "element " + std::to_string(e) + " is not a finite number");
      out.push_back(value);
    }
  }
  return out;
}

std::vector<std::uint32_t> ReadIndices(const tinygltf::Model& model, int index, const std::string& what) {
  const tinygltf::Accessor& accessor = Find(model, index, what);
  if (accessor.type != TINYGLTF_TYPE_SCALAR) Fail(index, what, "indices must be of type SCALAR");
  std::size_t size = 0;
  switch (accessor.componentType) {
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: size = 1; break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: size = 2; break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: size = 4; break;
    default: Fail(index, what, "indices must be unsigned 8, 16 or 32-bit integers");
  }
  const Span span = Locate(model, index, accessor, size, what);
  std::vector<std::uint32_t> out;
  out.reserve(accessor.count);
  for (std::size_t e = 0; e < accessor.count; ++e) {
    const unsigned char* at = span.first + e * span.stride;
    out.push_back(size == 1 ? Load<std::uint8_t>(at) : size == 2 ? Load<std::uint16_t>(at) : Load<std::uint32_t>(at));
  }
  return out;
}

}  // namespace gltf2demo
