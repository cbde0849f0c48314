#pragma once

// The glTF scene the gltf2demo tests convert, made here rather than stored: a slab
// ("Base") that bobs on a cubic spline and carries a tower ("Spinner") turning for two
// seconds on linear rotation keys, a camera looking down at them, a directional sun and,
// to be left out, a point light and a second texture set on the tower.

#include <array>
#include <string>

namespace testscene {

constexpr double KeyTimes[3] = {0.0, 1.0, 2.0};

// Spinner's rotation keys (x, y, z, w), turning about three different axes.
std::array<std::array<double, 4>, 3> SpinnerRotations();

// Base's cubic-spline translation: per key the in-tangent, the value, the out-tangent.
constexpr double BaseSpline[3][3][3] = {
    {{0, 0, 0}, {0, 0, 0}, {0, 0.6, 0}},
    {{0.2, 0.3, 0}, {0.1, 0.4, 0}, {0.2, 0.3, 0}},
    {{0, -0.5, 0}, {0, 0.1, 0}, {0, 0, 0}},
};

// Spinner's rest translation in glTF axes (y up), in Base's frame: up and to the right
// (+x) seen from the camera, so a picture shows which way round the scene is.
constexpr double SpinnerOffset[3] = {0.5, 0.6, 0.0};

// Writes FOLDER/scene.gltf and its buffer FOLDER/scene.bin, or with `binary` the same
// scene as the one file FOLDER/scene.glb; false when a file cannot be written.
bool WriteTestScene(const std::string& folder, bool binary = false);

}  // namespace testscene
