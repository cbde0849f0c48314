#include <cctype>
#include <cstring>

#include "platform/effect/objects.h"

namespace platform::fx {

namespace {

struct Named {
  const char* name;
  int value;
};

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

bool Lookup(const StateAssignment& a, const Named* table, std::size_t n, int& value, std::string& error) {
  std::string id = Upper(a.identifier);
  for (std::size_t i = 0; i < n; ++i)
    if (id == table[i].name) {
      value = table[i].value;
      return true;
    }
  if (id.empty() && a.numbers.size() == 1) {
    value = static_cast<int>(a.numbers[0]);
    return true;
  }
  error = "line " + std::to_string(a.line) + ": unknown value '" + a.identifier + "' for " + a.name;
  return false;
}

bool Bool(const StateAssignment& a, BOOL& out, std::string& error) {
  static const Named t[] = {{"TRUE", 1}, {"FALSE", 0}};
  int v = 0;
  if (!Lookup(a, t, 2, v, error)) return false;
  out = v != 0;
  return true;
}

bool Number(const StateAssignment& a, double& out, std::string& error) {
  if (a.numbers.size() != 1) {
    error = "line " + std::to_string(a.line) + ": " + a.name + " needs a number";
    return false;
  }
  out = a.numbers[0];
  return true;
}

const Named kComparison[] = {{"NEVER", 1},   {"LESS", 2},      {"EQUAL", 3},         {"LESS_EQUAL", 4},
                             {"GREATER", 5}, {"NOT_EQUAL", 6}, {"GREATER_EQUAL", 7}, {"ALWAYS", 8}};
const Named kAddress[] = {{"WRAP", 1},   {"MIRROR", 2},      {"CLAMP", 3},
                          {"BORDER", 4}, {"MIRROR_ONCE", 5}, {"MIRRORONCE", 5}};
// Direct3D 9 sampler blocks filter per stage; NONE on the mip stage means no mipmaps.
const Named kStageFilter[] = {{"NONE", 0}, {"POINT", 1}, {"LINEAR", 2}, {"ANISOTROPIC", 3}, {"GAUSSIANQUAD", 2},
                              {"PYRAMIDALQUAD", 2}};
const Named kFilter[] = {{"MIN_MAG_MIP_POINT", 0x00},
                         {"MIN_MAG_POINT_MIP_LINEAR", 0x01},
                         {"MIN_POINT_MAG_LINEAR_MIP_POINT", 0x04},
                         {"MIN_POINT_MAG_MIP_LINEAR", 0x05},
                         {"MIN_LINEAR_MAG_MIP_POINT", 0x10},
                         {"MIN_LINEAR_MAG_POINT_MIP_LINEAR", 0x11},
                         {"MIN_MAG_LINEAR_MIP_POINT", 0x14},
                         {"MIN_MAG_MIP_LINEAR", 0x15},
                         {"ANISOTROPIC", 0x55},
                         {"COMPARISON_MIN_MAG_MIP_POINT", 0x80},
                         {"COMPARISON_MIN_MAG_POINT_MIP_LINEAR", 0x81},
                         {"COMPARISON_MIN_POINT_MAG_LINEAR_MIP_POINT", 0x84},
                         {"COMPARISON_MIN_POINT_MAG_MIP_LINEAR", 0x85},
                         {"COMPARISON_MIN_LINEAR_MAG_MIP_POINT", 0x90},
                         {"COMPARISON_MIN_LINEAR_MAG_POINT_MIP_LINEAR", 0x91},
                         {"COMPARISON_MIN_MAG_LINEAR_MIP_POINT", 0x94},
                         {"COMPARISON_MIN_MAG_MIP_LINEAR", 0x95},
                         {"COMPARISON_ANISOTROPIC", 0xD5}};
const Named kBlend[] = {{"ZERO", 1},           {"ONE", 2},             {"SRC_COLOR", 3},      {"INV_SRC_COLOR", 4},
                        {"SRC_ALPHA", 5},      {"INV_SRC_ALPHA", 6},   {"DEST_ALPHA", 7},     {"INV_DEST_ALPHA", 8},
                        {"DEST_COLOR", 9},     {"INV_DEST_COLOR", 10}, {"SRC_ALPHA_SAT", 11}, {"BLEND_FACTOR", 14},
                        {"INV_BLEND_FACTOR", 15}, {"SRC1_COLOR", 16},  {"INV_SRC1_COLOR", 17}, {"SRC1_ALPHA", 18},
                        {"INV_SRC1_ALPHA", 19}};
const Named kBlendOp[] = {{"ADD", 1}, {"SUBTRACT", 2}, {"REV_SUBTRACT", 3}, {"MIN", 4}, {"MAX", 5}};
const Named kStencilOp[] = {{"KEEP", 1},     {"ZERO", 2},   {"REPLACE", 3}, {"INCR_SAT", 4},
                            {"DECR_SAT", 5}, {"INVERT", 6}, {"INCR", 7},    {"DECR", 8}};

#define NEBLU_COUNT(a) (sizeof(a) / sizeof((a)[0]))

template <class E>
bool Enum(const StateAssignment& a, const Named* table, std::size_t n, E& out, std::string& error) {
  int v = 0;
  if (!Lookup(a, table, n, v, error)) return false;
  out = static_cast<E>(v);
  return true;
}

std::string Unknown(const StateAssignment& a) {
  return "line " + std::to_string(a.line) + ": unknown state '" + a.name + "'";
}

}  // namespace

bool MakeSamplerDesc(const std::vector<StateAssignment>& state, bool comparison, D3D10_SAMPLER_DESC& d,
                     std::string& error) {
  d = D3D10_SAMPLER_DESC{comparison ? D3D10_FILTER_COMPARISON_MIN_MAG_MIP_LINEAR : D3D10_FILTER_MIN_MAG_MIP_LINEAR,
                         D3D10_TEXTURE_ADDRESS_CLAMP,
                         D3D10_TEXTURE_ADDRESS_CLAMP,
                         D3D10_TEXTURE_ADDRESS_CLAMP,
                         0.0f,
                         16,
                         comparison ? D3D10_COMPARISON_LESS_EQUAL : D3D10_COMPARISON_NEVER,
                         {0, 0, 0, 0},
                         0.0f,
                         D3D10_FLOAT32_MAX};
  int minFilter = -1, magFilter = -1, mipFilter = -1;  // the Direct3D 9 stages, when given
  for (const StateAssignment& a : state) {
    std::string n = Upper(a.name);
    double v = 0;
    bool ok = true;
    if (n == "FILTER") ok = Enum(a, kFilter, NEBLU_COUNT(kFilter), d.Filter, error);
    else if (n == "MINFILTER") ok = Lookup(a, kStageFilter, NEBLU_COUNT(kStageFilter), minFilter, error);
    else if (n == "MAGFILTER") ok = Lookup(a, kStageFilter, NEBLU_COUNT(kStageFilter), magFilter, error);
    else if (n == "MIPFILTER") ok = Lookup(a, kStageFilter, NEBLU_COUNT(kStageFilter), mipFilter, error);
    else if (n == "ADDRESSU") ok = Enum(a, kAddress, NEBLU_COUNT(kAddress), d.AddressU, error);
    else if (n == "ADDRESSV") ok = Enum(a, kAddress, NEBLU_COUNT(kAddress), d.AddressV, error);
    else if (n == "ADDRESSW") ok = Enum(a, kAddress, NEBLU_COUNT(kAddress), d.AddressW, error);
    else if (n == "COMPARISONFUNC") ok = Enum(a, kComparison, NEBLU_COUNT(kComparison), d.ComparisonFunc, error);
    else if (n == "MIPLODBIAS") ok = Number(a, v, error), d.MipLODBias = static_cast<float>(v);
    else if (n == "MAXANISOTROPY") ok = Number(a, v, error), d.MaxAnisotropy = static_cast<UINT>(v);
    else if (n == "MINLOD") ok = Number(a, v, error), d.MinLOD = static_cast<float>(v);
    else if (n == "MAXLOD") ok = Number(a, v, error), d.MaxLOD = static_cast<float>(v);
    else if (n == "BORDERCOLOR" && a.numbers.size() == 4)
      for (int i = 0; i < 4; ++i) d.BorderColor[i] = static_cast<float>(a.numbers[static_cast<std::size_t>(i)]);
    else if (n == "TEXTURE") {
      // fx_4_0 allows naming a texture inside the block; binding follows the shader's use.
    } else {
      error = Unknown(a);
      return false;
    }
    if (!ok) return false;
  }
  if (minFilter >= 0 || magFilter >= 0 || mipFilter >= 0) {
    // Their defaults: point sampling, with the mip stage off.
    const bool anisotropic = minFilter == 3 || magFilter == 3;
    const int filter = (minFilter >= 2 ? 0x10 : 0) | (magFilter >= 2 ? 0x04 : 0) | (mipFilter >= 2 ? 0x01 : 0);
    d.Filter = static_cast<D3D10_FILTER>((anisotropic ? 0x55 : filter) | (comparison ? 0x80 : 0));
    if (mipFilter <= 0) d.MaxLOD = 0.0f;
  }
  return true;
}

bool MakeBlendDesc(const std::vector<StateAssignment>& state, D3D10_BLEND_DESC& d, std::string& error) {
  d = D3D10_BLEND_DESC{};
  d.SrcBlend = d.SrcBlendAlpha = D3D10_BLEND_ONE;
  d.DestBlend = d.DestBlendAlpha = D3D10_BLEND_ZERO;
  d.BlendOp = d.BlendOpAlpha = D3D10_BLEND_OP_ADD;
  for (UINT8& m : d.RenderTargetWriteMask) m = D3D10_COLOR_WRITE_ENABLE_ALL;
  for (const StateAssignment& a : state) {
    std::string n = Upper(a.name);
    std::size_t i = a.index < 0 ? 0 : static_cast<std::size_t>(a.index);
    bool ok = true;
    if (n == "ALPHATOCOVERAGEENABLE") ok = Bool(a, d.AlphaToCoverageEnable, error);
    else if (n == "BLENDENABLE") ok = Bool(a, d.BlendEnable[i], error);
    else if (n == "SRCBLEND") ok = Enum(a, kBlend, NEBLU_COUNT(kBlend), d.SrcBlend, error);
    else if (n == "DESTBLEND") ok = Enum(a, kBlend, NEBLU_COUNT(kBlend), d.DestBlend, error);
    else if (n == "BLENDOP") ok = Enum(a, kBlendOp, NEBLU_COUNT(kBlendOp), d.BlendOp, error);
    else if (n == "SRCBLENDALPHA") ok = Enum(a, kBlend, NEBLU_COUNT(kBlend), d.SrcBlendAlpha, error);
    else if (n == "DESTBLENDALPHA") ok = Enum(a, kBlend, NEBLU_COUNT(kBlend), d.DestBlendAlpha, error);
    else if (n == "BLENDOPALPHA") ok = Enum(a, kBlendOp, NEBLU_COUNT(kBlendOp), d.BlendOpAlpha, error);
    else if (n == "RENDERTARGETWRITEMASK") {
      double v = 0;
      ok = Number(a, v, error);
      d.RenderTargetWriteMask[i] = static_cast<UINT8>(static_cast<int>(v) & 15);
    } else {
      error = Unknown(a);
      return false;
    }
    if (!ok) return false;
  }
  return true;
}

bool MakeDepthStencilDesc(const std::vector<StateAssignment>& state, D3D10_DEPTH_STENCIL_DESC& d,
                          std::string& error) {
  D3D10_DEPTH_STENCILOP_DESC face{D3D10_STENCIL_OP_KEEP, D3D10_STENCIL_OP_KEEP, D3D10_STENCIL_OP_KEEP,
                                  D3D10_COMPARISON_ALWAYS};
  d = D3D10_DEPTH_STENCIL_DESC{TRUE, D3D10_DEPTH_WRITE_MASK_ALL, D3D10_COMPARISON_LESS, FALSE, 0xFF, 0xFF, face, face};
  static const Named writeMask[] = {{"ZERO", 0}, {"ALL", 1}};
  for (const StateAssignment& a : state) {
    std::string n = Upper(a.name);
    bool ok = true;
    double v = 0;
    if (n == "DEPTHENABLE") ok = Bool(a, d.DepthEnable, error);
    else if (n == "DEPTHWRITEMASK") ok = Enum(a, writeMask, 2, d.DepthWriteMask, error);
    else if (n == "DEPTHFUNC") ok = Enum(a, kComparison, NEBLU_COUNT(kComparison), d.DepthFunc, error);
    else if (n == "STENCILENABLE") ok = Bool(a, d.StencilEnable, error);
    else if (n == "STENCILREADMASK") ok = Number(a, v, error), d.StencilReadMask = static_cast<UINT8>(v);
    else if (n == "STENCILWRITEMASK") ok = Number(a, v, error), d.StencilWriteMask = static_cast<UINT8>(v);
    else if (n == "FRONTFACESTENCILFAIL") ok = Enum(a, kStencilOp, NEBLU_COUNT(kStencilOp), d.FrontFace.StencilFailOp, error);
    else if (n == "FRONTFACESTENCILDEPTHFAIL") ok = Enum(a, kStencilOp, NEBLU_COUNT(kStencilOp), d.FrontFace.StencilDepthFailOp, error);
    else if (n == "FRONTFACESTENCILPASS") ok = Enum(a, kStencilOp, NEBLU_COUNT(kStencilOp), d.FrontFace.StencilPassOp, error);
    else if (n == "FRONTFACESTENCILFUNC") ok = Enum(a, kComparison, NEBLU_COUNT(kComparison), d.FrontFace.StencilFunc, error);
    else if (n == "BACKFACESTENCILFAIL") ok = Enum(a, kStencilOp, NEBLU_COUNT(kStencilOp), d.BackFace.StencilFailOp, error);
    else if (n == "BACKFACESTENCILDEPTHFAIL") ok = Enum(a, kStencilOp, NEBLU_COUNT(kStencilOp), d.BackFace.StencilDepthFailOp, error);
    else if (n == "BACKFACESTENCILPASS") ok = Enum(a, kStencilOp, NEBLU_COUNT(kStencilOp), d.BackFace.StencilPassOp, error);
    else if (n == "BACKFACESTENCILFUNC") ok = Enum(a, kComparison, NEBLU_COUNT(kComparison), d.BackFace.StencilFunc, error);
    else {
      error = Unknown(a);
      return false;
    }
    if (!ok) return false;
  }
  return true;
}

bool MakeRasterizerDesc(const std::vector<StateAssignment>& state, D3D10_RASTERIZER_DESC& d, std::string& error) {
  d = D3D10_RASTERIZER_DESC{D3D10_FILL_SOLID, D3D10_CULL_BACK, FALSE, 0, 0.0f, 0.0f, TRUE, FALSE, FALSE, FALSE};
  static const Named fill[] = {{"WIREFRAME", 2}, {"SOLID", 3}};
  static const Named cull[] = {{"NONE", 1}, {"FRONT", 2}, {"BACK", 3}};
  for (const StateAssignment& a : state) {
    std::string n = Upper(a.name);
    bool ok = true;
    double v = 0;
    if (n == "FILLMODE") ok = Enum(a, fill, 2, d.FillMode, error);
    else if (n == "CULLMODE") ok = Enum(a, cull, 3, d.CullMode, error);
    else if (n == "FRONTCOUNTERCLOCKWISE") ok = Bool(a, d.FrontCounterClockwise, error);
    else if (n == "DEPTHBIAS") ok = Number(a, v, error), d.DepthBias = static_cast<INT>(v);
    else if (n == "DEPTHBIASCLAMP") ok = Number(a, v, error), d.DepthBiasClamp = static_cast<float>(v);
    else if (n == "SLOPESCALEDDEPTHBIAS") ok = Number(a, v, error), d.SlopeScaledDepthBias = static_cast<float>(v);
    else if (n == "DEPTHCLIPENABLE") ok = Bool(a, d.DepthClipEnable, error);
    else if (n == "SCISSORENABLE") ok = Bool(a, d.ScissorEnable, error);
    else if (n == "MULTISAMPLEENABLE") ok = Bool(a, d.MultisampleEnable, error);
    else if (n == "ANTIALIASEDLINEENABLE") ok = Bool(a, d.AntialiasedLineEnable, error);
    else {
      error = Unknown(a);
      return false;
    }
    if (!ok) return false;
  }
  return true;
}

}  // namespace platform::fx
