#pragma once

// glTF scenes for the surfaces gltf2demo's materials draw, one a feature group, each with
// its own perspective camera "Eye" looking along glTF's -z and a directional sun "Sun",
// so that a frame of it can be held to a golden picture. Pictures are made here and
// embedded in the scene's buffer.

#include <tiny_gltf.h>

namespace surfacescenes {

// Two rows of five spheres, roughness 0.1 to 1 from left to right: on top a red
// dielectric, below a gold metal, over a grey floor that takes their shadows.
tinygltf::Model MetalRoughSpheres();

// Three floor tiles side by side under a sun grazing them from the left: plain on the
// left, ridged by a normal texture (scale 1) in the middle with the file's own tangents,
// and on the right the same texture with tangents the conversion makes. Middle and right
// should look alike.
tinygltf::Model NormalMappedTiles();

// Left, a dark box whose front shows an emissive texture (a bright ring) times a factor
// and KHR_materials_emissive_strength 2; right, a light box with an occlusion texture
// (dark stripes, strength 1) under a sun from behind, so the stripes show in its ambient
// light only.
tinygltf::Model EmissiveAndOcclusion();

// A green box behind two panes: on the left a MASK pane (cutoff 0.5) whose texture's
// alpha is a checker of 0.2 and 0.9, holes where it is 0.2; on the right a BLEND pane of
// blue at alpha 0.5 over the box and the floor.
tinygltf::Model MaskAndBlend();

// Two orange spheres: left lit, right KHR_materials_unlit (flat, its base colour alone).
tinygltf::Model UnlitAndLit();

// Two tiles facing the camera with the same checker on both: the left through set 1, the
// right through set 0, which holds set 1 mirrored left to right. Both should read the
// same way round: red top left.
tinygltf::Model SecondTextureSet();

}  // namespace surfacescenes
