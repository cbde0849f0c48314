#pragma once

// glTF scenes for the streams a normal map needs: tangents, read from the file or made,
// and a second texture coordinate set. Built as models in memory.

#include <tiny_gltf.h>

namespace streamscenes {

// Mesh "Panel": two unit squares side by side in glTF's z = 0 plane, facing +z, on
// vertices of their own. Set 0 lays a picture on the left square as it is and on the
// right one mirrored left to right (u falls as x grows); v runs down the picture, as
// glTF's does, so up the picture is +y on both. Set 1 holds other coordinates (u = x / 4,
// v = y / 4 + 0.5). Its material "Bumpy" has a normal texture on `normalSet` (-1: none)
// and an occlusion texture on set 1 when `occlusionOnSet1`.
struct PanelOptions {
  bool normals = true;        // NORMAL; without, glTF asks for flat normals and ignores TANGENT
  bool fileTangents = false;  // TANGENT, the ones that fit the layout, in glTF's convention
  bool sameCoordinates = false;  // set 0 the same point for every vertex: no direction to find
  int normalSet = 0;
  bool occlusionOnSet1 = true;
  bool doubleSided = false;
};
tinygltf::Model Panel(const PanelOptions& options);

// The coordinates of set 1, two a vertex, in the Panel's vertex order.
std::vector<float> PanelSecondSet();

}  // namespace streamscenes
