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
    case 16: return TINYGLTF_TYPE_MAT4;
    default: return -1;
  }
}

const char* TypeName(int components) {
  switch (components) {
    case 1: return "SCALAR";
    case 2: return "VEC2";
    case 3: return "VEC3";
    case 16: return "MAT4";
    default: return "VEC4";
  }
}

// Bytes of `count` elements of `elementSize` from `byteOffset` in buffer view `viewIndex`,
// checked: the first byte of element 0, the distance between elements, and the element
// size all lie inside the buffer view and its buffer. `strided` says whether the view's
// byte stride applies (sparse index and value arrays are always packed).
struct Span {
  const unsigned char* first;
  std::size_t stride;
};

Span Locate(const tinygltf::Model& model, int index, int viewIndex, std::size_t byteOffset, std::size_t count,
            std::size_t elementSize, bool strided, const std::string& what) {
  std::string problem;
  const unsigned char* bytes = ViewBytes(model, viewIndex, &problem);
  if (!bytes) Fail(index, what, problem);
  const tinygltf::BufferView& view = model.bufferViews[static_cast<std::size_t>(viewIndex)];
  const std::size_t stride = strided && view.byteStride ? view.byteStride : elementSize;
  if (stride < elementSize) Fail(index, what, "its buffer view's byte stride is smaller than an element");
  // Element count - 1 strides plus one element after the offset, without overflow.
  const std::size_t length = view.byteLength;
  if (byteOffset > length || elementSize > length - byteOffset || (count - 1) > (length - byteOffset - elementSize) / stride)
    Fail(index, what,
         std::to_string(count) + " elements from byte " + std::to_string(byteOffset) + " do not fit in buffer view " +
             std::to_string(viewIndex) + " (" + std::to_string(length) + " bytes)");
  return {bytes + byteOffset, stride};
}

// An accessor without a buffer view reads as zeros: its size comes from a number in the
// file, not from bytes that are there, so it is bounded.
constexpr std::size_t MostElementsWithoutData = std::size_t{1} << 24;

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

// The accessor's elements, `width` values of T each, decoded by `decode(bytes, out)`:
// the buffer view's elements (zeros without one), then the sparse substitutions.
template <class T, class Decode>
std::vector<T> Gather(const tinygltf::Model& model, int index, const tinygltf::Accessor& accessor, std::size_t elementSize,
                      std::size_t width, const std::string& what, Decode decode) {
  if (accessor.count < 1) Fail(index, what, "has no elements");
  std::vector<T> out;
  if (accessor.bufferView >= 0) {
    const Span span = Locate(model, index, accessor.bufferView, accessor.byteOffset, accessor.count, elementSize, true, what);
    out.resize(accessor.count * width);
    for (std::size_t e = 0; e < accessor.count; ++e) decode(span.first + e * span.stride, &out[e * width], e);
  } else if (accessor.sparse.isSparse) {
    if (accessor.count > MostElementsWithoutData)
      Fail(index, what, std::to_string(accessor.count) + " elements without a buffer view are more than this tool takes (" +
                            std::to_string(MostElementsWithoutData) + ")");
    out.assign(accessor.count * width, T{});
  } else {
    Fail(index, what, "has no buffer view, so no data");
  }
  if (!accessor.sparse.isSparse) return out;
  const auto& sparse = accessor.sparse;
  if (sparse.count < 1 || static_cast<std::size_t>(sparse.count) > accessor.count)
    Fail(index, what, "its sparse count " + std::to_string(sparse.count) + " is not between 1 and its element count");
  const std::size_t n = static_cast<std::size_t>(sparse.count);
  std::size_t indexSize = 0;
  switch (sparse.indices.componentType) {
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: indexSize = 1; break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: indexSize = 2; break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: indexSize = 4; break;
    default: Fail(index, what, "its sparse indices must be unsigned 8, 16 or 32-bit integers");
  }
  if (sparse.indices.byteOffset < 0 || sparse.values.byteOffset < 0) Fail(index, what, "a sparse byte offset is negative");
  const Span at = Locate(model, index, sparse.indices.bufferView, static_cast<std::size_t>(sparse.indices.byteOffset), n,
                         indexSize, false, what + ", sparse indices");
  const Span values = Locate(model, index, sparse.values.bufferView, static_cast<std::size_t>(sparse.values.byteOffset), n,
                             elementSize, false, what + ", sparse values");
  for (std::size_t k = 0; k < n; ++k) {
    const unsigned char* i = at.first + k * indexSize;
    const std::size_t e = indexSize == 1 ? Load<std::uint8_t>(i) : indexSize == 2 ? Load<std::uint16_t>(i) : Load<std::uint32_t>(i);
    if (e >= accessor.count)
      Fail(index, what, "sparse index " + std::to_string(k) + " is " + std::to_string(e) + ", but there are " +
                            std::to_string(accessor.count) + " elements");
    decode(values.first + k * elementSize, &out[e * width], e);
  }
  return out;
}

}  // namespace

const unsigned char* ViewBytes(const tinygltf::Model& model, int viewIndex, std::string* problem) {
  if (viewIndex < 0 || static_cast<std::size_t>(viewIndex) >= model.bufferViews.size()) {
    *problem = "buffer view " + std::to_string(viewIndex) + " does not exist";
    return nullptr;
  }
  const tinygltf::BufferView& view = model.bufferViews[static_cast<std::size_t>(viewIndex)];
  if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model.buffers.size()) {
    *problem = "buffer " + std::to_string(view.buffer) + " of its buffer view does not exist";
    return nullptr;
  }
  const std::vector<unsigned char>& data = model.buffers[static_cast<std::size_t>(view.buffer)].data;
  if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) {
    *problem = "its buffer view reaches past the end of buffer " + std::to_string(view.buffer);
    return nullptr;
  }
  return data.data() + view.byteOffset;
}

bool IsSparse(const tinygltf::Model& model, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < model.accessors.size() &&
         model.accessors[static_cast<std::size_t>(index)].sparse.isSparse;
}

int ComponentsOf(const tinygltf::Model& model, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size()) return 0;
  switch (model.accessors[static_cast<std::size_t>(index)].type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    default: return 0;
  }
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
  const std::size_t width = static_cast<std::size_t>(components);
  return Gather<float>(model, index, accessor, size * width, width, what,
                       [&](const unsigned char* element, float* out, std::size_t e) {
    for (std::size_t c = 0; c < width; ++c) {
      const unsigned char* at = element + c * size;
      float value = 0;
      if (size != 4 && !accessor.normalized) {
        // Quantised meshes store plain integers, scaled by their node.
        switch (accessor.componentType) {
          case TINYGLTF_COMPONENT_TYPE_BYTE: value = Load<std::int8_t>(at); break;
          case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: value = Load<std::uint8_t>(at); break;
          case TINYGLTF_COMPONENT_TYPE_SHORT: value = Load<std::int16_t>(at); break;
          default: value = Load<std::uint16_t>(at); break;
        }
      } else {
        switch (accessor.componentType) {
          case TINYGLTF_COMPONENT_TYPE_FLOAT: value = Load<float>(at); break;
          case TINYGLTF_COMPONENT_TYPE_BYTE: value = std::fmax(Load<std::int8_t>(at) / 127.0f, -1.0f); break;
          case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: value = Load<std::uint8_t>(at) / 255.0f; break;
          case TINYGLTF_COMPONENT_TYPE_SHORT: value = std::fmax(Load<std::int16_t>(at) / 32767.0f, -1.0f); break;
          default: value = Load<std::uint16_t>(at) / 65535.0f; break;
        }
        if (!std::isfinite(value)) Fail(index, what, "element " + std::to_string(e) + " is not a finite number");
      }
      out[c] = value;
    }
  });
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
  return Gather<std::uint32_t>(model, index, accessor, size, 1, what, [&](const unsigned char* at, std::uint32_t* out, std::size_t) {
    *out = size == 1 ? Load<std::uint8_t>(at) : size == 2 ? Load<std::uint16_t>(at) : Load<std::uint32_t>(at);
  });
}

}  // namespace gltf2demo
