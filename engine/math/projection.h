#pragma once

#include "engine/math/matrix.h"

namespace engine {
namespace math {

// Left-handed projections for row vectors, clip depth 0 to 1: the forms the engine's
// effects were written against.

// Perspective from a vertical field of view (radians) and width / height.
Matrix4x4 PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
// Orthographic volume of width by height, centred on the axis.
Matrix4x4 OrthoLH(float width, float height, float zNear, float zFar);

}  // namespace math
}  // namespace engine
