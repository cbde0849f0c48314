#pragma once

#include <functional>
#include <memory>
#include <string>

#include "authoring/authoredDemo.h"
#include "engine/gfx/mesh.h"

namespace orv {

// The meshes the demo makes or reworks in code at start-up. Each is a plain LoadMesh whose
// buffers come from the engine's heap; the shaders of its material do the animation, so a
// generator only lays out the streams its material reads. Generators read the random
// table (FillRandomTable first) and touch no device, so they can run without one.
//
// Quads throughout are four vertices, corner order lower left, upper left, upper right,
// lower right for grids (a billboard's own corner order is given with its generator), and
// six 32-bit indices b, b+1, b+2, b+2, b+3, b.

// Frees a mesh from the engine's side of the library boundary.
struct MeshDeleter {
  void operator()(engine::gfx::LoadMesh* mesh) const { mesh->DestroyItself(); }
};
using MeshPtr = std::unique_ptr<engine::gfx::LoadMesh, MeshDeleter>;

// Generated meshes.

// "data/points.demo_scene/Cube.nbl": a 256 x 256 grid of quads over [-10, 10]^2 in z = 0.
// POSITION float3; TEXCOORD 0 float2, the corner within its cell; TEXCOORD 1 float2, the
// cell centre as (u, -v); TEXCOORD 2 uint, a ring number growing with the distance of the
// cell from the grid centre (10 at the centre, 478 at the corners).
MeshPtr MakePointsCube();

// "data/intro.demo_scene/Grid.nbl": a 64 x 64 grid over [-1, 1]^2. POSITION float3;
// TEXCOORD 0 float2, the cell's lower left corner as (u, -v); TEXCOORD 1 uint, a random
// value 0 to 63 per cell.
MeshPtr MakeIntroGrid();

// "data/points.demo_scene/Bubbles.nbl" and "data/points.demo_scene/Flashes.nbl", made in
// one pass because piece p of both sits on the same random cell of a 64 x 64 grid over
// [-2.5, 2.5)^2.
//
// Bubbles: 4096 pieces of nine vertices and eight triangles, a 3 x 3 patch whose vertices
// all sit at the cell centre at a random depth (0 to -3.4). NORMAL float3 holds each
// vertex's fixed offset from the centre (the material spreads the patch out along it, the
// centre vertex b+2 pointing away along -z); TEXCOORD 0 float2 its patch coordinate.
//
// Flashes: 4096 quads covering the cell in z = 0. TEXCOORD 0 float3: the corner within the
// cell, then the flash's phase (0 to 1), so flashes do not all light up together.
struct BubblesAndFlashes {
  MeshPtr bubbles;
  MeshPtr flashes;
};
BubblesAndFlashes MakeBubblesAndFlashes();

// "data/points.demo_scene/Electric.nbl": 512 billboards along a spiral that narrows as it
// recedes into -z. POSITION float3, the billboard's centre; TEXCOORD 0 float2, the corner
// (0, 1), (1, 1), (1, 0), (0, 0); TEXCOORD 1 float3, the corner's offset (x, y) from the
// centre (half size 0.1 * sqrt 2) and q / 512 along the spiral.
MeshPtr MakeElectric();

// "data/city.demo_scene/Stars.nbl": 1024 billboards in a shell of radius 200 to 280.
// POSITION float3, the star's centre; TEXCOORD 0 float2, the corner (0, 1), (1, 1),
// (1, 0), (0, 0); TEXCOORD 1 float3, the corner's offset (x, y) (half size 1.5 * sqrt 2)
// and k / 1024.
MeshPtr MakeStars();

// "data/stars.demo_scene/Smoke.nbl": 128 billboards of smoke in front of the camera, in a
// box x in [-4, 4], y in [-2, 2], z in [-8, -2]. POSITION float3, the puff's centre;
// TEXCOORD 0 float2, the corner (0, 1), (1, 1), (1, 0), (0, 0); TEXCOORD 1 float4, the
// corner's offset (x, y) from the centre (half size 0.75 to 2.25), the puff's phase
// (0 to 1) and k / 128.
MeshPtr MakeSmoke();

// Meshes made from mesh files. Each raises the engine's Exception, naming `name`, when the
// source lacks a stream the result needs, holds an index past its vertices, or is too big
// for the result's counts.

// "data/points.demo_scene/Cubes.nbl": 256 copies of `source` (POSITION and NORMAL float3,
// indices of either stride), each moved to a random cell of a 64 x 64 grid over
// [-10, 10)^2. The result has POSITION and NORMAL float3; TEXCOORD 1 float3, the cell
// centre as (u, -v) and a random depth offset (-65 to -95); TEXCOORD 2 uint, the cell's
// ring number; and 32-bit indices. Other source streams are not carried over.
MeshPtr MakeCubeCloud(const engine::gfx::LoadMesh& source, const std::wstring& name);

// "data/city.demo_scene/Cube.nbl": adds TEXCOORD 1 (uint) to the file's mesh: each
// consecutive triangle's worth of three vertices gets one random value from 20 to 83;
// the last one or two vertices of a count that is not a multiple of three get 0.
void AddCityCubeGroups(engine::gfx::LoadMesh& mesh);

// Builds every mesh above and the credits' and city's optimised file meshes, and registers
// each under its file name with the material of that name plus ".efx", in the order the
// demo files expect them to exist. Needs the random table and the engine's device. An
// error leaves the meshes registered so far in place.
void BuildDemoMeshes();

// How BuildDemoMeshes made a mesh, kept for reloads: `make` makes it again as at
// start-up, from `file` where it is read from one (empty for generated meshes). Null for
// a name BuildDemoMeshes did not register.
const GeneratedMesh* FindDemoMeshSource(const std::string& name);

}  // namespace orv
