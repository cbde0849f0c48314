#pragma once

// The device: Direct3D 10 calls carried out on one GL 4.5 context.
//
// How it maps:
// - The context comes from the seam in platform/gl/context.h; every call makes it
//   current first (cheap when it already is), so several devices can live together.
// - glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE): memory row 0 is the top of every
//   target and texture and clip depth runs 0..1, as in the API. Viewports and
//   scissors therefore pass through unchanged.
// - State setters only record; the draw sends what changed (targets, viewports,
//   state objects, vertex arrays, textures) so redundant calls cost nothing.
// - The device keeps everything bound to it alive, as the API does (a binding count of
//   the object's own, see DeviceChild), and drops them in ClearState and when its last
//   public reference goes.

#include <memory>
#include <string>

#include "platform/d3d10/objects.h"
#include "platform/d3d10/report.h"
#include "platform/gl/context.h"
#include "platform/d3d10/gl_program.h"

namespace platform {
namespace d3d {

class GlslProgram;

class Device final : public ComObject<ID3D10Device>, public IGlslDevice {
 public:
  static HRESULT Create(HWND window, Device** device);

  // IUnknown, shared by both interfaces.
  HRESULT QueryInterface(REFIID iid, void** object) override { return ComObject::QueryInterface(iid, object); }
  ULONG AddRef() override { return ComObject::AddRef(); }
  ULONG Release() override { return ComObject::Release(); }

  void VSSetConstantBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers) override;
  void PSSetConstantBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers) override;
  void GSSetConstantBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers) override;
  void VSSetShaderResources(UINT start, UINT count, ID3D10ShaderResourceView* const* views) override;
  void PSSetShaderResources(UINT start, UINT count, ID3D10ShaderResourceView* const* views) override;
  void GSSetShaderResources(UINT start, UINT count, ID3D10ShaderResourceView* const* views) override;
  void VSSetSamplers(UINT start, UINT count, ID3D10SamplerState* const* samplers) override;
  void PSSetSamplers(UINT start, UINT count, ID3D10SamplerState* const* samplers) override;
  void GSSetSamplers(UINT start, UINT count, ID3D10SamplerState* const* samplers) override;

  void IASetInputLayout(ID3D10InputLayout* layout) override;
  void IASetVertexBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers, const UINT* strides,
                          const UINT* offsets) override;
  void IASetIndexBuffer(ID3D10Buffer* buffer, DXGI_FORMAT format, UINT offset) override;
  void IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY topology) override;
  void IAGetInputLayout(ID3D10InputLayout** layout) override;
  void IAGetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY* topology) override;
  void Draw(UINT vertexCount, UINT startVertex) override;
  void DrawInstanced(UINT vertexCountPerInstance, UINT instanceCount, UINT startVertex, UINT startInstance) override;
  void DrawIndexed(UINT indexCount, UINT startIndex, INT baseVertex) override;
  void DrawIndexedInstanced(UINT indexCountPerInstance, UINT instanceCount, UINT startIndex, INT baseVertex,
                            UINT startInstance) override;

  void DrawAuto() override;
  void SOSetTargets(UINT count, ID3D10Buffer* const* targets, const UINT* offsets) override;
  void SOGetTargets(UINT count, ID3D10Buffer** targets, UINT* offsets) override;

  void RSSetViewports(UINT count, const D3D10_VIEWPORT* viewports) override;
  void RSGetViewports(UINT* count, D3D10_VIEWPORT* viewports) override;
  void RSSetState(ID3D10RasterizerState* state) override;
  void OMSetRenderTargets(UINT count, ID3D10RenderTargetView* const* views, ID3D10DepthStencilView* depthView) override;
  void OMGetRenderTargets(UINT count, ID3D10RenderTargetView** views, ID3D10DepthStencilView** depthView) override;
  void OMSetDepthStencilState(ID3D10DepthStencilState* state, UINT stencilRef) override;
  void OMSetBlendState(ID3D10BlendState* state, const FLOAT blendFactor[4], UINT sampleMask) override;
  void ClearRenderTargetView(ID3D10RenderTargetView* view, const FLOAT color[4]) override;
  void ClearDepthStencilView(ID3D10DepthStencilView* view, UINT flags, FLOAT depth, UINT8 stencil) override;
  void ClearState() override;
  void Flush() override;

  void UpdateSubresource(ID3D10Resource* destination, UINT subresource, const D3D10_BOX* box, const void* data,
                         UINT rowPitch, UINT depthPitch) override;
  void ResolveSubresource(ID3D10Resource* destination, UINT destinationSubresource, ID3D10Resource* source,
                          UINT sourceSubresource, DXGI_FORMAT format) override;
  void CopyResource(ID3D10Resource* destination, ID3D10Resource* source) override;
  void GenerateMips(ID3D10ShaderResourceView* view) override;

  HRESULT CreateBuffer(const D3D10_BUFFER_DESC* desc, const D3D10_SUBRESOURCE_DATA* initialData,
                       ID3D10Buffer** buffer) override;
  HRESULT CreateTexture2D(const D3D10_TEXTURE2D_DESC* desc, const D3D10_SUBRESOURCE_DATA* initialData,
                          ID3D10Texture2D** texture) override;
  HRESULT CreateBufferView(Buffer* buffer, const D3D10_SHADER_RESOURCE_VIEW_DESC* desc, ID3D10ShaderResourceView** out);
  HRESULT CreateShaderResourceView(ID3D10Resource* resource, const D3D10_SHADER_RESOURCE_VIEW_DESC* desc,
                                   ID3D10ShaderResourceView** view) override;
  HRESULT CreateRenderTargetView(ID3D10Resource* resource, const D3D10_RENDER_TARGET_VIEW_DESC* desc,
                                 ID3D10RenderTargetView** view) override;
  HRESULT CreateDepthStencilView(ID3D10Resource* resource, const D3D10_DEPTH_STENCIL_VIEW_DESC* desc,
                                 ID3D10DepthStencilView** view) override;
  HRESULT CreateInputLayout(const D3D10_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature,
                            SIZE_T signatureLength, ID3D10InputLayout** layout) override;
  HRESULT CreateBlendState(const D3D10_BLEND_DESC* desc, ID3D10BlendState** state) override;
  HRESULT CreateDepthStencilState(const D3D10_DEPTH_STENCIL_DESC* desc, ID3D10DepthStencilState** state) override;
  HRESULT CreateRasterizerState(const D3D10_RASTERIZER_DESC* desc, ID3D10RasterizerState** state) override;
  HRESULT CreateSamplerState(const D3D10_SAMPLER_DESC* desc, ID3D10SamplerState** state) override;
  HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT sampleCount, UINT* levels) override;

  HRESULT CreateGlslProgram(const char* vertex, const char* geometry, const char* pixel,
                            IGlslProgram** program) override;
  HRESULT CreateGlslProgramWithStreamOutput(const char* vertex, const char* geometry, const char* pixel,
                                            const char* const* varyings, UINT varyingCount,
                                            IGlslProgram** program) override;
  void SetGlslProgram(IGlslProgram* program) override;

  // For the objects of this layer.
  bool MakeCurrent() { return surface_->EnsureCurrent(); }
  GlSurface* Surface() { return surface_.get(); }
  void AddChild() { ++children_; }
  void ReleaseChild();
  // Two scratch framebuffers for copies, resolves and readback.
  GLuint ScratchFramebuffer(int index);
  // Clears and blits ignore scissor and write masks in the API; in GL they do not,
  // so they reset that state and have the next draw send it again.
  void ResetMasksForClear();
  // Reads subresource `sub` of `texture` as `glFormat`/`glType` into `out`.
  HRESULT ReadSubresource(Texture2D* texture, UINT sub, GLenum glFormat, GLenum glType, std::size_t bytes, void* out);

 protected:
  HRESULT QueryExtraInterface(REFIID iid, void** object) override;
  void FinalRelease() override;

 private:
  explicit Device(std::unique_ptr<GlSurface> surface);
  ~Device() override;

  enum Dirty : unsigned {
    kTargets = 1u << 0,
    kViewports = 1u << 1,
    kRasterizer = 1u << 2,
    kDepthStencil = 1u << 3,
    kBlend = 1u << 4,
    kVertexArray = 1u << 5,
    kResources = 1u << 6,
    kProgram = 1u << 7,
    kAll = 0xFFu,
  };
  enum Stage { kPixel = 0, kVertex = 1, kGeometry = 2, kStageCount = 3 };
  static constexpr UINT kSlots = D3D10_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT;

  void SetConstantBuffers(Stage stage, UINT start, UINT count, ID3D10Buffer* const* buffers);
  void SetShaderResources(Stage stage, UINT start, UINT count, ID3D10ShaderResourceView* const* views);
  void SetSamplers(Stage stage, UINT start, UINT count, ID3D10SamplerState* const* samplers);
  bool PrepareDraw(const char* call);
  void ApplyTargets();
  void ApplyViewports();
  void ApplyRasterizer();
  void ApplyDepthStencil();
  void ApplyBlend();
  void ApplyVertexArray();
  void ApplyResources();
  // Stream output around each draw (stream_output.cpp): BeginStreamOut starts the
  // capture the program and targets ask for and keeps a pixel-less program from
  // rasterizing; EndStreamOut ends both.
  void BeginStreamOut();
  void EndStreamOut();
  void ResolveFill(Buffer* buffer);
  void UnbindStreamTargets();
  HRESULT UpdateTexture(Texture2D* texture, UINT subresource, const D3D10_BOX* box, const void* data, UINT rowPitch);

  std::unique_ptr<GlSurface> surface_;
  int children_ = 0;
  bool publicReleased_ = false;
  unsigned dirty_ = kAll;
  GLuint drawFramebuffer_ = 0;
  GLuint emptyVertexArray_ = 0;
  GLuint scratchFramebuffers_[2] = {0, 0};

  // Bound state, each keeping its object alive.
  RenderTargetView* targets_[D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT] = {};
  DepthStencilView* depthTarget_ = nullptr;
  UINT targetCount_ = 0;
  D3D10_VIEWPORT viewports_[D3D10_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE] = {};
  UINT viewportCount_ = 0;
  RasterizerState* rasterizer_ = nullptr;
  DepthStencilState* depthStencil_ = nullptr;
  UINT stencilRef_ = 0;
  BlendState* blend_ = nullptr;
  FLOAT blendFactor_[4] = {1, 1, 1, 1};
  UINT sampleMask_ = 0xFFFFFFFFu;
  InputLayout* layout_ = nullptr;
  struct VertexBinding {
    Buffer* buffer = nullptr;
    UINT stride = 0;
    UINT offset = 0;
  } vertexBuffers_[D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT];
  Buffer* indexBuffer_ = nullptr;
  DXGI_FORMAT indexFormat_ = DXGI_FORMAT_UNKNOWN;
  UINT indexOffset_ = 0;
  D3D10_PRIMITIVE_TOPOLOGY topology_ = D3D10_PRIMITIVE_TOPOLOGY_UNDEFINED;
  ShaderResourceView* resources_[kStageCount][kSlots] = {};
  SamplerState* samplers_[kStageCount][kSlots] = {};
  Buffer* constantBuffers_[kStageCount][kSlots] = {};
  GlslProgram* program_ = nullptr;
  struct StreamTarget {
    Buffer* buffer = nullptr;
    UINT offset = 0;  // as set
    bool append = false;  // the next capture starts after what the buffer holds
  } streamTargets_[D3D10_SO_BUFFER_SLOT_COUNT];
  bool capturing_ = false;
  bool discarding_ = false;
  bool streamWarningShown_ = false;

  // What the GL context has now, to skip sending it again.
  std::uint64_t boundVertexArray_ = ~0ull;
  std::uint64_t boundProgram_ = ~0ull;
  std::uint64_t boundTextures_[kStageCount * kSlots] = {};
  std::uint64_t boundSamplers_[kStageCount * kSlots] = {};
  std::uint64_t boundUniformBuffers_[kStageCount * kSlots] = {};
  std::uint64_t emptyArrayElementBuffer_ = 0;
  bool targetsComplete_ = false;
  bool programWarningShown_ = false;
  // What the draw framebuffer has attached: view serials per colour slot and depth.
  std::uint64_t attachedColor_[D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT] = {};
  std::uint64_t attachedDepth_ = 0;
  GLenum attachedDepthPoint_ = 0;
  GLenum drawBuffers_[D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT] = {};
  bool drawBuffersSet_ = false;
  // The fixed-function blocks as GL last got them. Effects set every state of a pass at
  // each Apply, and clears reset the write masks; sending only what differs keeps the
  // driver from revalidating its pipeline for state it already has. `...Set_` false:
  // GL may hold anything (at the start, or after a clear changed part of the block).
  D3D10_VIEWPORT glViewports_[D3D10_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE] = {};
  UINT glViewportCount_ = 0;
  bool glViewportsSet_ = false;
  D3D10_RASTERIZER_DESC glRasterizer_ = {};
  bool glRasterizerSet_ = false;
  D3D10_DEPTH_STENCIL_DESC glDepthStencil_ = {};
  UINT glStencilRef_ = 0;
  bool glDepthStencilSet_ = false;
  D3D10_BLEND_DESC glBlend_ = {};
  FLOAT glBlendFactor_[4] = {};
  UINT glSampleMask_ = 0;
  bool glBlendSet_ = false;
};

// Every object behind one of our interfaces is ours (the recording device passes the
// same objects through), so a static cast is exact; what remains to check is that the
// object belongs to this device and not to another one.
template <class T, class I>
T* Ours(Device* device, I* object, const char* call) {
  if (!object) return nullptr;
  T* ours = static_cast<T*>(object);
  if (ours->OwnerDevice() != device) {
    Report("%s: the object was made by another device", call);
    return nullptr;
  }
  return ours;
}

// The GL primitive a topology draws; 0 (GL_POINTS too) for none.
GLenum PrimitiveMode(D3D10_PRIMITIVE_TOPOLOGY topology);

// A held binding, for the device's bound-state slots: replaces `slot` with `value`.
template <class T>
void Rebind(T*& slot, T* value) {
  if (slot == value) return;
  if (value) value->BindToDevice();
  T* previous = slot;
  slot = value;
  if (previous) previous->UnbindFromDevice();
}

template <class Interface>
DeviceChild<Interface>::DeviceChild(Device* device) : serial(NextSerial()), device_(device) {
  device_->AddChild();
}

template <class Interface>
DeviceChild<Interface>::~DeviceChild() {
  device_->ReleaseChild();
}

template <class Interface>
void DeviceChild<Interface>::GetDevice(ID3D10Device** out) {
  if (!out) return;
  device_->AddRef();
  *out = device_;
}

// Attaches a view's texture to `point` of `framebuffer`, whole or one slice.
void AttachView(GLuint framebuffer, GLenum point, const ViewTarget& view);

}  // namespace d3d
}  // namespace platform
