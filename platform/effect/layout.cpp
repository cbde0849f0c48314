#include "platform/effect/layout.h"

#include <algorithm>

namespace platform::fx {

namespace {

constexpr std::uint32_t kRegister = 16;

std::uint32_t RoundUp(std::uint32_t v, std::uint32_t a) { return (v + a - 1) / a * a; }

std::uint32_t ElementSize(const Type& t);

// The HLSL compiler here places a struct's members by the packing rules above but sizes
// the struct as a GL std140 block would (a float3 aligned to 16), so a struct takes more
// registers than its members reach, and whatever follows it moves accordingly.
std::uint32_t Std140StructSize(const Type& t) {
  std::uint32_t cursor = 0;
  for (const Field& f : t.fields) {
    const Type& m = f.type;
    std::uint32_t align = kRegister;
    if (m.elements == 0 && (m.cls == TypeClass::Scalar || m.cls == TypeClass::Vector))
      align = m.cols == 1 ? 4 : m.cols == 2 ? 8 : kRegister;
    cursor = RoundUp(cursor, align) + (m.elements > 0 ? RoundUp(ElementSize(m), kRegister) * static_cast<std::uint32_t>(m.elements)
                                                      : ElementSize(m));
  }
  return RoundUp(cursor, kRegister);
}

// Size of one element, ignoring the array.
std::uint32_t ElementSize(const Type& t) {
  switch (t.cls) {
    case TypeClass::Scalar:
    case TypeClass::Vector:
      return 4u * static_cast<std::uint32_t>(t.cols);
    case TypeClass::Matrix:
      return kRegister * static_cast<std::uint32_t>(t.rowMajor ? t.rows : t.cols);
    case TypeClass::Struct:
      return Std140StructSize(t);
    case TypeClass::Object:
      return 0;
  }
  return 0;
}

bool StartsRegister(const Type& t) {
  return t.elements > 0 || t.cls == TypeClass::Matrix || t.cls == TypeClass::Struct;
}

// The bytes a cbuffer's own member covers: an array's last element and a matrix's last
// register are not padded, so what follows may share that register. (A struct is sized
// as the compiler here lays out its fields.)
std::uint32_t MemberSize(const Type& t) {
  if (t.cls == TypeClass::Struct) return PackedSize(t);
  std::uint32_t element = ElementSize(t);
  if (t.cls == TypeClass::Matrix) {
    const std::uint32_t registers = static_cast<std::uint32_t>(t.rowMajor ? t.rows : t.cols);
    const std::uint32_t components = static_cast<std::uint32_t>(t.rowMajor ? t.cols : t.rows);
    element = kRegister * (registers - 1) + 4 * components;
  }
  if (t.elements > 0) return ElementStride(t) * static_cast<std::uint32_t>(t.elements - 1) + element;
  return element;
}

// Places one field or member of `size` bytes after `cursor`, returning its placement.
Placement Place(const Type& t, std::uint32_t size, std::uint32_t cursor) {
  Placement p;
  p.size = size;
  if (StartsRegister(t)) {
    p.offset = RoundUp(cursor, kRegister);
  } else {
    p.offset = RoundUp(cursor, 4);
    if (p.offset % kRegister + p.size > kRegister) p.offset = RoundUp(p.offset, kRegister);
  }
  return p;
}

}  // namespace

std::uint32_t ElementStride(const Type& t) {
  std::uint32_t e = ElementSize(t);
  return t.elements > 0 ? RoundUp(e, kRegister) : e;
}

std::uint32_t PackedSize(const Type& t) {
  if (t.elements > 0) return ElementStride(t) * static_cast<std::uint32_t>(t.elements);
  return ElementSize(t);
}

std::vector<Placement> LayoutStruct(const Type& t) {
  std::vector<Placement> result;
  std::uint32_t cursor = 0;
  for (const Field& f : t.fields) {
    Placement p = Place(f.type, PackedSize(f.type), cursor);
    result.push_back(p);
    cursor = p.offset + p.size;
  }
  return result;
}

CBufferLayout LayoutCBuffer(const EffectSyntax& effect, const CBufferDecl& cbuffer) {
  CBufferLayout layout;
  std::uint32_t cursor = 0;
  for (int index : cbuffer.variables) {
    const VariableDecl& v = effect.variables[static_cast<std::size_t>(index)];
    Placement p = Place(v.type, MemberSize(v.type), cursor);
    if (v.packOffset >= 0) p.offset = static_cast<std::uint32_t>(v.packOffset);
    layout.variables.push_back(p);
    cursor = std::max(cursor, p.offset + p.size);
  }
  layout.size = RoundUp(cursor, kRegister);
  return layout;
}

}  // namespace platform::fx
