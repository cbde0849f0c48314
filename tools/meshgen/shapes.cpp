#include "tools/meshgen/shapes.h"

#include <algorithm>
#include <cmath>

namespace meshgen {

namespace {

constexpr float kPi = 3.14159265358979f;

float Get(const Vector3f& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// How each of a box's six faces is seen from outside: the axis and side it faces, and the
// axes that run right and up on it, so every face gets its texture the right way round.
struct FaceFrame {
  int axis;
  float side;
  int right;
  float rightSign;
  int up;
  float upSign;
};

constexpr FaceFrame kFaces[6] = {
    {0, +1, 1, +1, 2, +1}, {0, -1, 1, -1, 2, +1}, {1, +1, 0, -1, 2, +1},
    {1, -1, 0, +1, 2, +1}, {2, +1, 0, +1, 1, +1}, {2, -1, 0, -1, 1, +1},
};

// A rectangle from `corner` along `right` and `up`, texture coordinates from (u0, v0) at
// the corner to (u1, v1) opposite.
void AddRect(Mesh& mesh, const Vector3f& corner, const Vector3f& right, const Vector3f& up, const Vector3f& inside,
             Vector2f uv0 = Vector2f(0, 0), Vector2f uv1 = Vector2f(1, 1)) {
  mesh.AddFlatPolygon({corner, corner + right, corner + right + up, corner + up},
                      {uv0, Vector2f(uv1.x, uv0.y), uv1, Vector2f(uv0.x, uv1.y)}, inside);
}

// A box's planes, and the same planes moved in by a bevel. Every corner of every patch is
// picked from these values rather than summed from extents, so points that patches share
// are bit for bit the same.
struct BoxPlanes {
  BoxPlanes(const Vector3f& low, const Vector3f& high, float bevel) {
    for (int a = 0; a < 3; ++a) {
      outer[a][0] = Get(low, a);
      outer[a][1] = Get(high, a);
      inner[a][0] = outer[a][0] + bevel;
      inner[a][1] = outer[a][1] - bevel;
    }
    centre = (low + high) * 0.5f;
  }
  // The corner towards the signs in `s` of the patch lying on the face of `axis`.
  Vector3f Point(int axis, const int s[3]) const {
    float c[3];
    for (int a = 0; a < 3; ++a) c[a] = (a == axis ? outer : inner)[a][s[a] > 0 ? 1 : 0];
    return Vector3f(c[0], c[1], c[2]);
  }
  float outer[3][2], inner[3][2];
  Vector3f centre;
};

// One face of the box, its walls cut into `bands` along the up axis.
void AddBoxFace(Mesh& mesh, const FaceFrame& f, const BoxPlanes& box, int bands) {
  const int side = f.side > 0 ? 1 : 0;
  const int rightLow = f.rightSign > 0 ? 0 : 1, upLow = f.upSign > 0 ? 0 : 1;
  const float upFrom = box.inner[f.up][upLow], upTo = box.inner[f.up][1 - upLow];
  auto at = [&](int rightEnd, float up) {
    float c[3];
    c[f.axis] = box.outer[f.axis][side];
    c[f.right] = box.inner[f.right][rightEnd];
    c[f.up] = up;
    return Vector3f(c[0], c[1], c[2]);
  };
  for (int k = 0; k < bands; ++k) {
    const float v0 = k == 0 ? upFrom : upFrom + (upTo - upFrom) * static_cast<float>(k) / static_cast<float>(bands);
    const float v1 =
        k + 1 == bands ? upTo : upFrom + (upTo - upFrom) * static_cast<float>(k + 1) / static_cast<float>(bands);
    mesh.AddFlatPolygon({at(rightLow, v0), at(1 - rightLow, v0), at(1 - rightLow, v1), at(rightLow, v1)},
                        {Vector2f(0, 0), Vector2f(1, 0), Vector2f(1, 1), Vector2f(0, 1)}, box.centre);
  }
}

}  // namespace

PixelMask PixelMask::FromRows(const std::vector<std::string>& rows) {
  PixelMask mask;
  mask.height = static_cast<int>(rows.size());
  mask.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  for (const std::string& row : rows)
    for (int c = 0; c < mask.width; ++c) mask.cells.push_back(c < static_cast<int>(row.size()) && row[c] == '#');
  return mask;
}

bool PixelMask::At(int column, int row) const {
  if (column < 0 || row < 0 || column >= width || row >= height) return false;
  return cells[static_cast<std::size_t>(row * width + column)];
}

Mesh Box(const Vector3f& low, const Vector3f& high, int rows) {
  const BoxPlanes box(low, high, 0.0f);
  Mesh mesh;
  for (const FaceFrame& f : kFaces) AddBoxFace(mesh, f, box, f.axis == 2 ? 1 : std::max(rows, 1));
  return mesh;
}

Mesh BevelledBox(const Vector3f& low, const Vector3f& high, float bevel) {
  const Vector3f half = (high - low) * 0.5f;
  // A bevel as deep as the half extent would fold the faces away to nothing.
  bevel = std::min(bevel, 0.45f * std::min({half.x, half.y, half.z}));

  const BoxPlanes box(low, high, bevel);
  const Vector3f& centre = box.centre;
  Mesh mesh;
  for (const FaceFrame& f : kFaces) AddBoxFace(mesh, f, box, 1);
  auto onFace = [&box](int axis, const int s[3]) { return box.Point(axis, s); };

  int strip = 0;
  for (int a = 0; a < 3; ++a) {
    for (int b = a + 1; b < 3; ++b) {
      const int c = 3 - a - b;
      for (int sa : {-1, 1}) {
        for (int sb : {-1, 1}) {
          int lowEnd[3], highEnd[3];
          lowEnd[a] = highEnd[a] = sa;
          lowEnd[b] = highEnd[b] = sb;
          lowEnd[c] = -1;
          highEnd[c] = 1;
          const float v0 = 0.3f + 0.04f * static_cast<float>(strip++);
          mesh.AddFlatPolygon({onFace(a, lowEnd), onFace(a, highEnd), onFace(b, highEnd), onFace(b, lowEnd)},
                              {Vector2f(0, v0), Vector2f(1, v0), Vector2f(1, v0 + 0.02f), Vector2f(0, v0 + 0.02f)},
                              centre);
        }
      }
    }
  }
  for (int corner = 0; corner < 8; ++corner) {
    const int s[3] = {corner & 1 ? 1 : -1, corner & 2 ? 1 : -1, corner & 4 ? 1 : -1};
    const float v = 0.82f + 0.02f * static_cast<float>(corner);
    mesh.AddFlatPolygon({onFace(0, s), onFace(1, s), onFace(2, s)},
                        {Vector2f(0.48f, v), Vector2f(0.52f, v), Vector2f(0.5f, v + 0.01f)}, centre);
  }
  return mesh;
}

Mesh ExtrudedMask(const PixelMask& mask, const std::vector<float>& columnEdges, const std::vector<float>& rowEdges,
                  float front, float back) {
  const float left = columnEdges.front(), width = columnEdges.back() - left;
  const float bottom = rowEdges.front(), height = rowEdges.back() - bottom;
  const float depth = back - front;
  auto planar = [&](float x, float z) { return Vector2f((x - left) / width, (z - bottom) / height); };

  Mesh mesh;
  for (int r = 0; r < mask.height; ++r) {
    for (int c = 0; c < mask.width; ++c) {
      if (!mask.At(c, r)) continue;
      const float x0 = columnEdges[c], x1 = columnEdges[c + 1];
      const float z0 = rowEdges[mask.height - 1 - r], z1 = rowEdges[mask.height - r];
      const float dx = x1 - x0, dz = z1 - z0;
      const Vector3f inside((x0 + x1) * 0.5f, (front + back) * 0.5f, (z0 + z1) * 0.5f);

      AddRect(mesh, Vector3f(x0, front, z0), Vector3f(dx, 0, 0), Vector3f(0, 0, dz), inside, planar(x0, z0),
              planar(x1, z1));
      // Read from behind, the back runs the other way.
      AddRect(mesh, Vector3f(x1, back, z0), Vector3f(-dx, 0, 0), Vector3f(0, 0, dz), inside,
              Vector2f(1.0f - planar(x1, z0).x, planar(x1, z0).y), Vector2f(1.0f - planar(x0, z1).x, planar(x0, z1).y));
      // Walls only where the neighbour is empty: inside the shape they would be hidden
      // and would make edges shared by four triangles.
      if (!mask.At(c - 1, r)) AddRect(mesh, Vector3f(x0, back, z0), Vector3f(0, -depth, 0), Vector3f(0, 0, dz), inside);
      if (!mask.At(c + 1, r)) AddRect(mesh, Vector3f(x1, front, z0), Vector3f(0, depth, 0), Vector3f(0, 0, dz), inside);
      if (!mask.At(c, r - 1)) AddRect(mesh, Vector3f(x0, front, z1), Vector3f(dx, 0, 0), Vector3f(0, depth, 0), inside);
      if (!mask.At(c, r + 1))
        AddRect(mesh, Vector3f(x1, front, z0), Vector3f(-dx, 0, 0), Vector3f(0, depth, 0), inside);
    }
  }
  return mesh;
}

Mesh UVSphere(float radius, int segments, int rings) {
  Mesh mesh;
  for (int i = 0; i <= rings; ++i) {
    const float theta = kPi * static_cast<float>(i) / static_cast<float>(rings);
    const bool pole = i == 0 || i == rings;
    for (int j = 0; j <= segments; ++j) {
      // A pole vertex takes the middle of its segment, so the triangle it tops is not
      // sheared to one side in texture space.
      const float u = std::min(1.0f, (static_cast<float>(j) + (pole ? 0.5f : 0.0f)) / static_cast<float>(segments));
      const float phi = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(segments);
      const Vector3f n = pole ? Vector3f(0, 0, i == 0 ? 1.0f : -1.0f)
                              : Vector3f(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                                         std::cos(theta));
      mesh.AddVertex(n * radius, n, Vector2f(u, static_cast<float>(i) / static_cast<float>(rings)));
    }
  }
  const auto at = [segments](int i, int j) { return static_cast<std::uint32_t>(i * (segments + 1) + j); };
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      if (i != rings - 1) mesh.AddTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1));
      if (i != 0) mesh.AddTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1));
    }
  }
  return mesh;
}

Mesh Plane(float size, int divisions, float uvScale) {
  Mesh mesh;
  const float step = size / static_cast<float>(divisions);
  for (int i = 0; i <= divisions; ++i) {
    for (int j = 0; j <= divisions; ++j) {
      const float x = -0.5f * size + step * static_cast<float>(j);
      const float y = -0.5f * size + step * static_cast<float>(i);
      mesh.AddVertex(Vector3f(x, y, 0), Vector3f(0, 0, 1), Vector2f(x / uvScale, y / uvScale));
    }
  }
  const auto at = [divisions](int i, int j) { return static_cast<std::uint32_t>(i * (divisions + 1) + j); };
  for (int i = 0; i < divisions; ++i) {
    for (int j = 0; j < divisions; ++j) {
      mesh.AddTriangle(at(i, j), at(i, j + 1), at(i + 1, j + 1));
      mesh.AddTriangle(at(i, j), at(i + 1, j + 1), at(i + 1, j));
    }
  }
  return mesh;
}

Mesh TurnedAboutX(const Mesh& mesh) {
  Mesh out = mesh;
  for (Vector3f& p : out.positions) p = Vector3f(p.x, -p.z, p.y);
  for (Vector3f& n : out.normals) n = Vector3f(n.x, -n.z, n.y);
  return out;
}

}  // namespace meshgen
