#pragma once

// Small glTF scenes, one for each thing gltf2demo reads beyond the plain test scene:
// textures from each place a file can keep them, vertex colours, several materials on a
// mesh, matrix and TRS hierarchies, the index forms and sparse data, several scenes,
// cameras, skins and morph targets, and animations whose nodes key different times.
// They are built as models in memory; Save writes one out as .gltf or .glb.

#include <tiny_gltf.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace featurescenes {

// The test picture: 8x8 pixels in four quadrants of distinct colours, so that a frame shows
// whether it lies the right way round. In file order: top left, top right, bottom left,
// bottom right.
constexpr unsigned char QuadrantColours[4][3] = {{220, 40, 40}, {40, 170, 60}, {40, 80, 220}, {235, 205, 40}};
std::string CheckerPng();
std::string CheckerJpeg();

enum class ImageSource {
  BufferView,  // the PNG in the scene's buffer, image named "Checker"
  File,        // the JPEG as checker.jpg beside the scene (Save does not write it)
  DataUri,     // the PNG in a data: URI, the image unnamed
};

// A unit box "Crate" whose material "Wood" shows the checker through texture coordinate
// set 1, each face upright as seen from outside. Set 0 holds the same coordinates mirrored
// left to right, so a picture tells which set was used. The sampler clamps u, mirrors v
// and magnifies without filtering.
tinygltf::Model TexturedBox(ImageSource source);

// The texture coordinates of TexturedBox's set 1, two a vertex.
std::vector<float> TexturedBoxCoordinates();

// Mesh "Tinted", two boxes side by side as two primitives with materials of their own:
// on the left "Tiled", the checker (embedded) times COLOR_0 as float VEC4, on the right
// "Painted" with COLOR_0 as normalised unsigned byte VEC3. Colours are linear, as glTF
// keeps them.
tinygltf::Model ColouredBoxes();
// The colours of the left box's vertices (top ones white, bottom ones blue and part
// transparent) and of the right box's faces (+x, -x, +y, -y, +z, -z).
constexpr float LeftTopColour[4] = {1, 1, 1, 1};
constexpr float LeftBottomColour[4] = {0.2f, 0.5f, 1.0f, 0.25f};
constexpr std::uint8_t RightFaceColours[6][3] = {{255, 0, 0},   {0, 255, 255}, {0, 255, 0},
                                                 {255, 0, 255}, {128, 64, 0},  {0, 0, 255}};

// Two parent and child pairs placed alike, "MatrixParent"/"MatrixChild" by matrices and
// "TrsParent"/"TrsChild" by translation, rotation and scale; each child shows the mesh
// "Marker", whose corners MarkerCorners gives (glTF axes). The parents scale unevenly
// and turn about slanted axes, so a wrong order of scale and rotation shows.
tinygltf::Model Hierarchy();
std::vector<std::array<double, 3>> MarkerCorners();
// The same placements as glTF matrices (column-major), parent then child.
std::array<double, 16> ParentMatrix();
std::array<double, 16> ChildMatrix();

// Four nodes, one primitive each, in glTF axes:
//   "Loose"   two triangles without indices;
//   "Bytes"   a quad of four vertices drawn through 8-bit indices;
//   "Zeroed"  a triangle whose positions are a sparse accessor without a buffer view:
//             zeros but for vertices 1 and 2;
//   "Patched" the quad again, its vertex 3 moved by a sparse substitution on base data.
tinygltf::Model Geometry();
// The triangles each of those nodes should draw, as corner positions.
using Triangle = std::array<std::array<float, 3>, 3>;
std::vector<Triangle> LooseTriangles();
std::vector<Triangle> QuadTriangles(bool patched);
std::vector<Triangle> ZeroedTriangles();

// Two scenes, "First" in scene 0 and "Second" in scene 1; the file names scene 1.
tinygltf::Model TwoScenes();

// A box "Thing" seen by the orthographic camera "Flat" on node "Plan", and with
// `perspective` also by the perspective camera "Lens" on node "Eye" and lit by the sun
// "Noon" (linear colour 1, 0.5, 0.25, intensity 3) on node "Sun".
tinygltf::Model Cameras(bool perspective);

// Mesh "Flag" skinned to the joint "Bone" and with one morph target, whose weight an
// animation moves.
tinygltf::Model SkinnedAndMorphed();

// "Early" moves at 0 s and 0.4 s, "Late" scales at 1, 2 and 3 s, in one animation.
tinygltf::Model TwoAnimatedNodes();

// One box mesh "Pebble" (half size `half`) placed by `copies` nodes "Pebble.N" on glTF's
// ground plane, in rows along x of as many as the square root of `copies` rounded up,
// `spacing` apart, under one root node "Heap".
tinygltf::Model PlacedCopies(int copies, double spacing, double half = 0.5);

// What real exports bring together: four "Pebble" boxes 40 units across and 500 apart
// (a scene far larger than the engine's clip range), the second mirrored by a scale of
// -1 in x, under a sun "Daylight" of 6830 lux turned 50 degrees down, as a modelling
// tool exports its sun.
tinygltf::Model LargeSunlitScene();

// A unit box "Prop" standing on "Ground", a box scaled flat to 200 by 200 units.
tinygltf::Model PropOnGround();

// Writes `model` to `path`, binary when `binary`; false when it cannot.
bool Save(const tinygltf::Model& model, const std::string& path, bool binary);

}  // namespace featurescenes
