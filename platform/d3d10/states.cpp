// Input layouts, state objects and samplers: the device objects that describe how to
// draw rather than what.

#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "platform/d3d10/device.h"
#include "platform/d3d10/report.h"

namespace platform {

// --- input signatures --------------------------------------------------------------

namespace {
constexpr char kSignatureMagic[4] = {'N', 'I', 'S', 'G'};

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool Get32(const std::uint8_t*& p, const std::uint8_t* end, std::uint32_t* value) {
  if (end - p < 4) return false;
  *value = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  p += 4;
  return true;
}

bool SameSemantic(const std::string& a, const char* b) {
  const std::size_t length = std::strlen(b);
  if (a.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}
}  // namespace

std::vector<std::uint8_t> EncodeInputSignature(const std::vector<InputSignatureElement>& elements) {
  std::vector<std::uint8_t> out(kSignatureMagic, kSignatureMagic + 4);
  Put32(out, static_cast<std::uint32_t>(elements.size()));
  for (const InputSignatureElement& e : elements) {
    Put32(out, e.semanticIndex);
    Put32(out, e.location);
    Put32(out, static_cast<std::uint32_t>(e.component));
    Put32(out, e.componentCount);
    Put32(out, static_cast<std::uint32_t>(e.semanticName.size()));
    out.insert(out.end(), e.semanticName.begin(), e.semanticName.end());
  }
  return out;
}

bool DecodeInputSignature(const void* data, std::size_t size, std::vector<InputSignatureElement>* elements,
                          std::string* error) {
  elements->clear();
  const std::uint8_t* p = static_cast<const std::uint8_t*>(data);
  const std::uint8_t* end = p + size;
  std::uint32_t count = 0;
  if (!data || size < 8 || std::memcmp(p, kSignatureMagic, 4) != 0) {
    *error = "not an input signature of this layer";
    return false;
  }
  p += 4;
  Get32(p, end, &count);
  for (std::uint32_t i = 0; i < count; ++i) {
    InputSignatureElement e;
    std::uint32_t component = 0, nameLength = 0;
    if (!Get32(p, end, &e.semanticIndex) || !Get32(p, end, &e.location) || !Get32(p, end, &component) ||
        !Get32(p, end, &e.componentCount) || !Get32(p, end, &nameLength) ||
        nameLength > static_cast<std::size_t>(end - p) || component > 2) {
      *error = "the input signature is truncated or damaged";
      elements->clear();
      return false;
    }
    e.component = static_cast<InputComponent>(component);
    e.semanticName.assign(reinterpret_cast<const char*>(p), nameLength);
    p += nameLength;
    elements->push_back(std::move(e));
  }
  return true;
}

namespace d3d {

// --- input layouts -------------------------------------------------------------------

InputLayout::InputLayout(Device* device, std::vector<D3D10_INPUT_ELEMENT_DESC> elementList)
    : DeviceChild(device), elements(std::move(elementList)) {
  glCreateVertexArrays(1, &vao);
  CountGlObjects(1);
  semanticNames.reserve(elements.size());
  for (D3D10_INPUT_ELEMENT_DESC& e : elements) {
    semanticNames.emplace_back(e.SemanticName ? e.SemanticName : "");
  }
  for (std::size_t i = 0; i < elements.size(); ++i) elements[i].SemanticName = semanticNames[i].c_str();
}

InputLayout::~InputLayout() {
  device_->MakeCurrent();
  glDeleteVertexArrays(1, &vao);
  CountGlObjects(-1);
}

HRESULT Device::CreateInputLayout(const D3D10_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature,
                                  SIZE_T signatureLength, ID3D10InputLayout** layout) {
  if (!layout) return Fail(E_INVALIDARG, "CreateInputLayout: the out pointer is null");
  *layout = nullptr;
  if ((count && !elements) || count > 32) return Fail(E_INVALIDARG, "CreateInputLayout: %u elements", count);
  std::vector<InputSignatureElement> inputs;
  std::string error;
  if (!DecodeInputSignature(signature, signatureLength, &inputs, &error)) {
    return Fail(E_INVALIDARG, "CreateInputLayout: %s", error.c_str());
  }
  // Resolve appended offsets and check every element on its own.
  std::vector<D3D10_INPUT_ELEMENT_DESC> list(elements, elements + count);
  UINT nextOffset[D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT] = {};
  int slotClass[D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT];
  UINT slotRate[D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT] = {};
  std::fill(slotClass, slotClass + D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT, -1);
  for (UINT i = 0; i < count; ++i) {
    D3D10_INPUT_ELEMENT_DESC& e = list[i];
    const char* name = e.SemanticName ? e.SemanticName : "(null)";
    if (!e.SemanticName || !*e.SemanticName) return Fail(E_INVALIDARG, "CreateInputLayout: element %u has no semantic name", i);
    if (e.InputSlot >= D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT) {
      return Fail(E_INVALIDARG, "CreateInputLayout: element %u (%s) uses input slot %u", i, name, e.InputSlot);
    }
    const FormatInfo& info = GetFormatInfo(e.Format);
    if (info.attribute == AttributeKind::None) {
      return Fail(E_INVALIDARG, "CreateInputLayout: element %u (%s%u) has format %s (%u), which is not a vertex format",
                  i, name, e.SemanticIndex, info.name, static_cast<unsigned>(e.Format));
    }
    if (e.AlignedByteOffset == D3D10_APPEND_ALIGNED_ELEMENT) e.AlignedByteOffset = nextOffset[e.InputSlot];
    if (e.AlignedByteOffset > 2047) {
      return Fail(E_INVALIDARG, "CreateInputLayout: element %u (%s) sits at byte %u; 2047 is the largest offset", i,
                  name, e.AlignedByteOffset);
    }
    nextOffset[e.InputSlot] = e.AlignedByteOffset + info.bytes;
    const int classification = e.InputSlotClass == D3D10_INPUT_PER_INSTANCE_DATA ? 1 : 0;
    const UINT rate = classification ? e.InstanceDataStepRate : 0;
    if (slotClass[e.InputSlot] >= 0 && (slotClass[e.InputSlot] != classification || slotRate[e.InputSlot] != rate)) {
      return Fail(E_INVALIDARG, "CreateInputLayout: slot %u mixes per-vertex and per-instance data", e.InputSlot);
    }
    slotClass[e.InputSlot] = classification;
    slotRate[e.InputSlot] = rate;
    for (UINT j = 0; j < i; ++j) {
      if (list[j].SemanticIndex == e.SemanticIndex && SameSemantic(list[j].SemanticName, e.SemanticName)) {
        return Fail(E_INVALIDARG, "CreateInputLayout: semantic %s%u appears twice", name, e.SemanticIndex);
      }
    }
  }
  // Every input the program reads must be fed, with a matching kind of number.
  std::vector<int> locationOf(count, -1);
  for (const InputSignatureElement& input : inputs) {
    UINT found = count;
    for (UINT i = 0; i < count; ++i) {
      if (list[i].SemanticIndex == input.semanticIndex && SameSemantic(input.semanticName, list[i].SemanticName)) found = i;
    }
    if (found == count) {
      return Fail(E_INVALIDARG, "CreateInputLayout: the shader reads %s%u, which no input element provides",
                  input.semanticName.c_str(), input.semanticIndex);
    }
    const bool integer = GetFormatInfo(list[found].Format).attribute == AttributeKind::Integer;
    if (integer != (input.component != InputComponent::Float)) {
      return Fail(E_INVALIDARG, "CreateInputLayout: %s%u is %s in the shader but element format %s is not",
                  input.semanticName.c_str(), input.semanticIndex, integer ? "a float" : "an integer",
                  GetFormatInfo(list[found].Format).name);
    }
    locationOf[found] = static_cast<int>(input.location);
  }
  if (!MakeCurrent()) return Fail(E_FAIL, "CreateInputLayout: the GL context is lost");
  auto* result = new InputLayout(this, std::move(list));
  for (UINT i = 0; i < count; ++i) {
    const D3D10_INPUT_ELEMENT_DESC& e = result->elements[i];
    InputLayout::Slot& slot = result->slots[e.InputSlot];
    if (!slot.used) {
      slot.used = true;
      result->usedSlots.push_back(e.InputSlot);
      slot.divisor = slotRate[e.InputSlot];
      glVertexArrayBindingDivisor(result->vao, e.InputSlot, slot.divisor);
    }
    if (locationOf[i] < 0) continue;  // fed but not read
    const GLuint location = static_cast<GLuint>(locationOf[i]);
    const FormatInfo& info = GetFormatInfo(e.Format);
    glEnableVertexArrayAttrib(result->vao, location);
    if (info.attribute == AttributeKind::Integer) {
      glVertexArrayAttribIFormat(result->vao, location, static_cast<GLint>(info.attributeComponents), info.attributeType,
                                 e.AlignedByteOffset);
    } else {
      glVertexArrayAttribFormat(result->vao, location, static_cast<GLint>(info.attributeComponents), info.attributeType,
                                info.attribute == AttributeKind::Normalized ? GL_TRUE : GL_FALSE, e.AlignedByteOffset);
    }
    glVertexArrayAttribBinding(result->vao, location, e.InputSlot);
  }
  *layout = result;
  return S_OK;
}

// --- state objects -------------------------------------------------------------------

namespace {
GLenum AddressMode(D3D10_TEXTURE_ADDRESS_MODE mode) {
  switch (mode) {
    case D3D10_TEXTURE_ADDRESS_WRAP: return GL_REPEAT;
    case D3D10_TEXTURE_ADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3D10_TEXTURE_ADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3D10_TEXTURE_ADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3D10_TEXTURE_ADDRESS_MIRROR_ONCE: return GL_MIRROR_CLAMP_TO_EDGE;
  }
  return GL_CLAMP_TO_EDGE;
}

bool ValidAddress(D3D10_TEXTURE_ADDRESS_MODE mode) {
  return mode >= D3D10_TEXTURE_ADDRESS_WRAP && mode <= D3D10_TEXTURE_ADDRESS_MIRROR_ONCE;
}
bool ValidCompare(D3D10_COMPARISON_FUNC func) {
  return func >= D3D10_COMPARISON_NEVER && func <= D3D10_COMPARISON_ALWAYS;
}

GLenum CompareFuncOf(D3D10_COMPARISON_FUNC func) {
  static const GLenum table[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return table[func - 1];
}
}  // namespace

SamplerState::SamplerState(Device* device, const D3D10_SAMPLER_DESC& desc) : DeviceChild(device), desc_(desc) {
  glCreateSamplers(1, &name);
  CountGlObjects(1);
  const unsigned filter = desc.Filter;
  const bool anisotropic = (filter & 0x40) != 0;
  const bool minLinear = anisotropic || (filter & 0x10);
  const bool magLinear = anisotropic || (filter & 0x04);
  const bool mipLinear = anisotropic || (filter & 0x01);
  glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER,
                      minLinear ? (mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                                : (mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST));
  glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
  glSamplerParameterf(name, GL_TEXTURE_MAX_ANISOTROPY, anisotropic ? static_cast<float>(desc.MaxAnisotropy) : 1.0f);
  glSamplerParameteri(name, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(desc.AddressU)));
  glSamplerParameteri(name, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(desc.AddressV)));
  glSamplerParameteri(name, GL_TEXTURE_WRAP_R, static_cast<GLint>(AddressMode(desc.AddressW)));
  glSamplerParameterf(name, GL_TEXTURE_LOD_BIAS, desc.MipLODBias);
  glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, desc.MinLOD);
  glSamplerParameterf(name, GL_TEXTURE_MAX_LOD, desc.MaxLOD);
  glSamplerParameterfv(name, GL_TEXTURE_BORDER_COLOR, desc.BorderColor);
  if (filter & 0x80) {
    glSamplerParameteri(name, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glSamplerParameteri(name, GL_TEXTURE_COMPARE_FUNC, static_cast<GLint>(CompareFuncOf(desc.ComparisonFunc)));
  }
}

SamplerState::~SamplerState() {
  device_->MakeCurrent();
  glDeleteSamplers(1, &name);
  CountGlObjects(-1);
}

HRESULT Device::CreateSamplerState(const D3D10_SAMPLER_DESC* desc, ID3D10SamplerState** state) {
  if (!desc || !state) return Fail(E_INVALIDARG, "CreateSamplerState: null %s", desc ? "out pointer" : "description");
  *state = nullptr;
  const unsigned filter = desc->Filter;
  if ((filter & ~0xD5u) != 0) return Fail(E_INVALIDARG, "CreateSamplerState: filter 0x%X is not a filter", filter);
  if (!ValidAddress(desc->AddressU) || !ValidAddress(desc->AddressV) || !ValidAddress(desc->AddressW)) {
    return Fail(E_INVALIDARG, "CreateSamplerState: an address mode is out of range");
  }
  if ((filter & 0x80) && !ValidCompare(desc->ComparisonFunc)) {
    return Fail(E_INVALIDARG, "CreateSamplerState: comparison function %d is out of range", desc->ComparisonFunc);
  }
  if (!MakeCurrent()) return Fail(E_FAIL, "CreateSamplerState: the GL context is lost");
  *state = new SamplerState(this, *desc);
  return S_OK;
}

HRESULT Device::CreateRasterizerState(const D3D10_RASTERIZER_DESC* desc, ID3D10RasterizerState** state) {
  if (!desc || !state) return Fail(E_INVALIDARG, "CreateRasterizerState: null %s", desc ? "out pointer" : "description");
  *state = nullptr;
  if ((desc->FillMode != D3D10_FILL_SOLID && desc->FillMode != D3D10_FILL_WIREFRAME) ||
      desc->CullMode < D3D10_CULL_NONE || desc->CullMode > D3D10_CULL_BACK) {
    return Fail(E_INVALIDARG, "CreateRasterizerState: fill mode %d or cull mode %d is out of range", desc->FillMode,
                desc->CullMode);
  }
  *state = new RasterizerState(this, *desc);
  return S_OK;
}

HRESULT Device::CreateDepthStencilState(const D3D10_DEPTH_STENCIL_DESC* desc, ID3D10DepthStencilState** state) {
  if (!desc || !state) return Fail(E_INVALIDARG, "CreateDepthStencilState: null %s", desc ? "out pointer" : "description");
  *state = nullptr;
  auto validOp = [](D3D10_STENCIL_OP op) { return op >= D3D10_STENCIL_OP_KEEP && op <= D3D10_STENCIL_OP_DECR; };
  auto validFace = [&](const D3D10_DEPTH_STENCILOP_DESC& f) {
    return validOp(f.StencilFailOp) && validOp(f.StencilDepthFailOp) && validOp(f.StencilPassOp) &&
           ValidCompare(f.StencilFunc);
  };
  if ((desc->DepthEnable && !ValidCompare(desc->DepthFunc)) ||
      (desc->StencilEnable && (!validFace(desc->FrontFace) || !validFace(desc->BackFace)))) {
    return Fail(E_INVALIDARG, "CreateDepthStencilState: a comparison or stencil operation is out of range");
  }
  D3D10_DEPTH_STENCIL_DESC copy = *desc;
  if (!copy.DepthEnable) copy.DepthFunc = D3D10_COMPARISON_ALWAYS;
  if (!copy.StencilEnable) copy.FrontFace = copy.BackFace = DefaultDepthStencilDesc().FrontFace;
  *state = new DepthStencilState(this, copy);
  return S_OK;
}

HRESULT Device::CreateBlendState(const D3D10_BLEND_DESC* desc, ID3D10BlendState** state) {
  if (!desc || !state) return Fail(E_INVALIDARG, "CreateBlendState: null %s", desc ? "out pointer" : "description");
  *state = nullptr;
  auto validBlend = [](D3D10_BLEND b) {
    return (b >= D3D10_BLEND_ZERO && b <= D3D10_BLEND_SRC_ALPHA_SAT) ||
           (b >= D3D10_BLEND_BLEND_FACTOR && b <= D3D10_BLEND_INV_SRC1_ALPHA);
  };
  auto validOp = [](D3D10_BLEND_OP op) { return op >= D3D10_BLEND_OP_ADD && op <= D3D10_BLEND_OP_MAX; };
  bool anyBlend = false;
  for (BOOL enabled : desc->BlendEnable) anyBlend = anyBlend || enabled;
  if (anyBlend && (!validBlend(desc->SrcBlend) || !validBlend(desc->DestBlend) || !validBlend(desc->SrcBlendAlpha) ||
                   !validBlend(desc->DestBlendAlpha) || !validOp(desc->BlendOp) || !validOp(desc->BlendOpAlpha))) {
    return Fail(E_INVALIDARG, "CreateBlendState: a blend factor or operation is out of range");
  }
  D3D10_BLEND_DESC copy = *desc;
  if (!anyBlend) {
    const D3D10_BLEND_DESC defaults = DefaultBlendDesc();
    copy.SrcBlend = copy.SrcBlendAlpha = defaults.SrcBlend;
    copy.DestBlend = copy.DestBlendAlpha = defaults.DestBlend;
    copy.BlendOp = copy.BlendOpAlpha = defaults.BlendOp;
  }
  *state = new BlendState(this, copy);
  return S_OK;
}

}  // namespace d3d
}  // namespace platform
