#include "platform/effect/objects.h"

#include <cstdio>
#include <cstring>

#include "platform/effect/link.h"

namespace platform::fx {

namespace {

void Report(const std::string& message) { std::fprintf(stderr, "platform: %s\n", message.c_str()); }

}  // namespace

// --- pass ----------------------------------------------------------------------------

Pass::~Pass() { SafeRelease(program); }

HRESULT Pass::GetDesc(D3D10_PASS_DESC* desc) {
  if (!desc || !decl) return E_FAIL;
  *desc = D3D10_PASS_DESC{};
  desc->Name = name.c_str();
  desc->Annotations = static_cast<UINT>(annotations.size());
  if (program) {
    const void* data = nullptr;
    SIZE_T size = 0;
    program->GetInputSignature(&data, &size);
    desc->pIAInputSignature = static_cast<BYTE*>(const_cast<void*>(data));
    desc->IAInputSignatureSize = size;
  }
  CurrentStateArguments(desc->BlendFactor, desc->SampleMask, desc->StencilRef);
  return S_OK;
}

void Pass::CurrentStateArguments(float factor[4], UINT& mask, UINT& ref) {
  std::memcpy(factor, decl->blendFactor, sizeof decl->blendFactor);
  mask = decl->sampleMask;
  ref = decl->stencilRef;
  if (blendFactor) blendFactor->GetRawValue(factor, 0, 4 * sizeof(float));
  if (sampleMask) sampleMask->GetRawValue(&mask, 0, sizeof mask);
  if (stencilRef) stencilRef->GetRawValue(&ref, 0, sizeof ref);
}

ID3D10EffectVariable* Pass::GetAnnotationByIndex(UINT index) {
  return index < annotations.size() ? annotations[index].get() : effect->invalidVariable.get();
}

ID3D10EffectVariable* Pass::GetAnnotationByName(LPCSTR n) {
  for (auto& a : annotations)
    if (n && a->name == n) return a.get();
  return effect->invalidVariable.get();
}

HRESULT Pass::Apply(UINT flags) {
  if (!valid || !program || flags != 0) return E_FAIL;
  ID3D10Device* device = effect->device;
  effect->glsl->SetGlslProgram(program);
  effect->SyncMirrors();
  for (const Block& b : blocks) {
    if (b.image->dirty) {
      device->UpdateSubresource(b.image->buffer, 0, nullptr, b.image->bytes.data(), 0, 0);
      b.image->dirty = false;
    }
    device->PSSetConstantBuffers(b.slot, 1, &b.image->buffer);
  }
  for (Plain& p : plain) UploadPlainUniforms(program, p);
  for (const Unit& u : units) {
    ID3D10ShaderResourceView* view = u.texture && !u.texture->views.empty() ? u.texture->views[0] : nullptr;
    device->PSSetShaderResources(u.slot, 1, &view);
    ID3D10SamplerState* sampler = u.sampler ? u.sampler->sampler : nullptr;
    device->PSSetSamplers(u.slot, 1, &sampler);
  }
  float factor[4];
  UINT mask = 0, ref = 0;
  CurrentStateArguments(factor, mask, ref);
  if (decl->blendSet) device->OMSetBlendState(blend ? blend->blend : nullptr, factor, mask);
  if (decl->depthSet) device->OMSetDepthStencilState(depthStencil ? depthStencil->depthStencil : nullptr, ref);
  if (decl->rasterSet) device->RSSetState(rasterizer ? rasterizer->rasterizer : nullptr);
  return S_OK;
}

// --- technique -------------------------------------------------------------------------

HRESULT Technique::GetDesc(D3D10_TECHNIQUE_DESC* desc) {
  if (!known || !desc) return E_FAIL;
  desc->Name = name.c_str();
  desc->Passes = static_cast<UINT>(passes.size());
  desc->Annotations = static_cast<UINT>(annotations.size());
  return S_OK;
}

ID3D10EffectVariable* Technique::GetAnnotationByIndex(UINT index) {
  return index < annotations.size() ? annotations[index].get() : effect->invalidVariable.get();
}

ID3D10EffectVariable* Technique::GetAnnotationByName(LPCSTR n) {
  for (auto& a : annotations)
    if (n && a->name == n) return a.get();
  return effect->invalidVariable.get();
}

ID3D10EffectPass* Technique::GetPassByIndex(UINT index) {
  return index < passes.size() ? static_cast<ID3D10EffectPass*>(passes[index].get()) : effect->invalidPass.get();
}

ID3D10EffectPass* Technique::GetPassByName(LPCSTR n) {
  for (auto& p : passes)
    if (n && p->name == n) return p.get();
  return effect->invalidPass.get();
}

// --- effect ----------------------------------------------------------------------------

Effect::~Effect() {
  techniques.clear();
  variables.clear();
  images.clear();
  if (glsl) glsl->Release();
  SafeRelease(device);
  SafeRelease(pool);
}

HRESULT Effect::GetDevice(ID3D10Device** out) {
  if (!out) return E_INVALIDARG;
  *out = device;
  device->AddRef();
  return S_OK;
}

HRESULT Effect::GetDesc(D3D10_EFFECT_DESC* desc) {
  if (!desc) return E_INVALIDARG;
  *desc = D3D10_EFFECT_DESC{};
  desc->IsChildEffect = pool != nullptr;
  for (std::size_t i = 0; i < compiled.syntax.cbuffers.size(); ++i)
    (pool && compiled.syntax.cbuffers[i].shared ? desc->SharedConstantBuffers : desc->ConstantBuffers)++;
  desc->GlobalVariables = static_cast<UINT>(variables.size());
  desc->SharedGlobalVariables = static_cast<UINT>(sharedVariables.size());
  desc->Techniques = static_cast<UINT>(techniques.size());
  return S_OK;
}

ID3D10EffectVariable* Effect::GetVariableByIndex(UINT index) {
  if (index < variables.size()) return variables[index].get();
  index -= static_cast<UINT>(variables.size());
  if (index < sharedVariables.size()) return sharedVariables[index];
  return invalidVariable.get();
}

Variable* Effect::FindAny(const std::string& n) {
  for (auto& v : variables)
    if (v->name == n) return v.get();
  for (Variable* v : sharedVariables)
    if (v->name == n) return v;
  return nullptr;
}

ID3D10EffectVariable* Effect::GetVariableByName(LPCSTR n) {
  Variable* v = n ? FindAny(n) : nullptr;
  return v ? static_cast<ID3D10EffectVariable*>(v) : invalidVariable.get();
}

ID3D10EffectVariable* Effect::GetVariableBySemantic(LPCSTR s) {
  if (s) {
    for (auto& v : variables)
      if (strcasecmp(v->semantic.c_str(), s) == 0) return v.get();
    for (Variable* v : sharedVariables)
      if (strcasecmp(v->semantic.c_str(), s) == 0) return v;
  }
  return invalidVariable.get();
}

ID3D10EffectTechnique* Effect::GetTechniqueByIndex(UINT index) {
  return index < techniques.size() ? static_cast<ID3D10EffectTechnique*>(techniques[index].get())
                                   : invalidTechnique.get();
}

ID3D10EffectTechnique* Effect::GetTechniqueByName(LPCSTR n) {
  for (auto& t : techniques)
    if (n && t->name == n) return t.get();
  return invalidTechnique.get();
}

void Effect::SyncMirrors() {
  for (Mirror& m : mirrors) {
    if (m.seen == m.source->image->version) continue;
    std::memcpy(m.target->bytes.data() + m.offset, m.source->image->bytes.data() + m.source->offset, m.source->size);
    m.target->Touch();
    m.seen = m.source->image->version;
  }
}

bool Effect::BuildVariables(std::string& error) {
  const EffectSyntax& s = compiled.syntax;
  for (std::size_t i = 0; i < s.cbuffers.size(); ++i) {
    const CBufferDecl& cb = s.cbuffers[i];
    if (pool && cb.shared) {
      int match = -1;
      for (std::size_t k = 0; k < pool->compiled.syntax.cbuffers.size(); ++k)
        if (pool->compiled.syntax.cbuffers[k].name == cb.name) match = static_cast<int>(k);
      if (match < 0 || pool->compiled.layouts[static_cast<std::size_t>(match)].size != compiled.layouts[i].size) {
        error = s.lines.Describe(cb.line) + ": error: shared cbuffer " + cb.name +
                (match < 0 ? " is not declared by the pool " : " does not match the pool's in ") + pool->compiled.path;
        return false;
      }
      images.push_back(pool->images[static_cast<std::size_t>(match)]);
      continue;
    }
    auto image = std::make_shared<CBufferImage>();
    image->name = cb.name;
    image->bytes.assign(std::max<std::uint32_t>(16, compiled.layouts[i].size), 0);
    D3D10_BUFFER_DESC desc{static_cast<UINT>(image->bytes.size()), D3D10_USAGE_DEFAULT, D3D10_BIND_CONSTANT_BUFFER, 0, 0};
    if (FAILED(device->CreateBuffer(&desc, nullptr, &image->buffer))) {
      error = compiled.path + ": error: cannot create constant buffer " + cb.name;
      return false;
    }
    images.push_back(image);
  }
  for (std::size_t index = 0; index < s.variables.size(); ++index) {
    const VariableDecl& d = s.variables[index];
    bool shared = d.shared || (d.cbuffer >= 0 && s.cbuffers[static_cast<std::size_t>(d.cbuffer)].shared);
    if (pool && shared) {
      Variable* p = pool->FindAny(d.name);
      if (!p || p->type.name != d.type.name || p->type.elements != d.type.elements) {
        error = s.lines.Describe(d.line) + ": error: shared variable " + d.name +
                (p ? " does not match the declaration in the pool " : " is not declared by the pool ") +
                pool->compiled.path;
        return false;
      }
      sharedVariables.push_back(p);
      if (d.cbuffer >= 0 && !s.cbuffers[static_cast<std::size_t>(d.cbuffer)].shared) {
        const CBufferDecl& cb = s.cbuffers[static_cast<std::size_t>(d.cbuffer)];
        for (std::size_t k = 0; k < cb.variables.size(); ++k)
          if (cb.variables[k] == static_cast<int>(index))
            mirrors.push_back({p, images[static_cast<std::size_t>(d.cbuffer)],
                               compiled.layouts[static_cast<std::size_t>(d.cbuffer)].variables[k].offset, 0});
      }
      continue;
    }
    auto v = std::make_unique<Variable>(invalidVariable.get());
    v->valid = true;
    v->pooled = isPool;
    v->name = d.name;
    v->semantic = d.semantic;
    v->type = d.type;
    v->annotations = MakeAnnotations(d.annotations, invalidVariable.get());
    if (d.cbuffer >= 0) {
      const CBufferDecl& cb = s.cbuffers[static_cast<std::size_t>(d.cbuffer)];
      v->image = images[static_cast<std::size_t>(d.cbuffer)];
      for (std::size_t k = 0; k < cb.variables.size(); ++k)
        if (cb.variables[k] == static_cast<int>(index)) {
          v->offset = compiled.layouts[static_cast<std::size_t>(d.cbuffer)].variables[k].offset;
          v->size = compiled.layouts[static_cast<std::size_t>(d.cbuffer)].variables[k].size;
        }
      if (d.hasInitializer) v->WriteInitial(d.initializer.data);
    } else if (d.type.object == ObjectType::String) {
      v->text = d.initializer.text;
    } else if (d.type.IsTexture()) {
      v->views.assign(static_cast<std::size_t>(std::max(1, d.type.elements)), nullptr);
    } else {
      std::string why;
      bool ok = true;
      if (d.type.IsSampler()) {
        D3D10_SAMPLER_DESC desc;
        ok = MakeSamplerDesc(d.state, d.type.object == ObjectType::SamplerComparisonState, desc, why) &&
             SUCCEEDED(device->CreateSamplerState(&desc, &v->sampler));
      } else if (d.type.object == ObjectType::BlendState) {
        D3D10_BLEND_DESC desc;
        ok = MakeBlendDesc(d.state, desc, why) && SUCCEEDED(device->CreateBlendState(&desc, &v->blend));
      } else if (d.type.object == ObjectType::DepthStencilState) {
        D3D10_DEPTH_STENCIL_DESC desc;
        ok = MakeDepthStencilDesc(d.state, desc, why) &&
             SUCCEEDED(device->CreateDepthStencilState(&desc, &v->depthStencil));
      } else if (d.type.object == ObjectType::RasterizerState) {
        D3D10_RASTERIZER_DESC desc;
        ok = MakeRasterizerDesc(d.state, desc, why) && SUCCEEDED(device->CreateRasterizerState(&desc, &v->rasterizer));
      }
      if (!ok) {
        error = s.lines.Describe(d.line) + ": error: state block " + d.name + ": " +
                (why.empty() ? "the device refused it" : why);
        return false;
      }
    }
    variables.push_back(std::move(v));
  }
  return true;
}

bool Effect::BuildPass(const CompiledPass& cp, Pass& pass, std::string& reason, std::string& error) {
  PassProgram program;
  bool runnable = false;
  if (!LinkPass(compiled, cp, program, runnable, reason, error)) return false;
  if (!runnable) return true;
  // SetPixelShader(NULL) draws depth only; a GL program still wants a fragment stage,
  // unless it streams out, where the device then keeps it from rasterizing needlessly.
  static const char* const kDepthOnly = "#version 450\nvoid main() {}\n";
  const char* geometry = program.present[1] ? program.glsl[1].c_str() : nullptr;
  HRESULT hr;
  if (!program.feedbackVaryings.empty()) {
    std::vector<const char*> varyings;
    for (const std::string& v : program.feedbackVaryings) varyings.push_back(v.c_str());
    hr = glsl->CreateGlslProgramWithStreamOutput(program.glsl[0].c_str(), geometry,
                                                 program.present[2] ? program.glsl[2].c_str() : nullptr,
                                                 varyings.data(), static_cast<UINT>(varyings.size()), &pass.program);
  } else {
    hr = glsl->CreateGlslProgram(program.glsl[0].c_str(), geometry,
                                 program.present[2] ? program.glsl[2].c_str() : kDepthOnly, &pass.program);
  }
  if (FAILED(hr)) {
    reason = "pass " + pass.name + " does not link";
    return true;
  }
  for (auto [index, binding] : program.blockBindings)
    pass.blocks.push_back({images[static_cast<std::size_t>(index)], static_cast<UINT>(binding)});
  for (const auto& [index, uniforms] : program.plain) {
    Pass::Plain p;
    p.image = images[static_cast<std::size_t>(index)];
    for (const PlainUniform& u : uniforms) p.uniforms.push_back({u, -1, {}});
    LocatePlainUniforms(pass.program, p);
    pass.plain.push_back(std::move(p));
  }
  for (const auto& [pair, unit] : program.samplerUnits) {
    Pass::Unit u;
    u.slot = static_cast<UINT>(unit);
    u.texture = FindAny(pair.texture);
    u.sampler = pair.sampler.empty() ? nullptr : FindAny(pair.sampler);
    pass.units.push_back(u);
  }
  const PassDecl& d = *pass.decl;
  pass.blend = d.blendState.empty() ? nullptr : FindAny(d.blendState);
  pass.depthStencil = d.depthState.empty() ? nullptr : FindAny(d.depthState);
  pass.rasterizer = d.rasterState.empty() ? nullptr : FindAny(d.rasterState);
  pass.blendFactor = d.blendFactorVariable.empty() ? nullptr : FindAny(d.blendFactorVariable);
  pass.sampleMask = d.sampleMaskVariable.empty() ? nullptr : FindAny(d.sampleMaskVariable);
  pass.stencilRef = d.stencilRefVariable.empty() ? nullptr : FindAny(d.stencilRefVariable);
  pass.valid = true;
  return true;
}

bool Effect::Build(const std::string& path, std::string& error) {
  (void)path;
  if (!BuildVariables(error)) return false;
  const EffectSyntax& s = compiled.syntax;
  for (std::size_t t = 0; t < s.techniques.size(); ++t) {
    auto tech = std::make_unique<Technique>(this);
    tech->known = true;
    tech->valid = compiled.techniques[t].valid;
    tech->name = s.techniques[t].name;
    tech->annotations = MakeAnnotations(s.techniques[t].annotations, invalidVariable.get());
    for (std::size_t p = 0; p < s.techniques[t].passes.size(); ++p) {
      auto pass = std::make_unique<Pass>(this);
      pass->decl = &s.techniques[t].passes[p];
      pass->name = pass->decl->name;
      pass->annotations = MakeAnnotations(pass->decl->annotations, invalidVariable.get());
      std::string reason;
      if (!BuildPass(compiled.techniques[t].passes[p], *pass, reason, error)) return false;
      if (!pass->valid) {
        if (tech->valid) Report(compiled.path + ": technique " + tech->name + " cannot run: " + reason);
        tech->valid = false;
      }
      tech->passes.push_back(std::move(pass));
    }
    techniques.push_back(std::move(tech));
  }
  return true;
}

Effect* Effect::Create(const std::string& path, const CompileOptions& options, ID3D10Device* device, Effect* pool,
                       bool isPool, std::string* failure) {
  Effect* e = new Effect();
  e->device = device;
  device->AddRef();
  if (pool) {
    e->pool = pool;
    pool->AddRef();
  }
  e->isPool = isPool;
  std::string error;
  bool ok = SUCCEEDED(device->QueryInterface(__uuidof(IGlslDevice), reinterpret_cast<void**>(&e->glsl)));
  if (!ok) error = "ID3D10Device: no GLSL program support";
  ok = ok && CompileEffectFile(path, options, e->compiled, error) && e->Build(path, error);
  if (!ok) {
    Report(error);
    if (failure) *failure = error;
    e->Release();
    return nullptr;
  }
  return e;
}

// --- pool and creation -------------------------------------------------------------------

namespace {

class EffectPool final : public ComObject<ID3D10EffectPool> {
 public:
  explicit EffectPool(Effect* effect) : effect_(effect) {}
  ID3D10Effect* AsEffect() override { return effect_; }
  Effect* Inner() { return effect_; }

 protected:
  ~EffectPool() override { effect_->Release(); }

 private:
  Effect* effect_;
};

std::string Narrow(LPCWSTR wide) {
  std::string out;
  for (; wide && *wide; ++wide) {
    unsigned c = static_cast<unsigned>(*wide);
    if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0x800) out += static_cast<char>(0xC0 | (c >> 6)), out += static_cast<char>(0x80 | (c & 0x3F));
    else if (c < 0x10000)
      out += static_cast<char>(0xE0 | (c >> 12)), out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
          out += static_cast<char>(0x80 | (c & 0x3F));
    else
      out += static_cast<char>(0xF0 | (c >> 18)), out += static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
          out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)), out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

CompileOptions Options(const D3D10_SHADER_MACRO* defines) {
  CompileOptions options;
  for (; defines && defines->Name; ++defines)
    options.defines.push_back({defines->Name, defines->Definition ? defines->Definition : ""});
  return options;
}

bool Unsupported(LPCSTR profile, ID3D10Include* include, ID3DX10ThreadPump* pump) {
  if (include) Report("D3DX10CreateEffectFromFileW: include handlers not implemented");
  if (pump) Report("D3DX10CreateEffectFromFileW: thread pumps not implemented");
  if (profile && std::strcmp(profile, "fx_4_0") != 0 && std::strcmp(profile, "fx_4_1") != 0) {
    Report(std::string("D3DX10CreateEffectFromFileW: profile ") + profile + " not supported");
    return true;
  }
  return include || pump;
}

}  // namespace

}  // namespace platform::fx

using platform::fx::Effect;

HRESULT D3DX10CreateEffectFromFileW(LPCWSTR fileName, const D3D10_SHADER_MACRO* defines, ID3D10Include* include,
                                    LPCSTR profile, UINT, UINT fxFlags, ID3D10Device* device, ID3D10EffectPool* pool,
                                    ID3DX10ThreadPump* pump, ID3D10Effect** effect, ID3D10Blob** errors,
                                    HRESULT* result) {
  if (errors) *errors = nullptr;
  HRESULT hr = E_FAIL;
  if (effect) *effect = nullptr;
  bool child = (fxFlags & D3D10_EFFECT_COMPILE_CHILD_EFFECT) != 0;
  if (!fileName || !device || !effect || (child && !pool) || platform::fx::Unsupported(profile, include, pump)) {
    hr = E_INVALIDARG;
  } else {
    Effect* parent = child ? static_cast<Effect*>(pool->AsEffect()) : nullptr;
    std::string failure;
    Effect* e =
        Effect::Create(platform::fx::Narrow(fileName), platform::fx::Options(defines), device, parent, false, &failure);
    if (e) {
      *effect = e;
      hr = S_OK;
    } else if (errors) {
      *errors = new platform::fx::TextBlob(failure);
    }
  }
  if (result) *result = hr;
  return hr;
}

HRESULT D3DX10CreateEffectPoolFromFileW(LPCWSTR fileName, const D3D10_SHADER_MACRO* defines, ID3D10Include* include,
                                        LPCSTR profile, UINT, UINT, ID3D10Device* device, ID3DX10ThreadPump* pump,
                                        ID3D10EffectPool** pool, ID3D10Blob** errors, HRESULT* result) {
  if (errors) *errors = nullptr;
  HRESULT hr = E_FAIL;
  if (pool) *pool = nullptr;
  if (!fileName || !device || !pool || platform::fx::Unsupported(profile, include, pump)) {
    hr = E_INVALIDARG;
  } else {
    Effect* e = Effect::Create(platform::fx::Narrow(fileName), platform::fx::Options(defines), device, nullptr, true);
    if (e) {
      *pool = new platform::fx::EffectPool(e);
      hr = S_OK;
    }
  }
  if (result) *result = hr;
  return hr;
}
