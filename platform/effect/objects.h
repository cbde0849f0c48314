#pragma once

// The classes behind platform/effect.h. Private to the platform library.

#include <memory>
#include <string>
#include <vector>

#include "platform/effect.h"
#include "platform/effect/compiler.h"
#include "platform/effect/reflect.h"
#include "platform/d3d10/gl_program.h"

namespace platform::fx {

// The CPU image of one constant buffer and the device buffer it is uploaded to. A pool's
// images are shared by every child that declares the same shared cbuffer.
struct CBufferImage {
  std::string name;
  std::vector<std::uint8_t> bytes;
  bool dirty = true;
  std::uint64_t version = 1;
  ID3D10Buffer* buffer = nullptr;  // one reference
  CBufferImage() = default;
  CBufferImage(const CBufferImage&) = delete;
  CBufferImage& operator=(const CBufferImage&) = delete;
  ~CBufferImage() { SafeRelease(buffer); }
  void Touch() {
    dirty = true;
    ++version;
  }
};

class Variable final : public ID3D10EffectScalarVariable,
                       public ID3D10EffectVectorVariable,
                       public ID3D10EffectMatrixVariable,
                       public ID3D10EffectStringVariable,
                       public ID3D10EffectShaderResourceVariable {
 public:
  explicit Variable(Variable* invalidVariable) : invalid(invalidVariable ? invalidVariable : this) {}
  Variable(const Variable&) = delete;
  Variable& operator=(const Variable&) = delete;
  virtual ~Variable();

  BOOL IsValid() override { return valid; }
  HRESULT GetDesc(D3D10_EFFECT_VARIABLE_DESC* desc) override;
  ID3D10EffectVariable* GetAnnotationByIndex(UINT index) override;
  ID3D10EffectVariable* GetAnnotationByName(LPCSTR name) override;
  ID3D10EffectScalarVariable* AsScalar() override;
  ID3D10EffectVectorVariable* AsVector() override;
  ID3D10EffectMatrixVariable* AsMatrix() override;
  ID3D10EffectStringVariable* AsString() override;
  ID3D10EffectShaderResourceVariable* AsShaderResource() override;
  HRESULT SetRawValue(const void* data, UINT offset, UINT count) override;
  HRESULT GetRawValue(void* data, UINT offset, UINT count) override;
  HRESULT SetFloat(float value) override;
  HRESULT GetFloat(float* value) override;
  HRESULT SetInt(int value) override;
  HRESULT GetInt(int* value) override;
  HRESULT SetBool(BOOL value) override;
  HRESULT GetBool(BOOL* value) override;
  HRESULT SetFloatVector(const float* value) override;
  HRESULT GetFloatVector(float* value) override;
  HRESULT SetIntVector(const int* value) override;
  HRESULT SetMatrix(const float* matrix) override;
  HRESULT GetMatrix(float* matrix) override;
  HRESULT SetMatrixTranspose(const float* matrix) override;
  HRESULT GetString(LPCSTR* value) override;
  HRESULT SetResource(ID3D10ShaderResourceView* view) override;
  HRESULT GetResource(ID3D10ShaderResourceView** view) override;
  HRESULT SetResourceArray(ID3D10ShaderResourceView** views, UINT offset, UINT count) override;

  // Writes a declared value (scalars flattened row by row) in buffer packing.
  void WriteInitial(const std::vector<std::uint32_t>& data);

  bool valid = false;
  bool annotation = false;
  bool pooled = false;
  std::string name;
  std::string semantic;
  Type type;
  std::shared_ptr<CBufferImage> image;  // numeric variables
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::vector<std::uint8_t> constant;  // annotations: their value
  std::string text;                    // strings
  std::vector<ID3D10ShaderResourceView*> views;  // textures, one reference each
  ID3D10SamplerState* sampler = nullptr;
  ID3D10BlendState* blend = nullptr;
  ID3D10DepthStencilState* depthStencil = nullptr;
  ID3D10RasterizerState* rasterizer = nullptr;
  std::vector<std::unique_ptr<Variable>> annotations;
  Variable* invalid;

 private:
  std::uint8_t* Bytes(UINT offset, UINT count);
  bool Numeric() const { return valid && !annotation && image && type.IsNumeric(); }
};

class Effect;

class Pass final : public ID3D10EffectPass {
 public:
  explicit Pass(Effect* owner) : effect(owner) {}
  Pass(const Pass&) = delete;
  Pass& operator=(const Pass&) = delete;
  virtual ~Pass();

  BOOL IsValid() override { return valid; }
  HRESULT GetDesc(D3D10_PASS_DESC* desc) override;
  ID3D10EffectVariable* GetAnnotationByIndex(UINT index) override;
  ID3D10EffectVariable* GetAnnotationByName(LPCSTR name) override;
  HRESULT Apply(UINT flags) override;

  struct Block {
    std::shared_ptr<CBufferImage> image;
    UINT slot = 0;
  };
  struct Unit {
    UINT slot = 0;
    Variable* texture = nullptr;
    Variable* sampler = nullptr;  // null for textures read with Load
  };

  // A cbuffer read as plain uniforms: GL keeps their values per program, so each pass
  // remembers what it last uploaded.
  struct Uniform {
    PlainUniform layout;
    int location = -1;  // -1 when the compiler dropped it
    std::vector<std::uint32_t> last;
  };
  struct Plain {
    std::shared_ptr<CBufferImage> image;
    std::uint64_t seen = 0;  // the image version last uploaded
    std::vector<Uniform> uniforms;
  };

  Effect* effect;
  bool valid = false;
  std::string name;
  std::vector<std::unique_ptr<Variable>> annotations;
  IGlslProgram* program = nullptr;
  std::vector<Block> blocks;
  std::vector<Plain> plain;
  std::vector<Unit> units;
  const PassDecl* decl = nullptr;
  Variable* blend = nullptr;
  Variable* depthStencil = nullptr;
  Variable* rasterizer = nullptr;
  // The variables the blend factor, sample mask and stencil reference are read from; null
  // where the pass gives a value.
  Variable* blendFactor = nullptr;
  Variable* sampleMask = nullptr;
  Variable* stencilRef = nullptr;

 private:
  void CurrentStateArguments(float factor[4], UINT& mask, UINT& ref);
};

class Technique final : public ID3D10EffectTechnique {
 public:
  explicit Technique(Effect* owner) : effect(owner) {}
  Technique(const Technique&) = delete;
  Technique& operator=(const Technique&) = delete;
  virtual ~Technique() = default;

  BOOL IsValid() override { return valid; }
  HRESULT GetDesc(D3D10_TECHNIQUE_DESC* desc) override;
  ID3D10EffectVariable* GetAnnotationByIndex(UINT index) override;
  ID3D10EffectVariable* GetAnnotationByName(LPCSTR name) override;
  ID3D10EffectPass* GetPassByIndex(UINT index) override;
  ID3D10EffectPass* GetPassByName(LPCSTR name) override;

  Effect* effect;
  bool valid = false;
  bool known = false;  // false only for the stand-in answered for unknown names
  std::string name;
  std::vector<std::unique_ptr<Variable>> annotations;
  std::vector<std::unique_ptr<Pass>> passes;
};

// The text of a failed compile, for the caller's error blob.
class TextBlob final : public ComObject<ID3D10Blob> {
 public:
  explicit TextBlob(const std::string& message) : text(message) {}
  LPVOID GetBufferPointer() override { return &text[0]; }
  SIZE_T GetBufferSize() override { return text.size() + 1; }

 private:
  std::string text;
};

class Effect final : public ComObject<ID3D10Effect> {
 public:
  // Compiles `path`; null with the reason on standard error (and in *failure when
  // given) when it fails.
  static Effect* Create(const std::string& path, const CompileOptions& options, ID3D10Device* device,
                        Effect* pool, bool isPool, std::string* failure = nullptr);

  BOOL IsValid() override { return TRUE; }
  BOOL IsPool() override { return isPool; }
  HRESULT GetDevice(ID3D10Device** device) override;
  HRESULT GetDesc(D3D10_EFFECT_DESC* desc) override;
  ID3D10EffectVariable* GetVariableByIndex(UINT index) override;
  ID3D10EffectVariable* GetVariableByName(LPCSTR name) override;
  ID3D10EffectVariable* GetVariableBySemantic(LPCSTR semantic) override;
  ID3D10EffectTechnique* GetTechniqueByIndex(UINT index) override;
  ID3D10EffectTechnique* GetTechniqueByName(LPCSTR name) override;

  // Copies pool variables that changed into this effect's own globals image.
  void SyncMirrors();

  ID3D10Device* device = nullptr;
  IGlslDevice* glsl = nullptr;
  Effect* pool = nullptr;  // one reference, children only
  bool isPool = false;
  CompiledEffect compiled;
  std::vector<std::shared_ptr<CBufferImage>> images;  // parallel to the cbuffers
  std::vector<std::unique_ptr<Variable>> variables;   // own, in declaration order
  std::vector<Variable*> sharedVariables;             // the pool's, as this effect declares them
  struct Mirror {
    Variable* source;
    std::shared_ptr<CBufferImage> target;
    std::uint32_t offset;
    std::uint64_t seen;
  };
  std::vector<Mirror> mirrors;
  std::vector<std::unique_ptr<Technique>> techniques;
  std::unique_ptr<Variable> invalidVariable{new Variable(nullptr)};
  std::unique_ptr<Technique> invalidTechnique{new Technique(this)};
  std::unique_ptr<Pass> invalidPass{new Pass(this)};

 private:
  Effect() = default;
  ~Effect() override;
  bool Build(const std::string& path, std::string& error);
  bool BuildVariables(std::string& error);
  void BuildTechniques();
  bool BuildPass(const CompiledPass& compiled, Pass& pass, std::string& reason, std::string& error);
  Variable* FindAny(const std::string& name);
};

// Plain uniforms: their locations in the pass's program once it links, and at Apply the
// upload of those whose values in the image changed.
void LocatePlainUniforms(IGlslProgram* program, Pass::Plain& plain);
void UploadPlainUniforms(IGlslProgram* program, Pass::Plain& plain);

// Annotation objects from their declarations.
std::vector<std::unique_ptr<Variable>> MakeAnnotations(const std::vector<Annotation>& list, Variable* invalid);

// Device state objects from sampler and state blocks; false with the reason for a field
// or value this layer does not know.
bool MakeSamplerDesc(const std::vector<StateAssignment>& state, bool comparison, D3D10_SAMPLER_DESC& desc,
                     std::string& error);
bool MakeBlendDesc(const std::vector<StateAssignment>& state, D3D10_BLEND_DESC& desc, std::string& error);
bool MakeDepthStencilDesc(const std::vector<StateAssignment>& state, D3D10_DEPTH_STENCIL_DESC& desc,
                          std::string& error);
bool MakeRasterizerDesc(const std::vector<StateAssignment>& state, D3D10_RASTERIZER_DESC& desc, std::string& error);

}  // namespace platform::fx
