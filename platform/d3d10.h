#pragma once

// Direct3D 10 in its Windows shape, carried out on OpenGL 4.5 (see platform/d3d10/device.h
// for how each call maps). Every object is a COM-style object: out pointers hold one
// reference, Release drops it, the last Release frees the GL objects behind it.
// Device children keep their device (and its GL context) alive until they are gone.

#include "platform/d3d10/com.h"
#include "platform/dxgi.h"

constexpr UINT D3D10_SDK_VERSION = 29;
constexpr UINT D3D10_APPEND_ALIGNED_ELEMENT = 0xFFFFFFFFu;
constexpr UINT D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT = 8;
constexpr UINT D3D10_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT = 16;
constexpr UINT D3D10_SO_BUFFER_SLOT_COUNT = 4;
constexpr UINT D3D10_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT = 16;  // 128 in the API; 16 here
constexpr UINT D3D10_COMMONSHADER_SAMPLER_SLOT_COUNT = 16;
constexpr UINT D3D10_COMMONSHADER_CONSTANT_BUFFER_API_SLOT_COUNT = 14;
constexpr UINT D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION = 8192;
constexpr UINT D3D10_REQ_TEXTURE2D_ARRAY_AXIS_DIMENSION = 512;
constexpr UINT D3D10_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE = 16;
constexpr FLOAT D3D10_FLOAT32_MAX = 3.402823466e+38f;

enum D3D10_DRIVER_TYPE {
  D3D10_DRIVER_TYPE_HARDWARE = 0,
  D3D10_DRIVER_TYPE_REFERENCE = 1,
  D3D10_DRIVER_TYPE_NULL = 2,
  D3D10_DRIVER_TYPE_SOFTWARE = 3,
  D3D10_DRIVER_TYPE_WARP = 5,
};

enum D3D10_CREATE_DEVICE_FLAG {
  D3D10_CREATE_DEVICE_SINGLETHREADED = 0x1,
  D3D10_CREATE_DEVICE_DEBUG = 0x2,
};

enum D3D10_USAGE {
  D3D10_USAGE_DEFAULT = 0,
  D3D10_USAGE_IMMUTABLE = 1,
  D3D10_USAGE_DYNAMIC = 2,
  D3D10_USAGE_STAGING = 3,
};

enum D3D10_BIND_FLAG {
  D3D10_BIND_VERTEX_BUFFER = 0x1,
  D3D10_BIND_INDEX_BUFFER = 0x2,
  D3D10_BIND_CONSTANT_BUFFER = 0x4,
  D3D10_BIND_SHADER_RESOURCE = 0x8,
  D3D10_BIND_STREAM_OUTPUT = 0x10,
  D3D10_BIND_RENDER_TARGET = 0x20,
  D3D10_BIND_DEPTH_STENCIL = 0x40,
};

enum D3D10_CPU_ACCESS_FLAG {
  D3D10_CPU_ACCESS_WRITE = 0x10000,
  D3D10_CPU_ACCESS_READ = 0x20000,
};

enum D3D10_RESOURCE_MISC_FLAG {
  D3D10_RESOURCE_MISC_GENERATE_MIPS = 0x1,
  D3D10_RESOURCE_MISC_SHARED = 0x2,
  D3D10_RESOURCE_MISC_TEXTURECUBE = 0x4,
};

enum D3D10_RESOURCE_DIMENSION {
  D3D10_RESOURCE_DIMENSION_UNKNOWN = 0,
  D3D10_RESOURCE_DIMENSION_BUFFER = 1,
  D3D10_RESOURCE_DIMENSION_TEXTURE1D = 2,
  D3D10_RESOURCE_DIMENSION_TEXTURE2D = 3,
  D3D10_RESOURCE_DIMENSION_TEXTURE3D = 4,
};

struct D3D10_BUFFER_DESC {
  UINT ByteWidth;
  D3D10_USAGE Usage;
  UINT BindFlags;
  UINT CPUAccessFlags;
  UINT MiscFlags;
};

struct D3D10_SUBRESOURCE_DATA {
  const void* pSysMem;
  UINT SysMemPitch;       // bytes per row (per row of blocks when compressed)
  UINT SysMemSlicePitch;  // unused for 2D textures
};

struct D3D10_TEXTURE2D_DESC {
  UINT Width;
  UINT Height;
  UINT MipLevels;  // 0: the full chain
  UINT ArraySize;
  DXGI_FORMAT Format;
  DXGI_SAMPLE_DESC SampleDesc;
  D3D10_USAGE Usage;
  UINT BindFlags;
  UINT CPUAccessFlags;
  UINT MiscFlags;
};

struct D3D10_BOX {
  UINT left, top, front, right, bottom, back;
};

// --- views -----------------------------------------------------------------------

enum D3D10_SRV_DIMENSION {
  D3D10_SRV_DIMENSION_UNKNOWN = 0,
  D3D10_SRV_DIMENSION_BUFFER = 1,
  D3D10_SRV_DIMENSION_TEXTURE1D = 2,
  D3D10_SRV_DIMENSION_TEXTURE1DARRAY = 3,
  D3D10_SRV_DIMENSION_TEXTURE2D = 4,
  D3D10_SRV_DIMENSION_TEXTURE2DARRAY = 5,
  D3D10_SRV_DIMENSION_TEXTURE2DMS = 6,
  D3D10_SRV_DIMENSION_TEXTURE2DMSARRAY = 7,
  D3D10_SRV_DIMENSION_TEXTURE3D = 8,
  D3D10_SRV_DIMENSION_TEXTURECUBE = 9,
};

struct D3D10_TEX2D_SRV { UINT MostDetailedMip; UINT MipLevels; };
struct D3D10_TEX2D_ARRAY_SRV { UINT MostDetailedMip; UINT MipLevels; UINT FirstArraySlice; UINT ArraySize; };
struct D3D10_TEX2DMS_SRV { UINT UnusedField_NothingToDefine; };
struct D3D10_TEX2DMS_ARRAY_SRV { UINT FirstArraySlice; UINT ArraySize; };
struct D3D10_TEXCUBE_SRV { UINT MostDetailedMip; UINT MipLevels; };
struct D3D10_BUFFER_SRV {
  union { UINT FirstElement; UINT ElementOffset; };
  union { UINT NumElements; UINT ElementWidth; };
};

struct D3D10_SHADER_RESOURCE_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D10_SRV_DIMENSION ViewDimension;
  union {
    D3D10_BUFFER_SRV Buffer;
    D3D10_TEX2D_SRV Texture2D;
    D3D10_TEX2D_ARRAY_SRV Texture2DArray;
    D3D10_TEX2DMS_SRV Texture2DMS;
    D3D10_TEX2DMS_ARRAY_SRV Texture2DMSArray;
    D3D10_TEXCUBE_SRV TextureCube;
  };
};

enum D3D10_RTV_DIMENSION {
  D3D10_RTV_DIMENSION_UNKNOWN = 0,
  D3D10_RTV_DIMENSION_BUFFER = 1,
  D3D10_RTV_DIMENSION_TEXTURE1D = 2,
  D3D10_RTV_DIMENSION_TEXTURE1DARRAY = 3,
  D3D10_RTV_DIMENSION_TEXTURE2D = 4,
  D3D10_RTV_DIMENSION_TEXTURE2DARRAY = 5,
  D3D10_RTV_DIMENSION_TEXTURE2DMS = 6,
  D3D10_RTV_DIMENSION_TEXTURE2DMSARRAY = 7,
  D3D10_RTV_DIMENSION_TEXTURE3D = 8,
};

struct D3D10_TEX2D_RTV { UINT MipSlice; };
struct D3D10_TEX2D_ARRAY_RTV { UINT MipSlice; UINT FirstArraySlice; UINT ArraySize; };
struct D3D10_TEX2DMS_RTV { UINT UnusedField_NothingToDefine; };
struct D3D10_TEX2DMS_ARRAY_RTV { UINT FirstArraySlice; UINT ArraySize; };

struct D3D10_RENDER_TARGET_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D10_RTV_DIMENSION ViewDimension;
  union {
    D3D10_TEX2D_RTV Texture2D;
    D3D10_TEX2D_ARRAY_RTV Texture2DArray;
    D3D10_TEX2DMS_RTV Texture2DMS;
    D3D10_TEX2DMS_ARRAY_RTV Texture2DMSArray;
  };
};

enum D3D10_DSV_DIMENSION {
  D3D10_DSV_DIMENSION_UNKNOWN = 0,
  D3D10_DSV_DIMENSION_TEXTURE1D = 1,
  D3D10_DSV_DIMENSION_TEXTURE1DARRAY = 2,
  D3D10_DSV_DIMENSION_TEXTURE2D = 3,
  D3D10_DSV_DIMENSION_TEXTURE2DARRAY = 4,
  D3D10_DSV_DIMENSION_TEXTURE2DMS = 5,
  D3D10_DSV_DIMENSION_TEXTURE2DMSARRAY = 6,
};

struct D3D10_TEX2D_DSV { UINT MipSlice; };
struct D3D10_TEX2D_ARRAY_DSV { UINT MipSlice; UINT FirstArraySlice; UINT ArraySize; };
struct D3D10_TEX2DMS_DSV { UINT UnusedField_NothingToDefine; };
struct D3D10_TEX2DMS_ARRAY_DSV { UINT FirstArraySlice; UINT ArraySize; };

struct D3D10_DEPTH_STENCIL_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D10_DSV_DIMENSION ViewDimension;
  union {
    D3D10_TEX2D_DSV Texture2D;
    D3D10_TEX2D_ARRAY_DSV Texture2DArray;
    D3D10_TEX2DMS_DSV Texture2DMS;
    D3D10_TEX2DMS_ARRAY_DSV Texture2DMSArray;
  };
};

enum D3D10_CLEAR_FLAG { D3D10_CLEAR_DEPTH = 0x1, D3D10_CLEAR_STENCIL = 0x2 };

// --- input assembly ----------------------------------------------------------------

enum D3D10_PRIMITIVE_TOPOLOGY {
  D3D10_PRIMITIVE_TOPOLOGY_UNDEFINED = 0,
  D3D10_PRIMITIVE_TOPOLOGY_POINTLIST = 1,
  D3D10_PRIMITIVE_TOPOLOGY_LINELIST = 2,
  D3D10_PRIMITIVE_TOPOLOGY_LINESTRIP = 3,
  D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST = 4,
  D3D10_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP = 5,
  D3D10_PRIMITIVE_TOPOLOGY_LINELIST_ADJ = 10,
  D3D10_PRIMITIVE_TOPOLOGY_LINESTRIP_ADJ = 11,
  D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ = 12,
  D3D10_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP_ADJ = 13,
};

enum D3D10_INPUT_CLASSIFICATION {
  D3D10_INPUT_PER_VERTEX_DATA = 0,
  D3D10_INPUT_PER_INSTANCE_DATA = 1,
};

struct D3D10_INPUT_ELEMENT_DESC {
  LPCSTR SemanticName;
  UINT SemanticIndex;
  DXGI_FORMAT Format;
  UINT InputSlot;
  UINT AlignedByteOffset;  // D3D10_APPEND_ALIGNED_ELEMENT: right after the previous element of the slot
  D3D10_INPUT_CLASSIFICATION InputSlotClass;
  UINT InstanceDataStepRate;
};

// --- rasterizer, output merger, samplers -------------------------------------------

struct D3D10_VIEWPORT {
  INT TopLeftX;
  INT TopLeftY;
  UINT Width;
  UINT Height;
  FLOAT MinDepth;
  FLOAT MaxDepth;
};

enum D3D10_FILL_MODE { D3D10_FILL_WIREFRAME = 2, D3D10_FILL_SOLID = 3 };
enum D3D10_CULL_MODE { D3D10_CULL_NONE = 1, D3D10_CULL_FRONT = 2, D3D10_CULL_BACK = 3 };

struct D3D10_RASTERIZER_DESC {
  D3D10_FILL_MODE FillMode;          // solid
  D3D10_CULL_MODE CullMode;          // back
  BOOL FrontCounterClockwise;        // false: clockwise on screen is the front
  INT DepthBias;                     // 0
  FLOAT DepthBiasClamp;              // 0
  FLOAT SlopeScaledDepthBias;        // 0
  BOOL DepthClipEnable;              // true
  BOOL ScissorEnable;                // false
  BOOL MultisampleEnable;            // false
  BOOL AntialiasedLineEnable;        // false
};

enum D3D10_COMPARISON_FUNC {
  D3D10_COMPARISON_NEVER = 1,
  D3D10_COMPARISON_LESS = 2,
  D3D10_COMPARISON_EQUAL = 3,
  D3D10_COMPARISON_LESS_EQUAL = 4,
  D3D10_COMPARISON_GREATER = 5,
  D3D10_COMPARISON_NOT_EQUAL = 6,
  D3D10_COMPARISON_GREATER_EQUAL = 7,
  D3D10_COMPARISON_ALWAYS = 8,
};

enum D3D10_DEPTH_WRITE_MASK { D3D10_DEPTH_WRITE_MASK_ZERO = 0, D3D10_DEPTH_WRITE_MASK_ALL = 1 };

enum D3D10_STENCIL_OP {
  D3D10_STENCIL_OP_KEEP = 1,
  D3D10_STENCIL_OP_ZERO = 2,
  D3D10_STENCIL_OP_REPLACE = 3,
  D3D10_STENCIL_OP_INCR_SAT = 4,
  D3D10_STENCIL_OP_DECR_SAT = 5,
  D3D10_STENCIL_OP_INVERT = 6,
  D3D10_STENCIL_OP_INCR = 7,
  D3D10_STENCIL_OP_DECR = 8,
};

struct D3D10_DEPTH_STENCILOP_DESC {
  D3D10_STENCIL_OP StencilFailOp;
  D3D10_STENCIL_OP StencilDepthFailOp;
  D3D10_STENCIL_OP StencilPassOp;
  D3D10_COMPARISON_FUNC StencilFunc;
};

struct D3D10_DEPTH_STENCIL_DESC {
  BOOL DepthEnable;                     // true
  D3D10_DEPTH_WRITE_MASK DepthWriteMask;  // all
  D3D10_COMPARISON_FUNC DepthFunc;      // less
  BOOL StencilEnable;                   // false
  UINT8 StencilReadMask;                // 0xFF
  UINT8 StencilWriteMask;               // 0xFF
  D3D10_DEPTH_STENCILOP_DESC FrontFace; // keep, keep, keep, always
  D3D10_DEPTH_STENCILOP_DESC BackFace;
};

enum D3D10_BLEND {
  D3D10_BLEND_ZERO = 1,
  D3D10_BLEND_ONE = 2,
  D3D10_BLEND_SRC_COLOR = 3,
  D3D10_BLEND_INV_SRC_COLOR = 4,
  D3D10_BLEND_SRC_ALPHA = 5,
  D3D10_BLEND_INV_SRC_ALPHA = 6,
  D3D10_BLEND_DEST_ALPHA = 7,
  D3D10_BLEND_INV_DEST_ALPHA = 8,
  D3D10_BLEND_DEST_COLOR = 9,
  D3D10_BLEND_INV_DEST_COLOR = 10,
  D3D10_BLEND_SRC_ALPHA_SAT = 11,
  D3D10_BLEND_BLEND_FACTOR = 14,
  D3D10_BLEND_INV_BLEND_FACTOR = 15,
  D3D10_BLEND_SRC1_COLOR = 16,
  D3D10_BLEND_INV_SRC1_COLOR = 17,
  D3D10_BLEND_SRC1_ALPHA = 18,
  D3D10_BLEND_INV_SRC1_ALPHA = 19,
};

enum D3D10_BLEND_OP {
  D3D10_BLEND_OP_ADD = 1,
  D3D10_BLEND_OP_SUBTRACT = 2,
  D3D10_BLEND_OP_REV_SUBTRACT = 3,
  D3D10_BLEND_OP_MIN = 4,
  D3D10_BLEND_OP_MAX = 5,
};

enum D3D10_COLOR_WRITE_ENABLE {
  D3D10_COLOR_WRITE_ENABLE_RED = 1,
  D3D10_COLOR_WRITE_ENABLE_GREEN = 2,
  D3D10_COLOR_WRITE_ENABLE_BLUE = 4,
  D3D10_COLOR_WRITE_ENABLE_ALPHA = 8,
  D3D10_COLOR_WRITE_ENABLE_ALL = 15,
};

struct D3D10_BLEND_DESC {
  BOOL AlphaToCoverageEnable;
  BOOL BlendEnable[8];
  D3D10_BLEND SrcBlend;
  D3D10_BLEND DestBlend;
  D3D10_BLEND_OP BlendOp;
  D3D10_BLEND SrcBlendAlpha;
  D3D10_BLEND DestBlendAlpha;
  D3D10_BLEND_OP BlendOpAlpha;
  UINT8 RenderTargetWriteMask[8];
};

// Filter codes: bit 0 mip linear, bit 2 mag linear, bit 4 min linear, 0x40
// anisotropic, 0x80 comparison.
enum D3D10_FILTER {
  D3D10_FILTER_MIN_MAG_MIP_POINT = 0x00,
  D3D10_FILTER_MIN_MAG_POINT_MIP_LINEAR = 0x01,
  D3D10_FILTER_MIN_POINT_MAG_LINEAR_MIP_POINT = 0x04,
  D3D10_FILTER_MIN_POINT_MAG_MIP_LINEAR = 0x05,
  D3D10_FILTER_MIN_LINEAR_MAG_MIP_POINT = 0x10,
  D3D10_FILTER_MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x11,
  D3D10_FILTER_MIN_MAG_LINEAR_MIP_POINT = 0x14,
  D3D10_FILTER_MIN_MAG_MIP_LINEAR = 0x15,
  D3D10_FILTER_ANISOTROPIC = 0x55,
  D3D10_FILTER_COMPARISON_MIN_MAG_MIP_POINT = 0x80,
  D3D10_FILTER_COMPARISON_MIN_MAG_POINT_MIP_LINEAR = 0x81,
  D3D10_FILTER_COMPARISON_MIN_POINT_MAG_LINEAR_MIP_POINT = 0x84,
  D3D10_FILTER_COMPARISON_MIN_POINT_MAG_MIP_LINEAR = 0x85,
  D3D10_FILTER_COMPARISON_MIN_LINEAR_MAG_MIP_POINT = 0x90,
  D3D10_FILTER_COMPARISON_MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x91,
  D3D10_FILTER_COMPARISON_MIN_MAG_LINEAR_MIP_POINT = 0x94,
  D3D10_FILTER_COMPARISON_MIN_MAG_MIP_LINEAR = 0x95,
  D3D10_FILTER_COMPARISON_ANISOTROPIC = 0xD5,
};

enum D3D10_TEXTURE_ADDRESS_MODE {
  D3D10_TEXTURE_ADDRESS_WRAP = 1,
  D3D10_TEXTURE_ADDRESS_MIRROR = 2,
  D3D10_TEXTURE_ADDRESS_CLAMP = 3,
  D3D10_TEXTURE_ADDRESS_BORDER = 4,
  D3D10_TEXTURE_ADDRESS_MIRROR_ONCE = 5,
};

struct D3D10_SAMPLER_DESC {
  D3D10_FILTER Filter;
  D3D10_TEXTURE_ADDRESS_MODE AddressU;
  D3D10_TEXTURE_ADDRESS_MODE AddressV;
  D3D10_TEXTURE_ADDRESS_MODE AddressW;
  FLOAT MipLODBias;
  UINT MaxAnisotropy;
  D3D10_COMPARISON_FUNC ComparisonFunc;
  FLOAT BorderColor[4];
  FLOAT MinLOD;
  FLOAT MaxLOD;
};

// --- interfaces --------------------------------------------------------------------

struct ID3D10Device;

struct ID3D10DeviceChild : IUnknown {
  using Parent = IUnknown;
  virtual void GetDevice(ID3D10Device** device) = 0;
};

struct ID3D10Resource : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
  virtual void GetType(D3D10_RESOURCE_DIMENSION* dimension) = 0;
};

struct ID3D10Buffer : ID3D10Resource {
  using Parent = ID3D10Resource;
  virtual void GetDesc(D3D10_BUFFER_DESC* desc) = 0;
};

struct ID3D10Texture2D : ID3D10Resource {
  using Parent = ID3D10Resource;
  virtual void GetDesc(D3D10_TEXTURE2D_DESC* desc) = 0;
};

struct ID3D10View : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
  // The viewed resource, with a reference the caller releases.
  virtual void GetResource(ID3D10Resource** resource) = 0;
};

struct ID3D10ShaderResourceView : ID3D10View {
  using Parent = ID3D10View;
  virtual void GetDesc(D3D10_SHADER_RESOURCE_VIEW_DESC* desc) = 0;
};

struct ID3D10RenderTargetView : ID3D10View {
  using Parent = ID3D10View;
  virtual void GetDesc(D3D10_RENDER_TARGET_VIEW_DESC* desc) = 0;
};

struct ID3D10DepthStencilView : ID3D10View {
  using Parent = ID3D10View;
  virtual void GetDesc(D3D10_DEPTH_STENCIL_VIEW_DESC* desc) = 0;
};

struct ID3D10InputLayout : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
};

struct ID3D10SamplerState : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
  virtual void GetDesc(D3D10_SAMPLER_DESC* desc) = 0;
};

struct ID3D10RasterizerState : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
  virtual void GetDesc(D3D10_RASTERIZER_DESC* desc) = 0;
};

struct ID3D10DepthStencilState : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
  virtual void GetDesc(D3D10_DEPTH_STENCIL_DESC* desc) = 0;
};

struct ID3D10BlendState : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
  virtual void GetDesc(D3D10_BLEND_DESC* desc) = 0;
};

// The device. Calls that fail return a failing HRESULT and write their reason to
// standard error prefixed "platform:"; calls that return nothing ignore bad arguments
// the same way, reporting them. Calls this layer does not carry out report
// "ID3D10Device::Name: not implemented" once and fail.
struct ID3D10Device : IUnknown {
  using Parent = IUnknown;

  // Shader stages. Slots map to GL units per stage (see platform/d3d10/device.h).
  virtual void VSSetConstantBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers) = 0;
  virtual void PSSetConstantBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers) = 0;
  virtual void GSSetConstantBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers) = 0;
  virtual void VSSetShaderResources(UINT start, UINT count, ID3D10ShaderResourceView* const* views) = 0;
  virtual void PSSetShaderResources(UINT start, UINT count, ID3D10ShaderResourceView* const* views) = 0;
  virtual void GSSetShaderResources(UINT start, UINT count, ID3D10ShaderResourceView* const* views) = 0;
  virtual void VSSetSamplers(UINT start, UINT count, ID3D10SamplerState* const* samplers) = 0;
  virtual void PSSetSamplers(UINT start, UINT count, ID3D10SamplerState* const* samplers) = 0;
  virtual void GSSetSamplers(UINT start, UINT count, ID3D10SamplerState* const* samplers) = 0;

  // Input assembly and drawing.
  virtual void IASetInputLayout(ID3D10InputLayout* layout) = 0;
  virtual void IASetVertexBuffers(UINT start, UINT count, ID3D10Buffer* const* buffers, const UINT* strides,
                                  const UINT* offsets) = 0;
  virtual void IASetIndexBuffer(ID3D10Buffer* buffer, DXGI_FORMAT format, UINT offset) = 0;
  virtual void IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY topology) = 0;
  virtual void IAGetInputLayout(ID3D10InputLayout** layout) = 0;
  virtual void IAGetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY* topology) = 0;
  virtual void Draw(UINT vertexCount, UINT startVertex) = 0;
  virtual void DrawInstanced(UINT vertexCountPerInstance, UINT instanceCount, UINT startVertex,
                             UINT startInstance) = 0;
  virtual void DrawIndexed(UINT indexCount, UINT startIndex, INT baseVertex) = 0;
  virtual void DrawIndexedInstanced(UINT indexCountPerInstance, UINT instanceCount, UINT startIndex,
                                    INT baseVertex, UINT startInstance) = 0;
  // Draws what the last stream output into vertex buffer slot 0's buffer wrote, from the
  // slot's offset on, as many vertices as it holds.
  virtual void DrawAuto() = 0;

  // Stream output: draws write the last vertex stage's outputs into these buffers (bound
  // with D3D10_BIND_STREAM_OUTPUT) at the byte offsets given, or, for an offset of
  // (UINT)-1, after what the buffer already holds; each draw appends to the one before.
  virtual void SOSetTargets(UINT count, ID3D10Buffer* const* targets, const UINT* offsets) = 0;
  // The offsets read back are those last set, as the API's are.
  virtual void SOGetTargets(UINT count, ID3D10Buffer** targets, UINT* offsets) = 0;

  // Rasterizer and output merger.
  virtual void RSSetViewports(UINT count, const D3D10_VIEWPORT* viewports) = 0;
  virtual void RSGetViewports(UINT* count, D3D10_VIEWPORT* viewports) = 0;
  virtual void RSSetState(ID3D10RasterizerState* state) = 0;
  virtual void OMSetRenderTargets(UINT count, ID3D10RenderTargetView* const* views,
                                  ID3D10DepthStencilView* depthView) = 0;
  virtual void OMGetRenderTargets(UINT count, ID3D10RenderTargetView** views,
                                  ID3D10DepthStencilView** depthView) = 0;
  virtual void OMSetDepthStencilState(ID3D10DepthStencilState* state, UINT stencilRef) = 0;
  virtual void OMSetBlendState(ID3D10BlendState* state, const FLOAT blendFactor[4], UINT sampleMask) = 0;
  virtual void ClearRenderTargetView(ID3D10RenderTargetView* view, const FLOAT color[4]) = 0;
  virtual void ClearDepthStencilView(ID3D10DepthStencilView* view, UINT flags, FLOAT depth, UINT8 stencil) = 0;
  virtual void ClearState() = 0;
  virtual void Flush() = 0;

  // Resources.
  virtual void UpdateSubresource(ID3D10Resource* destination, UINT subresource, const D3D10_BOX* box,
                                 const void* data, UINT rowPitch, UINT depthPitch) = 0;
  virtual void ResolveSubresource(ID3D10Resource* destination, UINT destinationSubresource, ID3D10Resource* source,
                                  UINT sourceSubresource, DXGI_FORMAT format) = 0;
  virtual void CopyResource(ID3D10Resource* destination, ID3D10Resource* source) = 0;
  virtual void GenerateMips(ID3D10ShaderResourceView* view) = 0;

  virtual HRESULT CreateBuffer(const D3D10_BUFFER_DESC* desc, const D3D10_SUBRESOURCE_DATA* initialData,
                               ID3D10Buffer** buffer) = 0;
  // initialData, when given, has one entry per subresource (mip-major within each slice).
  virtual HRESULT CreateTexture2D(const D3D10_TEXTURE2D_DESC* desc, const D3D10_SUBRESOURCE_DATA* initialData,
                                  ID3D10Texture2D** texture) = 0;
  // A null desc views the whole resource in its own format.
  virtual HRESULT CreateShaderResourceView(ID3D10Resource* resource, const D3D10_SHADER_RESOURCE_VIEW_DESC* desc,
                                           ID3D10ShaderResourceView** view) = 0;
  virtual HRESULT CreateRenderTargetView(ID3D10Resource* resource, const D3D10_RENDER_TARGET_VIEW_DESC* desc,
                                         ID3D10RenderTargetView** view) = 0;
  virtual HRESULT CreateDepthStencilView(ID3D10Resource* resource, const D3D10_DEPTH_STENCIL_VIEW_DESC* desc,
                                         ID3D10DepthStencilView** view) = 0;
  // The signature is what an effect pass reports as its input signature (the layer's
  // own encoding, platform/d3d10/input_signature.h); every input it lists must be matched.
  virtual HRESULT CreateInputLayout(const D3D10_INPUT_ELEMENT_DESC* elements, UINT count, const void* signature,
                                    SIZE_T signatureLength, ID3D10InputLayout** layout) = 0;
  virtual HRESULT CreateBlendState(const D3D10_BLEND_DESC* desc, ID3D10BlendState** state) = 0;
  virtual HRESULT CreateDepthStencilState(const D3D10_DEPTH_STENCIL_DESC* desc, ID3D10DepthStencilState** state) = 0;
  virtual HRESULT CreateRasterizerState(const D3D10_RASTERIZER_DESC* desc, ID3D10RasterizerState** state) = 0;
  virtual HRESULT CreateSamplerState(const D3D10_SAMPLER_DESC* desc, ID3D10SamplerState** state) = 0;
  // S_OK with *levels 0 when the count is not supported for the format.
  virtual HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT sampleCount, UINT* levels) = 0;
};

NEBLU_INTERFACE_ID(ID3D10DeviceChild, 0x00000201)
NEBLU_INTERFACE_ID(ID3D10Resource, 0x00000202)
NEBLU_INTERFACE_ID(ID3D10Buffer, 0x00000203)
NEBLU_INTERFACE_ID(ID3D10Texture2D, 0x00000204)
NEBLU_INTERFACE_ID(ID3D10View, 0x00000205)
NEBLU_INTERFACE_ID(ID3D10ShaderResourceView, 0x00000206)
NEBLU_INTERFACE_ID(ID3D10RenderTargetView, 0x00000207)
NEBLU_INTERFACE_ID(ID3D10DepthStencilView, 0x00000208)
NEBLU_INTERFACE_ID(ID3D10InputLayout, 0x00000209)
NEBLU_INTERFACE_ID(ID3D10SamplerState, 0x0000020A)
NEBLU_INTERFACE_ID(ID3D10RasterizerState, 0x0000020B)
NEBLU_INTERFACE_ID(ID3D10DepthStencilState, 0x0000020C)
NEBLU_INTERFACE_ID(ID3D10BlendState, 0x0000020D)
NEBLU_INTERFACE_ID(ID3D10Device, 0x0000020E)

struct IDXGIAdapter;

// adapter may be null (the default); the driver type, software module and flags are
// accepted and change nothing. The device draws through a headless GL context.
PLATFORM_API HRESULT D3D10CreateDevice(IDXGIAdapter* adapter, D3D10_DRIVER_TYPE driverType, HMODULE software,
                                       UINT flags, UINT sdkVersion, ID3D10Device** device);

// The context comes from the seam in platform/gl/context.h: the window layer's
// surface for desc->OutputWindow, or a headless one.
PLATFORM_API HRESULT D3D10CreateDeviceAndSwapChain(IDXGIAdapter* adapter, D3D10_DRIVER_TYPE driverType,
                                                   HMODULE software, UINT flags, UINT sdkVersion,
                                                   DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** swapChain,
                                                   ID3D10Device** device);
