#include "engine/math/projection.h"

#include <cmath>

namespace engine {
namespace math {

Matrix4x4 PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
  const float yScale = 1.0f / std::tan(fovY / 2.0f);
  const float xScale = yScale / aspect;
  const float depth = zFar / (zFar - zNear);
  return Matrix4x4(xScale, 0, 0, 0,  //
                   0, yScale, 0, 0,  //
                   0, 0, depth, 1,   //
                   0, 0, -zNear * depth, 0);
}

Matrix4x4 OrthoLH(float width, float height, float zNear, float zFar) {
  const float depth = 1.0f / (zFar - zNear);
  return Matrix4x4(2.0f / width, 0, 0, 0,  //
                   0, 2.0f / height, 0, 0,  //
                   0, 0, depth, 0,          //
                   0, 0, -zNear * depth, 1);
}

}  // namespace math
}  // namespace engine
