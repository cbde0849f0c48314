// Accessor reading: component kinds, strides, and ranges that do not fit their buffer.

#include <gtest/gtest.h>

#include <tiny_gltf.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "tools/gltf2demo/accessors.h"
#include "tools/gltf2demo/gltfError.h"

namespace {

using gltf2demo::GltfError;
using gltf2demo::ReadFloats;

// One buffer of `bytes` in one view, read by one accessor.
tinygltf::Model OneAccessor(const std::vector<unsigned char>& bytes, int componentType, int type, std::size_t count,
                            bool normalized, std::size_t stride = 0) {
  tinygltf::Model model;
  model.buffers.emplace_back();
  model.buffers[0].data = bytes;
  model.bufferViews.emplace_back();
  model.bufferViews[0].buffer = 0;
  model.bufferViews[0].byteLength = bytes.size();
  model.bufferViews[0].byteStride = stride;
  model.accessors.emplace_back();
  tinygltf::Accessor& accessor = model.accessors[0];
  accessor.bufferView = 0;
  accessor.componentType = componentType;
  accessor.type = type;
  accessor.count = count;
  accessor.normalized = normalized;
  return model;
}

template <class T>
std::vector<unsigned char> Bytes(const std::vector<T>& values) {
  std::vector<unsigned char> out(values.size() * sizeof(T));
  std::memcpy(out.data(), values.data(), out.size());
  return out;
}

std::string ErrorOf(const tinygltf::Model& model, int components) {
  try {
    ReadFloats(model, 0, components, "test data");
  } catch (const GltfError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(ReadFloats, ScalesNormalisedIntegersAndKeepsPlainOnes) {
  const auto bytes = Bytes<std::int8_t>({-128, -127, 0, 127});
  EXPECT_EQ(ReadFloats(OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_BYTE, TINYGLTF_TYPE_SCALAR, 4, true), 0, 1, "t"),
            (std::vector<float>{-1, -1, 0, 1}));
  EXPECT_EQ(ReadFloats(OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_BYTE, TINYGLTF_TYPE_SCALAR, 4, false), 0, 1, "t"),
            (std::vector<float>{-128, -127, 0, 127}));
  const auto shorts = Bytes<std::uint16_t>({0, 65535});
  EXPECT_EQ(ReadFloats(OneAccessor(shorts, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC2, 1, true), 0, 2, "t"),
            (std::vector<float>{0, 1}));
}

TEST(ReadFloats, StepsByTheViewsStride) {
  // Interleaved: a float pair and a float of something else, three times.
  const auto bytes = Bytes<float>({1, 2, 9, 3, 4, 9, 5, 6, 9});
  EXPECT_EQ(ReadFloats(OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, 3, false, 12), 0, 2, "t"),
            (std::vector<float>{1, 2, 3, 4, 5, 6}));
}

TEST(ReadFloats, RefusesWhatDoesNotFitOrIsNotANumber) {
  const auto bytes = Bytes<float>({1, 2, 3, 4, 5, 6});
  EXPECT_NE(ErrorOf(OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, false), 3).find("do not fit"),
            std::string::npos);
  // A count whose byte size wraps round must not pass the range check.
  const std::size_t huge = std::numeric_limits<std::size_t>::max() / 4 + 2;
  EXPECT_NE(ErrorOf(OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, huge, false), 1).find("do not fit"),
            std::string::npos);
  tinygltf::Model offset = OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, 1, false);
  offset.accessors[0].byteOffset = std::numeric_limits<std::size_t>::max() - 2;
  EXPECT_NE(ErrorOf(offset, 1).find("do not fit"), std::string::npos);
  tinygltf::Model view = OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, 1, false);
  view.bufferViews[0].byteOffset = 20;
  EXPECT_NE(ErrorOf(view, 1).find("reaches past the end of buffer 0"), std::string::npos);
  EXPECT_NE(ErrorOf(OneAccessor(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, 3, false), 3).find("is not of type VEC3"),
            std::string::npos);
  const auto nan = Bytes<float>({1, std::numeric_limits<float>::quiet_NaN()});
  EXPECT_NE(ErrorOf(OneAccessor(nan, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, 2, false), 1).find("element 1 is not a finite number"),
            std::string::npos);
}

}  // namespace
