#pragma once

#include <string>
#include <vector>

#include "tools/meshgen/meshBuilder.h"

namespace meshgen {

// A grid of on/off cells, row 0 at the top, as pixel art is drawn.
struct PixelMask {
  int width = 0;
  int height = 0;
  std::vector<bool> cells;  // row after row, width * height

  // From rows of text, '#' for on; every row must be as long as the first.
  static PixelMask FromRows(const std::vector<std::string>& rows);
  // False outside the grid, so the border counts as empty.
  bool At(int column, int row) const;
};

// Solids are closed, with outward counter-clockwise triangles; flat faces have vertices
// of their own and the face normal, so hard edges stay hard.

// An axis-aligned box, 24 vertices and 36 indices, each face 0..1 in texture space. Each
// side wall is split into `rows` bands of equal height, each band 0..1 again (a storey of
// a building, whose windows the material draws per band).
Mesh Box(const Vector3f& low, const Vector3f& high, int rows = 1);

// A box with its twelve edges cut off at 45 degrees, `bevel` deep, and triangles at the
// corners. Faces are 0..1 in texture space; each bevel strip and corner has a narrow band
// of its own, so no two patches meet with equal texture coordinates and the start-up
// weld, which only joins vertices that match in texture space, keeps every edge hard.
Mesh BevelledBox(const Vector3f& low, const Vector3f& high, float bevel);

// The on cells of `mask` pushed out along y from `front` to `back` (front faces -y). Cell
// edges need not be evenly spaced: `columnEdges` has width + 1 ascending x values and
// `rowEdges` height + 1 ascending z values (so the mask's last row sits lowest). The
// front and back are textured planar over the whole mask, the walls 0..1 per cell side.
Mesh ExtrudedMask(const PixelMask& mask, const std::vector<float>& columnEdges, const std::vector<float>& rowEdges,
                  float front, float back);

// A sphere about the origin, poles on z, with smooth normals; u runs once around, v from
// the +z pole (0) to the -z pole (1). The seam column is doubled so u can reach 1.
Mesh UVSphere(float radius, int segments, int rings);

// A square in the plane z = 0 facing +z, `size` wide, centred on the origin, cut into
// `divisions` x `divisions` cells; texture coordinates are x/uvScale, y/uvScale.
Mesh Plane(float size, int divisions, float uvScale);

// The mesh turned a quarter about +x: y becomes z and z becomes -y, so a shape built
// standing up, facing -y, comes out lying down, facing -z. A rotation, so the winding
// stays outward.
Mesh TurnedAboutX(const Mesh& mesh);

}  // namespace meshgen
