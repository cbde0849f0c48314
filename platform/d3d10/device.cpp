#include "platform/d3d10/device.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/d3d10/program.h"
#include "platform/d3d10/report.h"

namespace platform {
namespace d3d {
namespace {

std::atomic<long> liveGlObjects{0};
std::atomic<std::uint64_t> serialCounter{0};

}  // namespace

GLenum PrimitiveMode(D3D10_PRIMITIVE_TOPOLOGY topology) {
  switch (topology) {
    case D3D10_PRIMITIVE_TOPOLOGY_POINTLIST: return GL_POINTS;
    case D3D10_PRIMITIVE_TOPOLOGY_LINELIST: return GL_LINES;
    case D3D10_PRIMITIVE_TOPOLOGY_LINESTRIP: return GL_LINE_STRIP;
    case D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST: return GL_TRIANGLES;
    case D3D10_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3D10_PRIMITIVE_TOPOLOGY_LINELIST_ADJ: return GL_LINES_ADJACENCY;
    case D3D10_PRIMITIVE_TOPOLOGY_LINESTRIP_ADJ: return GL_LINE_STRIP_ADJACENCY;
    case D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ: return GL_TRIANGLES_ADJACENCY;
    case D3D10_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP_ADJ: return GL_TRIANGLE_STRIP_ADJACENCY;
    case D3D10_PRIMITIVE_TOPOLOGY_UNDEFINED: break;
  }
  return 0;
}

namespace {

// GL_POINTS is 0, so "no mode" cannot be told from the mode: ask the topology instead.
bool DrawableTopology(D3D10_PRIMITIVE_TOPOLOGY topology) {
  return topology == D3D10_PRIMITIVE_TOPOLOGY_POINTLIST || PrimitiveMode(topology) != 0;
}

}  // namespace

std::uint64_t NextSerial() { return ++serialCounter; }
void CountGlObjects(int delta) { liveGlObjects += delta; }

void AttachView(GLuint framebuffer, GLenum point, const ViewTarget& view) {
  if (!view.texture) {
    glNamedFramebufferTexture(framebuffer, point, 0, 0);
    return;
  }
  const GLenum target = view.glTarget;
  const bool hasLayers = target == GL_TEXTURE_2D_ARRAY || target == GL_TEXTURE_2D_MULTISAMPLE_ARRAY ||
                         target == GL_TEXTURE_CUBE_MAP || target == GL_TEXTURE_CUBE_MAP_ARRAY;
  if (hasLayers && !view.layered) {
    glNamedFramebufferTextureLayer(framebuffer, point, view.glTexture, static_cast<GLint>(view.mip),
                                   static_cast<GLint>(view.firstSlice));
  } else {
    glNamedFramebufferTexture(framebuffer, point, view.glTexture, static_cast<GLint>(view.mip));
  }
}

D3D10_RASTERIZER_DESC DefaultRasterizerDesc() {
  D3D10_RASTERIZER_DESC desc = {};
  desc.FillMode = D3D10_FILL_SOLID;
  desc.CullMode = D3D10_CULL_BACK;
  desc.DepthClipEnable = TRUE;
  return desc;
}

D3D10_DEPTH_STENCIL_DESC DefaultDepthStencilDesc() {
  D3D10_DEPTH_STENCIL_DESC desc = {};
  desc.DepthEnable = TRUE;
  desc.DepthWriteMask = D3D10_DEPTH_WRITE_MASK_ALL;
  desc.DepthFunc = D3D10_COMPARISON_LESS;
  desc.StencilReadMask = 0xFF;
  desc.StencilWriteMask = 0xFF;
  desc.FrontFace = {D3D10_STENCIL_OP_KEEP, D3D10_STENCIL_OP_KEEP, D3D10_STENCIL_OP_KEEP, D3D10_COMPARISON_ALWAYS};
  desc.BackFace = desc.FrontFace;
  return desc;
}

D3D10_BLEND_DESC DefaultBlendDesc() {
  D3D10_BLEND_DESC desc = {};
  desc.SrcBlend = desc.SrcBlendAlpha = D3D10_BLEND_ONE;
  desc.DestBlend = desc.DestBlendAlpha = D3D10_BLEND_ZERO;
  desc.BlendOp = desc.BlendOpAlpha = D3D10_BLEND_OP_ADD;
  for (UINT8& mask : desc.RenderTargetWriteMask) mask = D3D10_COLOR_WRITE_ENABLE_ALL;
  return desc;
}

D3D10_SAMPLER_DESC DefaultSamplerDesc() {
  D3D10_SAMPLER_DESC desc = {};
  desc.Filter = D3D10_FILTER_MIN_MAG_MIP_LINEAR;
  desc.AddressU = desc.AddressV = desc.AddressW = D3D10_TEXTURE_ADDRESS_CLAMP;
  desc.MaxAnisotropy = 16;
  desc.ComparisonFunc = D3D10_COMPARISON_NEVER;
  desc.MinLOD = -D3D10_FLOAT32_MAX;
  desc.MaxLOD = D3D10_FLOAT32_MAX;
  return desc;
}

// --- lifetime ------------------------------------------------------------------------

HRESULT Device::Create(HWND window, Device** device) {
  *device = nullptr;
  std::string error;
  std::unique_ptr<GlSurface> surface = CreateGlSurface(window, &error);
  if (!surface) return Fail(E_FAIL, "D3D10CreateDevice: no OpenGL 4.5 context: %s", error.c_str());
  if (!surface->EnsureCurrent()) return Fail(E_FAIL, "D3D10CreateDevice: the context cannot be made current");
  if (epoxy_gl_version() < 45) {
    return Fail(E_FAIL, "D3D10CreateDevice: OpenGL 4.5 is needed, the driver offers %d.%d", epoxy_gl_version() / 10,
                epoxy_gl_version() % 10);
  }
  *device = new Device(std::move(surface));
  return S_OK;
}

Device::Device(std::unique_ptr<GlSurface> surface) : surface_(std::move(surface)) {
  glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // Writes through sRGB views are encoded, cube maps filter across faces and strips
  // restart at the all-ones index, as the API always does.
  glEnable(GL_FRAMEBUFFER_SRGB);
  glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
  glEnable(GL_PRIMITIVE_RESTART_FIXED_INDEX);
  glCreateFramebuffers(1, &drawFramebuffer_);
  // Drawing with no target bound is a stream output pass: GL takes a framebuffer without
  // attachments only when it has a size of its own.
  glNamedFramebufferParameteri(drawFramebuffer_, GL_FRAMEBUFFER_DEFAULT_WIDTH, D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION);
  glNamedFramebufferParameteri(drawFramebuffer_, GL_FRAMEBUFFER_DEFAULT_HEIGHT, D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION);
  glCreateVertexArrays(1, &emptyVertexArray_);
  CountGlObjects(2);
  glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_);
}

Device::~Device() {
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindVertexArray(0);
  glDeleteFramebuffers(1, &drawFramebuffer_);
  glDeleteVertexArrays(1, &emptyVertexArray_);
  CountGlObjects(-2);
  for (GLuint& framebuffer : scratchFramebuffers_) {
    if (framebuffer) {
      glDeleteFramebuffers(1, &framebuffer);
      CountGlObjects(-1);
    }
  }
  glFinish();
}

void Device::FinalRelease() {
  // The engine let the device go: drop what is bound (which may free children), then
  // go once the last child has gone too.
  publicReleased_ = true;
  ++children_;
  ClearState();
  --children_;
  if (children_ == 0) delete this;
}

void Device::ReleaseChild() {
  if (--children_ == 0 && publicReleased_ && RefCount() == 0) delete this;
}

HRESULT Device::QueryExtraInterface(REFIID iid, void** object) {
  if (iid == __uuidof(IGlslDevice)) {
    *object = static_cast<IGlslDevice*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

GLuint Device::ScratchFramebuffer(int index) {
  GLuint& framebuffer = scratchFramebuffers_[index];
  if (!framebuffer) {
    glCreateFramebuffers(1, &framebuffer);
    CountGlObjects(1);
  }
  return framebuffer;
}

void Device::ResetMasksForClear() {
  // Only a block whose GL state is in a clear's way is touched, and only it is sent again
  // before the next draw.
  if (!glRasterizerSet_ || glRasterizer_.ScissorEnable) {
    glDisable(GL_SCISSOR_TEST);
    glRasterizerSet_ = false;
    dirty_ |= kRasterizer;
  }
  if (!glBlendSet_ || (glBlend_.RenderTargetWriteMask[0] & 0xF) != 0xF) {
    glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlendSet_ = false;
    dirty_ |= kBlend;
  }
  if (!glDepthStencilSet_ || glDepthStencil_.DepthWriteMask != D3D10_DEPTH_WRITE_MASK_ALL ||
      glDepthStencil_.StencilWriteMask != 0xFF) {
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glDepthStencilSet_ = false;
    dirty_ |= kDepthStencil;
  }
}

// --- shader stages -------------------------------------------------------------------

void Device::SetConstantBuffers(Stage stage, UINT start, UINT count, ID3D10Buffer* const* buffers) {
  if (start >= kSlots || count > kSlots - start) {
    Report("SetConstantBuffers: slots %u to %u are out of range (0 to %u)", start, start + count, kSlots - 1);
    return;
  }
  for (UINT i = 0; i < count; ++i) {
    Buffer* buffer = buffers ? Ours<Buffer>(this, buffers[i], "SetConstantBuffers") : nullptr;
    if (buffer && !(buffer->Desc().BindFlags & D3D10_BIND_CONSTANT_BUFFER)) {
      Report("SetConstantBuffers: the buffer in slot %u was not created with D3D10_BIND_CONSTANT_BUFFER", start + i);
      buffer = nullptr;
    }
    Rebind(constantBuffers_[stage][start + i], buffer);
  }
  dirty_ |= kResources;
}

void Device::SetShaderResources(Stage stage, UINT start, UINT count, ID3D10ShaderResourceView* const* views) {
  if (start >= kSlots || count > kSlots - start) {
    Report("SetShaderResources: slots %u to %u are out of range (0 to %u)", start, start + count, kSlots - 1);
    return;
  }
  for (UINT i = 0; i < count; ++i) {
    Rebind(resources_[stage][start + i],
           views ? Ours<ShaderResourceView>(this, views[i], "SetShaderResources") : nullptr);
  }
  dirty_ |= kResources;
}

void Device::SetSamplers(Stage stage, UINT start, UINT count, ID3D10SamplerState* const* samplers) {
  if (start >= kSlots || count > kSlots - start) {
    Report("SetSamplers: slots %u to %u are out of range (0 to %u)", start, start + count, kSlots - 1);
    return;
  }
  for (UINT i = 0; i < count; ++i) {
    Rebind(samplers_[stage][start + i], samplers ? Ours<SamplerState>(this, samplers[i], "SetSamplers") : nullptr);
  }
  dirty_ |= kResources;
}

void Device::VSSetConstantBuffers(UINT s, UINT n, ID3D10Buffer* const* b) { SetConstantBuffers(kVertex, s, n, b); }
void Device::PSSetConstantBuffers(UINT s, UINT n, ID3D10Buffer* const* b) { SetConstantBuffers(kPixel, s, n, b); }
void Device::GSSetConstantBuffers(UINT s, UINT n, ID3D10Buffer* const* b) { SetConstantBuffers(kGeometry, s, n, b); }
void Device::VSSetShaderResources(UINT s, UINT n, ID3D10ShaderResourceView* const* v) { SetShaderResources(kVertex, s, n, v); }
void Device::PSSetShaderResources(UINT s, UINT n, ID3D10ShaderResourceView* const* v) { SetShaderResources(kPixel, s, n, v); }
void Device::GSSetShaderResources(UINT s, UINT n, ID3D10ShaderResourceView* const* v) { SetShaderResources(kGeometry, s, n, v); }
void Device::VSSetSamplers(UINT s, UINT n, ID3D10SamplerState* const* v) { SetSamplers(kVertex, s, n, v); }
void Device::PSSetSamplers(UINT s, UINT n, ID3D10SamplerState* const* v) { SetSamplers(kPixel, s, n, v); }
void Device::GSSetSamplers(UINT s, UINT n, ID3D10SamplerState* const* v) { SetSamplers(kGeometry, s, n, v); }

void Device::SetGlslProgram(IGlslProgram* program) {
  Rebind(program_, program ? Ours<GlslProgram>(this, program, "SetGlslProgram") : nullptr);
  dirty_ |= kProgram;
}

// --- input assembly ------------------------------------------------------------------

void Device::IASetInputLayout(ID3D10InputLayout* layout) {
  Rebind(layout_, Ours<InputLayout>(this, layout, "IASetInputLayout"));
  dirty_ |= kVertexArray;
}

void Device::IASetVertexBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers, const UINT* strides,
                                const UINT* offsets) {
  const UINT slots = D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT;
  if (start >= slots || count > slots - start) {
    Report("IASetVertexBuffers: slots %u to %u are out of range (0 to %u)", start, start + count, slots - 1);
    return;
  }
  for (UINT i = 0; i < count; ++i) {
    VertexBinding& binding = vertexBuffers_[start + i];
    Buffer* buffer = buffers ? Ours<Buffer>(this, buffers[i], "IASetVertexBuffers") : nullptr;
    if (buffer && !(buffer->Desc().BindFlags & D3D10_BIND_VERTEX_BUFFER)) {
      Report("IASetVertexBuffers: the buffer in slot %u was not created with D3D10_BIND_VERTEX_BUFFER", start + i);
      buffer = nullptr;
    }
    Rebind(binding.buffer, buffer);
    binding.stride = strides ? strides[i] : 0;
    binding.offset = offsets ? offsets[i] : 0;
  }
  dirty_ |= kVertexArray;
}

void Device::IASetIndexBuffer(ID3D10Buffer* buffer, DXGI_FORMAT format, UINT offset) {
  Buffer* ours = Ours<Buffer>(this, buffer, "IASetIndexBuffer");
  if (ours && format != DXGI_FORMAT_R16_UINT && format != DXGI_FORMAT_R32_UINT) {
    Report("IASetIndexBuffer: format %u is not an index format (R16_UINT or R32_UINT)", static_cast<unsigned>(format));
    ours = nullptr;
  }
  if (ours && !(ours->Desc().BindFlags & D3D10_BIND_INDEX_BUFFER)) {
    Report("IASetIndexBuffer: the buffer was not created with D3D10_BIND_INDEX_BUFFER");
    ours = nullptr;
  }
  Rebind(indexBuffer_, ours);
  indexFormat_ = format;
  indexOffset_ = offset;
  dirty_ |= kVertexArray;
}

void Device::IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY topology) { topology_ = topology; }

void Device::IAGetInputLayout(ID3D10InputLayout** layout) {
  if (!layout) return;
  if (layout_) layout_->AddRef();
  *layout = layout_;
}

void Device::IAGetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY* topology) {
  if (topology) *topology = topology_;
}

// --- drawing -------------------------------------------------------------------------

bool Device::PrepareDraw(const char* call) {
  if (!MakeCurrent()) return false;
  if (!program_) {
    if (!programWarningShown_) Report("%s: no GLSL program is set; nothing is drawn", call);
    programWarningShown_ = true;
    return false;
  }
  if (!DrawableTopology(topology_)) {
    Report("%s: the primitive topology is not set", call);
    return false;
  }
  if (dirty_) {
    if (dirty_ & kTargets) ApplyTargets();
    if (dirty_ & kViewports) ApplyViewports();
    if (dirty_ & kRasterizer) ApplyRasterizer();
    if (dirty_ & kDepthStencil) ApplyDepthStencil();
    if (dirty_ & kBlend) ApplyBlend();
    if (dirty_ & kVertexArray) ApplyVertexArray();
    if (dirty_ & kResources) ApplyResources();
    if ((dirty_ & kProgram) && boundProgram_ != program_->serial) {
      glUseProgram(program_->name);
      boundProgram_ = program_->serial;
    }
    dirty_ = 0;
  }
  return targetsComplete_;
}

void Device::Draw(UINT vertexCount, UINT startVertex) {
  if (!PrepareDraw("ID3D10Device::Draw")) return;
  BeginStreamOut();
  glDrawArrays(PrimitiveMode(topology_), static_cast<GLint>(startVertex), static_cast<GLsizei>(vertexCount));
  EndStreamOut();
}

void Device::DrawInstanced(UINT vertexCountPerInstance, UINT instanceCount, UINT startVertex, UINT startInstance) {
  if (!PrepareDraw("ID3D10Device::DrawInstanced")) return;
  BeginStreamOut();
  glDrawArraysInstancedBaseInstance(PrimitiveMode(topology_), static_cast<GLint>(startVertex),
                                    static_cast<GLsizei>(vertexCountPerInstance), static_cast<GLsizei>(instanceCount),
                                    startInstance);
  EndStreamOut();
}

void Device::DrawIndexed(UINT indexCount, UINT startIndex, INT baseVertex) {
  DrawIndexedInstanced(indexCount, 1, startIndex, baseVertex, 0);
}

void Device::DrawIndexedInstanced(UINT indexCountPerInstance, UINT instanceCount, UINT startIndex, INT baseVertex,
                                  UINT startInstance) {
  if (!indexBuffer_) {
    Report("ID3D10Device::DrawIndexed: no index buffer is set");
    return;
  }
  if (!PrepareDraw("ID3D10Device::DrawIndexed")) return;
  const bool wide = indexFormat_ == DXGI_FORMAT_R32_UINT;
  const std::uintptr_t offset = indexOffset_ + static_cast<std::uintptr_t>(startIndex) * (wide ? 4 : 2);
  const GLenum type = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  BeginStreamOut();
  if (instanceCount == 1 && startInstance == 0 && baseVertex == 0) {
    glDrawElements(PrimitiveMode(topology_), static_cast<GLsizei>(indexCountPerInstance), type,
                   reinterpret_cast<const void*>(offset));
  } else if (instanceCount == 1 && startInstance == 0) {
    glDrawElementsBaseVertex(PrimitiveMode(topology_), static_cast<GLsizei>(indexCountPerInstance), type,
                             reinterpret_cast<const void*>(offset), baseVertex);
  } else {
    glDrawElementsInstancedBaseVertexBaseInstance(PrimitiveMode(topology_), static_cast<GLsizei>(indexCountPerInstance),
                                                  type, reinterpret_cast<const void*>(offset),
                                                  static_cast<GLsizei>(instanceCount), baseVertex, startInstance);
  }
  EndStreamOut();
}

// --- rasterizer and output merger ----------------------------------------------------

void Device::RSSetViewports(UINT count, const D3D10_VIEWPORT* viewports) {
  if (count > D3D10_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE || (count && !viewports)) {
    Report("RSSetViewports: %u viewports (at most %u)", count, D3D10_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE);
    return;
  }
  for (UINT i = 0; i < count; ++i) viewports_[i] = viewports[i];
  viewportCount_ = count;
  dirty_ |= kViewports;
}

void Device::RSGetViewports(UINT* count, D3D10_VIEWPORT* viewports) {
  if (!count) return;
  if (viewports) {
    for (UINT i = 0; i < *count; ++i) viewports[i] = i < viewportCount_ ? viewports_[i] : D3D10_VIEWPORT{};
  }
  *count = viewportCount_;
}

void Device::RSSetState(ID3D10RasterizerState* state) {
  Rebind(rasterizer_, Ours<RasterizerState>(this, state, "RSSetState"));
  dirty_ |= kRasterizer;
}

void Device::OMSetRenderTargets(UINT count, ID3D10RenderTargetView* const* views, ID3D10DepthStencilView* depthView) {
  if (count > D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT || (count && !views)) {
    Report("OMSetRenderTargets: %u render targets (at most %u)", count, D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT);
    return;
  }
  for (UINT i = 0; i < D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT; ++i) {
    Rebind(targets_[i], i < count ? Ours<RenderTargetView>(this, views[i], "OMSetRenderTargets") : nullptr);
  }
  Rebind(depthTarget_, Ours<DepthStencilView>(this, depthView, "OMSetRenderTargets"));
  targetCount_ = count;
  dirty_ |= kTargets;
}

void Device::OMGetRenderTargets(UINT count, ID3D10RenderTargetView** views, ID3D10DepthStencilView** depthView) {
  if (views) {
    for (UINT i = 0; i < count; ++i) {
      RenderTargetView* view = i < D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT ? targets_[i] : nullptr;
      if (view) view->AddRef();
      views[i] = view;
    }
  }
  if (depthView) {
    if (depthTarget_) depthTarget_->AddRef();
    *depthView = depthTarget_;
  }
}

void Device::OMSetDepthStencilState(ID3D10DepthStencilState* state, UINT stencilRef) {
  Rebind(depthStencil_, Ours<DepthStencilState>(this, state, "OMSetDepthStencilState"));
  stencilRef_ = stencilRef;
  dirty_ |= kDepthStencil;
}

void Device::OMSetBlendState(ID3D10BlendState* state, const FLOAT blendFactor[4], UINT sampleMask) {
  Rebind(blend_, Ours<BlendState>(this, state, "OMSetBlendState"));
  for (int i = 0; i < 4; ++i) blendFactor_[i] = blendFactor ? blendFactor[i] : 1.0f;
  sampleMask_ = sampleMask;
  dirty_ |= kBlend;
}

void Device::ClearRenderTargetView(ID3D10RenderTargetView* view, const FLOAT color[4]) {
  RenderTargetView* target = Ours<RenderTargetView>(this, view, "ClearRenderTargetView");
  if (!target || !color || !MakeCurrent()) {
    if (!view || !color) Report("ClearRenderTargetView: %s is null", view ? "the colour" : "the view");
    return;
  }
  if (!target->clearFramebuffer) {
    glCreateFramebuffers(1, &target->clearFramebuffer);
    CountGlObjects(1);
    AttachView(target->clearFramebuffer, GL_COLOR_ATTACHMENT0, target->view);
    glNamedFramebufferDrawBuffer(target->clearFramebuffer, GL_COLOR_ATTACHMENT0);
  }
  ResetMasksForClear();
  const FormatInfo& info = GetFormatInfo(target->Desc().Format);
  const bool integer = info.glFormat == GL_RED_INTEGER || info.glFormat == GL_RG_INTEGER ||
                       info.glFormat == GL_RGB_INTEGER || info.glFormat == GL_RGBA_INTEGER;
  if (!integer) {
    glClearNamedFramebufferfv(target->clearFramebuffer, GL_COLOR, 0, color);
  } else if (info.glType == GL_BYTE || info.glType == GL_SHORT || info.glType == GL_INT) {
    const GLint values[4] = {static_cast<GLint>(color[0]), static_cast<GLint>(color[1]), static_cast<GLint>(color[2]),
                             static_cast<GLint>(color[3])};
    glClearNamedFramebufferiv(target->clearFramebuffer, GL_COLOR, 0, values);
  } else {
    const GLuint values[4] = {static_cast<GLuint>(std::max(0.0f, color[0])), static_cast<GLuint>(std::max(0.0f, color[1])),
                              static_cast<GLuint>(std::max(0.0f, color[2])), static_cast<GLuint>(std::max(0.0f, color[3]))};
    glClearNamedFramebufferuiv(target->clearFramebuffer, GL_COLOR, 0, values);
  }
}

void Device::ClearDepthStencilView(ID3D10DepthStencilView* view, UINT flags, FLOAT depth, UINT8 stencil) {
  DepthStencilView* target = Ours<DepthStencilView>(this, view, "ClearDepthStencilView");
  if (!target || !MakeCurrent()) {
    if (!view) Report("ClearDepthStencilView: the view is null");
    return;
  }
  const bool hasStencil = target->HasStencil();
  if (!target->clearFramebuffer) {
    glCreateFramebuffers(1, &target->clearFramebuffer);
    CountGlObjects(1);
    AttachView(target->clearFramebuffer, hasStencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT, target->view);
    glNamedFramebufferDrawBuffer(target->clearFramebuffer, GL_NONE);
  }
  ResetMasksForClear();
  depth = std::min(1.0f, std::max(0.0f, depth));
  const GLint stencilValue = stencil;
  const bool clearDepth = (flags & D3D10_CLEAR_DEPTH) != 0;
  const bool clearStencil = (flags & D3D10_CLEAR_STENCIL) != 0 && hasStencil;
  if (clearDepth && clearStencil) {
    glClearNamedFramebufferfi(target->clearFramebuffer, GL_DEPTH_STENCIL, 0, depth, stencilValue);
  } else if (clearDepth) {
    glClearNamedFramebufferfv(target->clearFramebuffer, GL_DEPTH, 0, &depth);
  } else if (clearStencil) {
    glClearNamedFramebufferiv(target->clearFramebuffer, GL_STENCIL, 0, &stencilValue);
  }
}

void Device::ClearState() {
  for (UINT stage = 0; stage < kStageCount; ++stage) {
    for (UINT slot = 0; slot < kSlots; ++slot) {
      Rebind(resources_[stage][slot], static_cast<ShaderResourceView*>(nullptr));
      Rebind(samplers_[stage][slot], static_cast<SamplerState*>(nullptr));
      Rebind(constantBuffers_[stage][slot], static_cast<Buffer*>(nullptr));
    }
  }
  for (RenderTargetView*& target : targets_) Rebind(target, static_cast<RenderTargetView*>(nullptr));
  Rebind(depthTarget_, static_cast<DepthStencilView*>(nullptr));
  targetCount_ = 0;
  viewportCount_ = 0;
  Rebind(rasterizer_, static_cast<RasterizerState*>(nullptr));
  Rebind(depthStencil_, static_cast<DepthStencilState*>(nullptr));
  Rebind(blend_, static_cast<BlendState*>(nullptr));
  stencilRef_ = 0;
  std::fill(blendFactor_, blendFactor_ + 4, 1.0f);
  sampleMask_ = 0xFFFFFFFFu;
  Rebind(layout_, static_cast<InputLayout*>(nullptr));
  for (VertexBinding& binding : vertexBuffers_) {
    Rebind(binding.buffer, static_cast<Buffer*>(nullptr));
    binding.stride = binding.offset = 0;
  }
  Rebind(indexBuffer_, static_cast<Buffer*>(nullptr));
  indexFormat_ = DXGI_FORMAT_UNKNOWN;
  indexOffset_ = 0;
  topology_ = D3D10_PRIMITIVE_TOPOLOGY_UNDEFINED;
  Rebind(program_, static_cast<GlslProgram*>(nullptr));
  UnbindStreamTargets();
  dirty_ = kAll;
}

void Device::Flush() {
  if (MakeCurrent()) glFlush();
}

}  // namespace d3d

long LiveGlObjects() { return d3d::liveGlObjects.load(); }

}  // namespace platform
