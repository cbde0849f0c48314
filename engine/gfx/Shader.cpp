#include "engine/gfx/Shader.h"

#include <cstring>

#include "engine/core/Window.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/renderState.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/sceneInfo.h"

namespace engine {
namespace gfx {

using core::ResourceManager;
using core::resources::DepthTargetTexture;
using core::resources::FXEffect;
using math::Matrix4x4;
using math::Multiply;
using math::Vector4f;

namespace {

const struct {
  const char* name;
  SemanticRule rule;
} kSemantics[] = {
    {"World", SemanticRule::World},
    {"WorldTranspose", SemanticRule::WorldTranspose},
    {"WorldInverse", SemanticRule::WorldInverse},
    {"WorldInverseTranspose", SemanticRule::WorldInverseTranspose},
    {"View", SemanticRule::View},
    {"ViewInverse", SemanticRule::ViewInverse},
    {"WorldView", SemanticRule::WorldView},
    {"Projection", SemanticRule::Projection},
    {"ViewProjection", SemanticRule::ViewProjection},
    {"WorldViewProjection", SemanticRule::WorldViewProjection},
    {"Time", SemanticRule::Time},
    {"ElapsedTime", SemanticRule::ElapsedTime},
    {"Position", SemanticRule::Position},
    {"Direction", SemanticRule::Direction},
};

// A valid string annotation's text, or nothing.
bool StringAnnotation(ID3D10EffectVariable* variable, const char* name, std::string* text) {
  ID3D10EffectVariable* annotation = variable->GetAnnotationByName(name);
  if (!annotation || !annotation->IsValid()) return false;
  ID3D10EffectStringVariable* string = annotation->AsString();
  LPCSTR value = nullptr;
  if (!string || !string->IsValid() || FAILED(string->GetString(&value)) || !value) return false;
  *text = value;
  return true;
}

void SetMatrix(ID3D10EffectVariable* variable, const Matrix4x4& m) { variable->AsMatrix()->SetMatrix(&m.m00); }

void SetVector(ID3D10EffectVariable* variable, const Vector4f& v) {
  const float values[4] = {v.x, v.y, v.z, v.w};
  variable->AsVector()->SetFloatVector(values);
}

// A name registered with an empty node (a part without a lamp stores one under
// "PointLight0") has nothing to give: the variable keeps what it holds, as it would for
// an object without custom data, and the log says so once per binding, not every draw.
template <class Binding>
bool NamedObjectIsEmpty(Binding& binding, const boost::shared_ptr<Node>& node) {
  if (binding.objectName.empty() || node) return false;
  if (!binding.reportedEmpty) {
    binding.reportedEmpty = true;
    NEBLU_WARNING(L"Object " + binding.objectName + L" in group " + binding.groupName +
                  L" is empty; the variables bound to it are left as they are");
  }
  return true;
}

// The rows that need the render object's matrices, which the pool shader has none of.
bool ReadsRenderObject(SemanticRule rule) {
  switch (rule) {
    case SemanticRule::View:
    case SemanticRule::ViewInverse:
    case SemanticRule::Projection:
    case SemanticRule::ViewProjection:
    case SemanticRule::Time:
    case SemanticRule::ElapsedTime:
      return false;
    default:
      return true;
  }
}

// The rows that take the named object's matrices when the variable names one: those
// of the render object, and View and Projection, which the object replaces the
// camera's and the window's with.
bool ReadsNamedObject(SemanticRule rule) {
  return ReadsRenderObject(rule) || rule == SemanticRule::View || rule == SemanticRule::Projection;
}

// Entry i of a kind through variable i of the kind's bound list, as raw bytes.
template <class V>
void WriteRaw(const std::vector<ShaderParameters::Entry<V>>& entries,
              const std::vector<ID3D10EffectVariable*>& variables, UINT bytes) {
  for (size_t i = 0; i < entries.size() && i < variables.size(); ++i) {
    if (variables[i] && *entries[i].enabled) variables[i]->SetRawValue(entries[i].value.get(), 0, bytes);
  }
}

}  // namespace

Shader::Shader(const PassDescription& d, const std::string& path)
    : renderIndex(-1),
      pass(d),
      instances(d.instances),
      technique(nullptr),
      inputLayout(nullptr),
      quad(false),
      effectTime(0),
      name(path),
      boundEffect(nullptr) {
  effect = ResourceManager::Get()->GetOrCreateResource<FXEffect>(core::ToWide(path));
  if (!effect || !effect->Get()) NEBLU_ERROR("No such technique " + d.tec + " in " + name);
  LookUpTechnique();

  ID3D10EffectVariable* quadAnnotation = technique->GetAnnotationByName("quad");
  unsigned char quadFlag = 0;
  if (quadAnnotation && quadAnnotation->IsValid() && SUCCEEDED(quadAnnotation->GetRawValue(&quadFlag, 0, 1)) &&
      quadFlag != 0) {
    ID3D10EffectVariable* material = technique->GetAnnotationByName("material");
    LPCSTR text = nullptr;
    ID3D10EffectStringVariable* string = material ? material->AsString() : nullptr;
    if (!material || !material->IsValid() || !string || FAILED(string->GetString(&text)) || !text) {
      NEBLU_WARNING("Quad in effect " + name + " is true, but material not available");
    } else {
      const std::string materialPath = "data/fx/" + std::string(text) + ".efx";
      NEBLU_MESSAGE("Loading quad material " + name);
      quad = true;
      auto geometry = ResourceManager::Get()->GetOrCreateResource<Mesh>(L"data/quad.nbl");
      if (!geometry) NEBLU_ERROR("The resource data/quad.nbl of quad material " + materialPath + " is not a mesh");
      quadMesh.reset(new Mesh(geometry, EffectPool::Get()->BuildEffect(materialPath)));
      quadMesh->Create();
    }
  }

  for (const std::string& target : d.targetNames) {
    targets.push_back(ResourceManager::Get()->GetResource(core::ToWide(target)));
  }
  if (!d.depthTargetName.empty()) {
    depthTarget = ResourceManager::Get()->GetOrCreateResource<DepthTargetTexture>(core::ToWide(d.depthTargetName));
  }
}

Shader::Shader(const boost::shared_ptr<FXEffect>& poolEffect)
    : renderIndex(-1),
      effect(poolEffect),
      instances(1),
      technique(nullptr),
      inputLayout(nullptr),
      quad(false),
      effectTime(0),
      boundEffect(nullptr) {}

Shader::~Shader() {
  if (inputLayout) inputLayout->Release();
}

void Shader::InputLayout(ID3D10InputLayout* layout) {
  if (inputLayout) inputLayout->Release();
  inputLayout = layout;
}

ID3D10Effect* Shader::DeviceEffect() const { return effect ? effect->Get() : nullptr; }

void Shader::LookUpTechnique() {
  ID3D10Effect* device = DeviceEffect();
  technique = device ? device->GetTechniqueByName(pass.tec.c_str()) : nullptr;
  if (!technique) NEBLU_ERROR("No such technique " + pass.tec + " in " + name);
}

void Shader::Bind() {
  LookUpTechnique();
  for (auto& list : boundVariables) list.clear();
  semanticBindings.clear();
  customBindings.clear();

  ID3D10Effect* device = DeviceEffect();
  const ShaderParameters& parameters = pass.parameters;
  for (int kind = 0; kind < ShaderParameters::KIND_COUNT; ++kind) {
    const auto k = static_cast<ShaderParameters::Kind>(kind);
    for (size_t i = 0; i < parameters.Count(k); ++i) {
      const std::string& parameter = parameters.Name(k, i);
      ID3D10EffectVariable* variable = device->GetVariableByName(parameter.c_str());
      if (!variable || !variable->IsValid()) NEBLU_WARNING("No such parameter " + parameter + " in shader " + name);
      boundVariables[kind].push_back(variable);
    }
  }
  BindSemantics();
  effectTime = effect->LastWriteTime();
}

void Shader::BindSemantics() {
  semanticBindings.clear();
  customBindings.clear();
  ID3D10Effect* device = DeviceEffect();
  boundEffect = device;
  if (!device) return;
  D3D10_EFFECT_DESC description = {};
  device->GetDesc(&description);
  // The pool's variables are listed after the effect's own; the pool shader binds them
  // itself, so a child binds only its own globals.
  for (UINT i = 0; i < description.GlobalVariables; ++i) {
    ID3D10EffectVariable* variable = device->GetVariableByIndex(i);
    if (!variable || !variable->IsValid()) NEBLU_ERROR("Invalid variable got by index");
    D3D10_EFFECT_VARIABLE_DESC variableDescription = {};
    variable->GetDesc(&variableDescription);

    std::wstring objectName;
    std::wstring groupName = L"global";
    std::string text;
    if (StringAnnotation(variable, "Object", &text)) {
      objectName = core::ToWide(text);
      if (StringAnnotation(variable, "ObjectGroup", &text)) groupName = core::ToWide(text);
    }
    if (!variableDescription.Semantic) continue;
    const std::string semantic = variableDescription.Semantic;
    bool known = false;
    for (const auto& row : kSemantics) {
      if (semantic == row.name) {
        semanticBindings.push_back(SemanticBinding{objectName, groupName, variable, row.rule});
        known = true;
        break;
      }
    }
    if (!known) customBindings.push_back(CustomSemanticBinding{objectName, groupName, core::ToWide(semantic), variable});
  }
}

void Shader::RebindIfReloaded() {
  if (effect && (effect->LastWriteTime() != effectTime || effect->Get() != boundEffect)) Bind();
}

void Shader::UpdateSemantics(const boost::shared_ptr<RenderObject>& object) {
  RebindIfReloaded();
  SceneInfo* scene = SceneInfo::Get();
  core::CWin32Window* window = core::CWin32Window::Get();
  Camera* camera = scene->CurrentCamera().camera;
  const Matrix4x4 view = camera ? camera->WorldInverse() : Matrix4x4::Identity;
  const Matrix4x4 cameraWorld = camera ? camera->World() : Matrix4x4::Identity;
  const Matrix4x4& projection = window->projection;

  for (SemanticBinding& binding : semanticBindings) {
    boost::shared_ptr<Node> node;
    if (!binding.objectName.empty()) node = scene->GetNode(binding.objectName, binding.groupName);
    if (ReadsNamedObject(binding.rule) && NamedObjectIsEmpty(binding, node)) continue;
    if (!node && !object && ReadsRenderObject(binding.rule)) continue;
    ID3D10EffectVariable* v = binding.variable;
    switch (binding.rule) {
      case SemanticRule::World:
        SetMatrix(v, node ? node->World() : object->world);
        break;
      case SemanticRule::WorldTranspose:
        SetMatrix(v, (node ? node->World() : object->world).Transpose());
        break;
      case SemanticRule::WorldInverse:
        SetMatrix(v, node ? node->WorldInverse() : object->worldInverse);
        break;
      case SemanticRule::WorldInverseTranspose:
        SetMatrix(v, (node ? node->WorldInverse() : object->worldInverse).Transpose());
        break;
      case SemanticRule::View:
        SetMatrix(v, node ? node->WorldInverse() : view);
        break;
      case SemanticRule::ViewInverse:
        SetMatrix(v, cameraWorld);
        break;
      case SemanticRule::WorldView:
        SetMatrix(v, Multiply(node ? node->World() : object->world, view));
        break;
      case SemanticRule::Projection:
        SetMatrix(v, node ? node->Projection() : projection);
        break;
      case SemanticRule::ViewProjection:
        SetMatrix(v, Multiply(view, projection));
        break;
      case SemanticRule::WorldViewProjection:
        SetMatrix(v, Multiply(Multiply(node ? node->World() : object->world, view), projection));
        break;
      case SemanticRule::Time:
        v->AsScalar()->SetFloat(static_cast<float>(core::Timer::Get()->time));
        break;
      case SemanticRule::ElapsedTime:
        v->AsScalar()->SetFloat(static_cast<float>(core::Timer::Get()->sinceLast));
        break;
      case SemanticRule::Position: {
        const Matrix4x4 w = node ? node->World() : object->world;
        SetVector(v, Vector4f(w.m30, w.m31, w.m32, w.m33));
        break;
      }
      case SemanticRule::Direction: {
        const Matrix4x4 w = node ? node->World() : object->world;
        SetVector(v, Vector4f(w.m20, w.m21, w.m22, 0.0f));
        break;
      }
    }
  }

  for (CustomSemanticBinding& binding : customBindings) {
    if (binding.objectName.empty()) {
      NEBLU_WARNING("Custom semantics to unnamed objects are not supported");
      continue;
    }
    boost::shared_ptr<Node> node = scene->GetNode(binding.objectName, binding.groupName);
    if (NamedObjectIsEmpty(binding, node)) continue;
    const std::pair<void*, int> data = node->GetCustomData(binding.semantic);
    if (data.first && data.second > 0) binding.variable->SetRawValue(data.first, 0, static_cast<UINT>(data.second));
  }
}

void Shader::ApplyParameters(const PassDescription& p) {
  // Writes go through this shader's variables, which belong to the compiled effect of
  // the last bind: after a reload they would point into the replaced effect.
  RebindIfReloaded();
  const ShaderParameters& parameters = p.parameters;
  WriteRaw(parameters.bools, boundVariables[ShaderParameters::BOOL], 1);
  WriteRaw(parameters.bit32s, boundVariables[ShaderParameters::BIT32], 4);
  const auto& animated = boundVariables[ShaderParameters::ANIMATED];
  for (size_t i = 0; i < parameters.animated.size() && i < animated.size(); ++i) {
    const float* address = parameters.animated[i].value->address;
    // An animated value the demo loader never linked has nothing to write.
    if (animated[i] && address && *parameters.animated[i].enabled) animated[i]->SetRawValue(address, 0, 4);
  }
  WriteRaw(parameters.float2s, boundVariables[ShaderParameters::FLOAT2], 8);
  WriteRaw(parameters.float3s, boundVariables[ShaderParameters::FLOAT3], 12);
  // A float4 whose variable the effect lacks writes nothing.
  const auto& float4 = boundVariables[ShaderParameters::FLOAT4];
  for (size_t i = 0; i < parameters.float4s.size() && i < float4.size(); ++i) {
    if (float4[i] && float4[i]->IsValid() && *parameters.float4s[i].enabled) {
      float4[i]->SetRawValue(parameters.float4s[i].value.get(), 0, 16);
    }
  }
  const auto& resources = boundVariables[ShaderParameters::RESOURCE];
  for (size_t i = 0; i < parameters.resources.size() && i < resources.size(); ++i) {
    if (!resources[i] || !*parameters.resources[i].enabled) continue;
    // An empty reference (an unknown "target", the back buffer) has no view to bind.
    auto texture = boost::dynamic_pointer_cast<core::resources::Texture>(*parameters.resources[i].value);
    if (!texture) continue;
    ID3D10ShaderResourceView* view = texture->Get();
    if (texture->TextureKind() == 5) {
      resources[i]->AsShaderResource()->SetResourceArray(&view, 0, 1);
    } else {
      resources[i]->AsShaderResource()->SetResource(view);
    }
  }
}

unsigned Shader::SelectPass(unsigned k) {
  PassSelection& selection = TheRenderState().selection;
  if (k == 0) {
    // The first call of a batch is the first use of the shader after a reload: the
    // technique of the replaced effect is gone with it.
    RebindIfReloaded();
    D3D10_TECHNIQUE_DESC description = {};
    technique->GetDesc(&description);
    selection.count = description.Passes;
  }
  if (k < selection.count) selection.current = k;
  return selection.count;
}

void Shader::SubmitQuad() {
  if (quad && quadMesh) TheRenderState().renderer->Submit(quadMesh->GetRenderObject());
}

void Shader::Draw(const boost::shared_ptr<RenderObject>& object) {
  RenderState& state = TheRenderState();
  ID3D10Device* device = state.device;
  TargetBinding& binding = state.binding;
  if (!binding.applied) {
    D3D10_VIEWPORT viewport = {0, 0, binding.width, binding.height, 0.0f, 1.0f};
    device->RSSetViewports(1, &viewport);
    device->OMSetRenderTargets(binding.count, binding.views, binding.depth);
    binding.applied = true;
  }
  UpdateSemantics(object);
  const boost::shared_ptr<Shader>& own = object->effect->GetShader(static_cast<unsigned>(object->passIndex));
  own->ApplyParameters(own->Pass());

  ID3D10EffectPass* effectPass = technique->GetPassByIndex(state.selection.current);
  if (!effectPass || FAILED(effectPass->Apply(0))) NEBLU_ERROR("Failed to apply technique");

  InputAssemblyCache& cache = state.renderer->cache;
  if (inputLayout != cache.inputLayout) {
    device->IASetPrimitiveTopology(object->topology);
    device->IASetInputLayout(inputLayout);
    cache.inputLayout = inputLayout;
  }
  if (object->vertexBuffer != cache.vertexBuffer) {
    const UINT stride = object->vertexStride;
    const UINT offset = 0;
    device->IASetVertexBuffers(0, 1, &object->vertexBuffer, &stride, &offset);
    cache.vertexBuffer = object->vertexBuffer;
  }
  if (object->indexBuffer != cache.indexBuffer) {
    device->IASetIndexBuffer(object->indexBuffer, object->indices32 ? DXGI_FORMAT_R32_UINT : DXGI_FORMAT_R16_UINT, 0);
    cache.indexBuffer = object->indexBuffer;
  }
  if (instances > 1) {
    device->DrawIndexedInstanced(3 * object->triangleCount, static_cast<UINT>(instances), object->startIndex, 0, 0);
  } else {
    device->DrawIndexed(3 * object->triangleCount, object->startIndex, 0);
  }
}

}  // namespace gfx
}  // namespace engine
