#pragma once

// The GL-backed objects behind the Direct3D 10 interfaces. Internal to the platform
// library: the engine sees only the interfaces of platform/d3d10.h.

#include <epoxy/gl.h>

#include <string>
#include <vector>

#include "platform/d3d10.h"
#include "platform/d3d10/formats.h"
#include "platform/d3d10/input_signature.h"

namespace platform {
namespace d3d {

class Device;

// Device children keep their device alive through a count of their own (not the
// device's public references), so the device can drop the objects bound to it when
// the engine lets it go and still outlive every child that needs its GL context.
template <class Interface>
class DeviceChild : public ComObject<Interface> {
 public:
  explicit DeviceChild(Device* device);
  ~DeviceChild() override;
  void GetDevice(ID3D10Device** out) override;
  Device* OwnerDevice() const { return device_; }

  // Unique for the life of the process, unlike GL names, which the driver reuses once
  // deleted: the device remembers what it sent to GL by serial.
  const std::uint64_t serial;

  // The device's hold on an object bound to it, counted apart from the public count and
  // without atomics: a draw rebinds buffers every call, and a locked add per bind was a
  // measurable share of the layer's cost. Safe because an object and its device already
  // live on the thread of their GL context (the last Release deletes GL names).
  void BindToDevice() { ++deviceBindings_; }
  void UnbindFromDevice() {
    if (--deviceBindings_ == 0 && this->RefCount() == 0) delete this;
  }

 protected:
  // The last public Release frees the object unless the device still has it bound, as
  // the API's device keeps what is bound alive; the last unbind frees it then.
  void FinalRelease() override {
    if (deviceBindings_ == 0) delete this;
  }

  Device* device_;

 private:
  unsigned deviceBindings_ = 0;
};

std::uint64_t NextSerial();

class Buffer final : public DeviceChild<ID3D10Buffer> {
 public:
  Buffer(Device* device, const D3D10_BUFFER_DESC& desc);
  ~Buffer() override;
  void GetType(D3D10_RESOURCE_DIMENSION* dimension) override { *dimension = D3D10_RESOURCE_DIMENSION_BUFFER; }
  void GetDesc(D3D10_BUFFER_DESC* desc) override { *desc = desc_; }

  const D3D10_BUFFER_DESC& Desc() const { return desc_; }
  GLuint name = 0;

  // Stream output's record of what it wrote here (platform/d3d10/stream_output.cpp).
  // The last capture's size stays with GL until something needs it: `pending` says so,
  // and its primitives are counted by the query of `counter` (this buffer, or the one in
  // the first slot beside it) from `fillStart` on. `fillEnd` is the first byte after the
  // written data once known.
  struct StreamFill {
    UINT fillEnd = 0;
    bool pending = false;
    Buffer* counter = nullptr;
    UINT fillStart = 0;
    UINT bytesPerPrimitive = 0;
    GLenum mode = 0;  // the captured primitive: what DrawAuto draws from its own count
  } streamFill;
  GLuint feedback = 0;  // transform feedback object, made on first capture with this buffer first
  GLuint counterQuery = 0;

 private:
  D3D10_BUFFER_DESC desc_;
};

class Texture2D final : public DeviceChild<ID3D10Texture2D> {
 public:
  Texture2D(Device* device, const D3D10_TEXTURE2D_DESC& desc);
  ~Texture2D() override;
  void GetType(D3D10_RESOURCE_DIMENSION* dimension) override { *dimension = D3D10_RESOURCE_DIMENSION_TEXTURE2D; }
  void GetDesc(D3D10_TEXTURE2D_DESC* desc) override { *desc = desc_; }

  const D3D10_TEXTURE2D_DESC& Desc() const { return desc_; }
  bool Multisampled() const { return desc_.SampleDesc.Count > 1; }
  bool Cube() const { return (desc_.MiscFlags & D3D10_RESOURCE_MISC_TEXTURECUBE) != 0; }
  UINT MipWidth(UINT mip) const { return desc_.Width >> mip ? desc_.Width >> mip : 1; }
  UINT MipHeight(UINT mip) const { return desc_.Height >> mip ? desc_.Height >> mip : 1; }

  GLuint name = 0;
  GLenum target = 0;
  // What GL stores: the description's format, or the depth member of its typeless
  // family when the texture is bound as a depth buffer.
  DXGI_FORMAT storageFormat = DXGI_FORMAT_UNKNOWN;

 private:
  D3D10_TEXTURE2D_DESC desc_;
};

// The part all three views share: the viewed texture (referenced), and the GL texture
// to use, which is the resource's own or a texture view when the format or the range
// differs from the resource's.
struct ViewTarget {
  Texture2D* texture = nullptr;
  Buffer* buffer = nullptr;  // instead of the texture, for a view of a buffer's elements
  GLuint glTexture = 0;
  GLenum glTarget = 0;
  bool ownsTexture = false;
  UINT mip = 0;
  UINT firstSlice = 0;
  UINT sliceCount = 1;
  bool layered = false;  // attach every slice (a view of a whole array)
};

class ShaderResourceView final : public DeviceChild<ID3D10ShaderResourceView> {
 public:
  ShaderResourceView(Device* device, const D3D10_SHADER_RESOURCE_VIEW_DESC& desc, const ViewTarget& target);
  ~ShaderResourceView() override;
  void GetResource(ID3D10Resource** resource) override;
  void GetDesc(D3D10_SHADER_RESOURCE_VIEW_DESC* desc) override { *desc = desc_; }
  ViewTarget view;

 private:
  D3D10_SHADER_RESOURCE_VIEW_DESC desc_;
};

class RenderTargetView final : public DeviceChild<ID3D10RenderTargetView> {
 public:
  RenderTargetView(Device* device, const D3D10_RENDER_TARGET_VIEW_DESC& desc, const ViewTarget& target);
  ~RenderTargetView() override;
  void GetResource(ID3D10Resource** resource) override;
  void GetDesc(D3D10_RENDER_TARGET_VIEW_DESC* desc) override { *desc = desc_; }
  const D3D10_RENDER_TARGET_VIEW_DESC& Desc() const { return desc_; }
  ViewTarget view;
  GLuint clearFramebuffer = 0;  // made on first clear

 private:
  D3D10_RENDER_TARGET_VIEW_DESC desc_;
};

class DepthStencilView final : public DeviceChild<ID3D10DepthStencilView> {
 public:
  DepthStencilView(Device* device, const D3D10_DEPTH_STENCIL_VIEW_DESC& desc, const ViewTarget& target);
  ~DepthStencilView() override;
  void GetResource(ID3D10Resource** resource) override;
  void GetDesc(D3D10_DEPTH_STENCIL_VIEW_DESC* desc) override { *desc = desc_; }
  const D3D10_DEPTH_STENCIL_VIEW_DESC& Desc() const { return desc_; }
  bool HasStencil() const { return GetFormatInfo(desc_.Format).hasStencil; }
  ViewTarget view;
  GLuint clearFramebuffer = 0;

 private:
  D3D10_DEPTH_STENCIL_VIEW_DESC desc_;
};

// One vertex array object per layout: the attribute formats are fixed at creation,
// the vertex buffers are attached at draw time when they changed.
class InputLayout final : public DeviceChild<ID3D10InputLayout> {
 public:
  struct Slot {
    bool used = false;
    UINT divisor = 0;
    // What is attached to the VAO now (buffer serial), so unchanged buffers are not
    // sent again.
    std::uint64_t buffer = 0;
    UINT offset = 0;
    UINT stride = 0;
  };
  InputLayout(Device* device, std::vector<D3D10_INPUT_ELEMENT_DESC> elements);
  ~InputLayout() override;

  GLuint vao = 0;
  Slot slots[D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT];
  std::vector<UINT> usedSlots;
  std::uint64_t elementBuffer = 0;
  std::vector<std::string> semanticNames;  // copies of the element names, for recording
  std::vector<D3D10_INPUT_ELEMENT_DESC> elements;
};

class SamplerState final : public DeviceChild<ID3D10SamplerState> {
 public:
  SamplerState(Device* device, const D3D10_SAMPLER_DESC& desc);
  ~SamplerState() override;
  void GetDesc(D3D10_SAMPLER_DESC* desc) override { *desc = desc_; }
  GLuint name = 0;

 private:
  D3D10_SAMPLER_DESC desc_;
};

class RasterizerState final : public DeviceChild<ID3D10RasterizerState> {
 public:
  RasterizerState(Device* device, const D3D10_RASTERIZER_DESC& d) : DeviceChild(device), desc(d) {}
  void GetDesc(D3D10_RASTERIZER_DESC* out) override { *out = desc; }
  const D3D10_RASTERIZER_DESC desc;
};

class DepthStencilState final : public DeviceChild<ID3D10DepthStencilState> {
 public:
  DepthStencilState(Device* device, const D3D10_DEPTH_STENCIL_DESC& d) : DeviceChild(device), desc(d) {}
  void GetDesc(D3D10_DEPTH_STENCIL_DESC* out) override { *out = desc; }
  const D3D10_DEPTH_STENCIL_DESC desc;
};

class BlendState final : public DeviceChild<ID3D10BlendState> {
 public:
  BlendState(Device* device, const D3D10_BLEND_DESC& d) : DeviceChild(device), desc(d) {}
  void GetDesc(D3D10_BLEND_DESC* out) override { *out = desc; }
  const D3D10_BLEND_DESC desc;
};

// The defaults the API gives when a state object is not set.
D3D10_RASTERIZER_DESC DefaultRasterizerDesc();
D3D10_DEPTH_STENCIL_DESC DefaultDepthStencilDesc();
D3D10_BLEND_DESC DefaultBlendDesc();
D3D10_SAMPLER_DESC DefaultSamplerDesc();

// Our implementation behind an interface pointer, or null for someone else's object.
Texture2D* AsTexture(ID3D10Resource* resource);
Buffer* AsBuffer(ID3D10Resource* resource);

// Creates and deletes GL names through these so the device can tell whether any are
// left (a shutdown that leaves no live GL object).
void CountGlObjects(int delta);

}  // namespace d3d
}  // namespace platform
