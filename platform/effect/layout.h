#pragma once

// Constant-buffer packing. Variables are placed the way the HLSL compiler here places
// cbuffer members, so the CPU image the effect keeps is byte for byte what the shaders
// read:
//   - scalars and vectors align to their component size and never straddle a 16-byte
//     register (a float3 after a float sits at offset 4; after a float2 at 16);
//   - arrays, matrices and structs start a register and occupy whole registers; array
//     elements are 16-byte aligned;
//   - a column_major RxC matrix takes C registers (one per column), a row_major one R;
//   - a struct's members follow these rules, but the struct's size is its std140 size
//     (the compiler's quirk), so what follows may skip a register the members never use.
// This matches the reference compiler's packing except that a variable never shares the
// last register of an array, matrix or struct before it.

#include <cstdint>
#include <vector>

#include "platform/effect/syntax.h"

namespace platform::fx {

struct Placement {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

struct CBufferLayout {
  std::vector<Placement> variables;  // parallel to CBufferDecl::variables
  std::uint32_t size = 0;            // rounded up to whole registers
};

// Bytes a value of `type` occupies (the whole array for arrays).
std::uint32_t PackedSize(const Type& type);
// Bytes between array elements (16-byte registers); for non-arrays the element size.
std::uint32_t ElementStride(const Type& type);
// Offset of one member of a struct, and of every field in order.
std::vector<Placement> LayoutStruct(const Type& type);

CBufferLayout LayoutCBuffer(const EffectSyntax& effect, const CBufferDecl& cbuffer);

}  // namespace platform::fx
