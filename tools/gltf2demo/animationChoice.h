#pragma once

// Which of a file's animations plays when the command line does not say.

namespace tinygltf {
class Model;
}

namespace gltf2demo {

// The first animation that moves something the part shows: a node with a mesh that is not
// skinned, a camera or a directional light, or a node above one. Characters' files often begin with
// animations that move only their skeletons, which the engine does not draw and cannot
// skin, and a part that played one would stand still. 0 when none does (or there are
// none), so the choice is then the file's first, as before.
int AnimationThatShows(const tinygltf::Model& model);

}  // namespace gltf2demo
