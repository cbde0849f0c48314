#pragma once

#include <string>
#include <vector>

#include "tools/meshgen/meshBuilder.h"

namespace meshgen {

// The demo's models, each in the scene's frame: right-handed, z up, about a metre a unit.

// The cube the points scene copies over its grid: 0.25 on a side about the origin.
Mesh PointsCube();

// A night-city block of 12 x 12 buildings on a slab, one triangle per three vertices: the
// program gives each vertex triple its own random value for the lights in its windows.
// Wall triangles come a storey at a time, so the lights change floor by floor.
Mesh CityBlock();

// A sofa of bevelled boxes facing -y, its feet on z = 0, centred in x and y. `seats` is
// the number of seat cushions; `seatWidth` is each cushion's width.
Mesh Sofa(int seats, float seatWidth);

// `text` in extruded pixel letters standing on z = 0, reading along +x from the -y side,
// centred in x and in y, `height` tall and `depth` deep.
Mesh PixelWord(const std::string& text, float height, float depth);

// The city's ground: 200 x 200 at z = 0, textured one repeat per 10 units.
Mesh GroundPlane();

// The stars scene's planet: a unit sphere.
Mesh Planet();

// A thin square frame in the plane z = 0 around the intro's [-1, 1]^2 tile grid.
Mesh IntroFrame();

// One triangle of no area: what a part's "Post" object carries so that its material,
// which starts the post-processing chain, is drawn.
Mesh PostTrigger();

// One file meshgen writes: its path below the data folder and what goes in it.
struct MeshFile {
  std::string path;
  Mesh (*build)();
};

// Every mesh file of the demo, in the order they are written.
const std::vector<MeshFile>& DemoMeshFiles();

}  // namespace meshgen
