#pragma once

// Effects in their Direct3D 10 shape: an effect compiled from an .fx file, its
// techniques, passes, variables and annotations, and the effect pool whose variables
// every child effect shares. Techniques, passes and variables belong to their effect
// (no reference counting, as in the API) and stay valid while it lives. A lookup by an
// unknown name or index answers an invalid object whose IsValid() is false, never null.
//
// How it maps: each pass is one GLSL program made by the device (platform/d3d10/gl_program.h);
// variables live in CPU images of their constant buffers in HLSL packing, and Apply
// uploads the images that changed and binds the pass's program, buffers, textures,
// samplers and state objects through the device.

#include <cstdint>

#include "platform/d3d10.h"

typedef std::uint8_t BYTE;

constexpr UINT D3D10_EFFECT_COMPILE_CHILD_EFFECT = 0x1;
constexpr UINT D3D10_EFFECT_VARIABLE_POOLED = 0x1;
constexpr UINT D3D10_EFFECT_VARIABLE_ANNOTATION = 0x2;

struct D3D10_SHADER_MACRO {
  LPCSTR Name;
  LPCSTR Definition;
};
struct ID3D10Include;  // include handlers are not supported: includes resolve against the file
struct ID3DX10ThreadPump;
// A buffer the compiler hands back: the error messages of a failed compile.
struct ID3D10Blob : IUnknown {
  using Parent = IUnknown;
  virtual LPVOID GetBufferPointer() = 0;
  virtual SIZE_T GetBufferSize() = 0;
};

struct D3D10_EFFECT_DESC {
  BOOL IsChildEffect;
  UINT ConstantBuffers;
  UINT SharedConstantBuffers;
  UINT GlobalVariables;        // the effect's own
  UINT SharedGlobalVariables;  // from the pool; GetVariableByIndex lists them after the own ones
  UINT Techniques;
};

struct D3D10_TECHNIQUE_DESC {
  LPCSTR Name;
  UINT Passes;
  UINT Annotations;
};

struct D3D10_PASS_DESC {
  LPCSTR Name;
  UINT Annotations;
  BYTE* pIAInputSignature;  // for CreateInputLayout (platform/d3d10/input_signature.h)
  SIZE_T IAInputSignatureSize;
  UINT StencilRef;
  UINT SampleMask;
  FLOAT BlendFactor[4];
};

struct D3D10_EFFECT_VARIABLE_DESC {
  LPCSTR Name;
  LPCSTR Semantic;  // null when none
  UINT Flags;       // D3D10_EFFECT_VARIABLE_POOLED, D3D10_EFFECT_VARIABLE_ANNOTATION
  UINT Annotations;
  UINT BufferOffset;  // byte offset in its constant buffer
  UINT ExplicitBindPoint;
};

struct ID3D10EffectScalarVariable;
struct ID3D10EffectVectorVariable;
struct ID3D10EffectMatrixVariable;
struct ID3D10EffectStringVariable;
struct ID3D10EffectShaderResourceVariable;

// Variables and annotations. As* on a variable of another kind answers an invalid one.
struct ID3D10EffectVariable {
  virtual BOOL IsValid() = 0;
  virtual HRESULT GetDesc(D3D10_EFFECT_VARIABLE_DESC* desc) = 0;
  virtual ID3D10EffectVariable* GetAnnotationByIndex(UINT index) = 0;
  virtual ID3D10EffectVariable* GetAnnotationByName(LPCSTR name) = 0;
  virtual ID3D10EffectScalarVariable* AsScalar() = 0;
  virtual ID3D10EffectVectorVariable* AsVector() = 0;
  virtual ID3D10EffectMatrixVariable* AsMatrix() = 0;
  virtual ID3D10EffectStringVariable* AsString() = 0;
  virtual ID3D10EffectShaderResourceVariable* AsShaderResource() = 0;
  // Bytes as they sit in the constant buffer; offset and count must lie inside the
  // variable. Annotations read their value (a bool is 4 bytes) and refuse writes.
  virtual HRESULT SetRawValue(const void* data, UINT offset, UINT count) = 0;
  virtual HRESULT GetRawValue(void* data, UINT offset, UINT count) = 0;

 protected:
  ~ID3D10EffectVariable() = default;
};

struct ID3D10EffectScalarVariable : virtual ID3D10EffectVariable {
  virtual HRESULT SetFloat(float value) = 0;
  virtual HRESULT GetFloat(float* value) = 0;
  virtual HRESULT SetInt(int value) = 0;
  virtual HRESULT GetInt(int* value) = 0;
  virtual HRESULT SetBool(BOOL value) = 0;
  virtual HRESULT GetBool(BOOL* value) = 0;

 protected:
  ~ID3D10EffectScalarVariable() = default;
};

struct ID3D10EffectVectorVariable : virtual ID3D10EffectVariable {
  virtual HRESULT SetFloatVector(const float* value) = 0;  // as many floats as the vector has
  virtual HRESULT GetFloatVector(float* value) = 0;
  virtual HRESULT SetIntVector(const int* value) = 0;

 protected:
  ~ID3D10EffectVectorVariable() = default;
};

struct ID3D10EffectMatrixVariable : virtual ID3D10EffectVariable {
  // A row-major 4x4 array of which the variable's rows x columns are used; written
  // transposed into the buffer for column_major variables, as stored for row_major.
  virtual HRESULT SetMatrix(const float* matrix) = 0;
  virtual HRESULT GetMatrix(float* matrix) = 0;
  virtual HRESULT SetMatrixTranspose(const float* matrix) = 0;

 protected:
  ~ID3D10EffectMatrixVariable() = default;
};

struct ID3D10EffectStringVariable : virtual ID3D10EffectVariable {
  virtual HRESULT GetString(LPCSTR* value) = 0;

 protected:
  ~ID3D10EffectStringVariable() = default;
};

struct ID3D10EffectShaderResourceVariable : virtual ID3D10EffectVariable {
  // The variable holds a reference on each view until it is replaced or the effect goes.
  virtual HRESULT SetResource(ID3D10ShaderResourceView* view) = 0;
  virtual HRESULT GetResource(ID3D10ShaderResourceView** view) = 0;
  virtual HRESULT SetResourceArray(ID3D10ShaderResourceView** views, UINT offset, UINT count) = 0;

 protected:
  ~ID3D10EffectShaderResourceVariable() = default;
};

struct ID3D10EffectPass {
  virtual BOOL IsValid() = 0;
  virtual HRESULT GetDesc(D3D10_PASS_DESC* desc) = 0;
  virtual ID3D10EffectVariable* GetAnnotationByIndex(UINT index) = 0;
  virtual ID3D10EffectVariable* GetAnnotationByName(LPCSTR name) = 0;
  // Binds the pass's program, constant buffers (uploading what changed), textures,
  // samplers and the state objects the pass sets. flags must be 0.
  virtual HRESULT Apply(UINT flags) = 0;

 protected:
  ~ID3D10EffectPass() = default;
};

struct ID3D10EffectTechnique {
  // False for an unknown name and for a technique a pass of which cannot run here.
  virtual BOOL IsValid() = 0;
  virtual HRESULT GetDesc(D3D10_TECHNIQUE_DESC* desc) = 0;
  virtual ID3D10EffectVariable* GetAnnotationByIndex(UINT index) = 0;
  virtual ID3D10EffectVariable* GetAnnotationByName(LPCSTR name) = 0;
  virtual ID3D10EffectPass* GetPassByIndex(UINT index) = 0;
  virtual ID3D10EffectPass* GetPassByName(LPCSTR name) = 0;

 protected:
  ~ID3D10EffectTechnique() = default;
};

struct ID3D10Effect : IUnknown {
  using Parent = IUnknown;
  virtual BOOL IsValid() = 0;
  virtual BOOL IsPool() = 0;
  virtual HRESULT GetDevice(ID3D10Device** device) = 0;
  virtual HRESULT GetDesc(D3D10_EFFECT_DESC* desc) = 0;
  virtual ID3D10EffectVariable* GetVariableByIndex(UINT index) = 0;
  virtual ID3D10EffectVariable* GetVariableByName(LPCSTR name) = 0;
  virtual ID3D10EffectVariable* GetVariableBySemantic(LPCSTR semantic) = 0;
  virtual ID3D10EffectTechnique* GetTechniqueByIndex(UINT index) = 0;
  virtual ID3D10EffectTechnique* GetTechniqueByName(LPCSTR name) = 0;
};

struct ID3D10EffectPool : IUnknown {
  using Parent = IUnknown;
  // The pool's own effect, whose variables are the shared ones. No reference is added.
  virtual ID3D10Effect* AsEffect() = 0;
};

NEBLU_INTERFACE_ID(ID3D10Blob, 0x00000403)
NEBLU_INTERFACE_ID(ID3D10Effect, 0x00000401)
NEBLU_INTERFACE_ID(ID3D10EffectPool, 0x00000402)

// Compiles an .fx file (profile "fx_4_0") for `device`. With D3D10_EFFECT_COMPILE_CHILD_EFFECT
// in fxFlags, `pool` must be given and the effect's shared variables are the pool's.
// Includes resolve relative to the file; `include` and `pump` are not supported (pass
// null). The compiler's message, with the file and line, goes to standard error and,
// when `errors` is given and the compile fails, into a blob of text (zero-terminated;
// the caller releases it). Compiled shaders are cached on disk (platform/effect/cache.h).
PLATFORM_API HRESULT D3DX10CreateEffectFromFileW(LPCWSTR fileName, const D3D10_SHADER_MACRO* defines,
                                                 ID3D10Include* include, LPCSTR profile, UINT hlslFlags,
                                                 UINT fxFlags, ID3D10Device* device, ID3D10EffectPool* pool,
                                                 ID3DX10ThreadPump* pump, ID3D10Effect** effect,
                                                 ID3D10Blob** errors, HRESULT* result);

PLATFORM_API HRESULT D3DX10CreateEffectPoolFromFileW(LPCWSTR fileName, const D3D10_SHADER_MACRO* defines,
                                                     ID3D10Include* include, LPCSTR profile, UINT hlslFlags,
                                                     UINT fxFlags, ID3D10Device* device, ID3DX10ThreadPump* pump,
                                                     ID3D10EffectPool** pool, ID3D10Blob** errors,
                                                     HRESULT* result);
