#include "engine/gfx/gpuMesh.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "engine/core/logging.h"
#include "engine/core/safeRelease.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/animationController.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/meshProcessing.h"
#include "engine/gfx/renderState.h"
#include "platform/dxgi_format.h"

namespace engine {
namespace gfx {

using core::SafeRelease;

namespace {

const wchar_t kQuadName[] = L"data/quad.nbl";

ID3D10Buffer* CreateImmutableBuffer(UINT bytes, UINT bind, const void* data) {
  D3D10_BUFFER_DESC description = {};
  description.ByteWidth = bytes;
  description.Usage = D3D10_USAGE_IMMUTABLE;
  description.BindFlags = bind;
  D3D10_SUBRESOURCE_DATA initial = {};
  initial.pSysMem = data;
  ID3D10Buffer* buffer = nullptr;
  ID3D10Device* device = TheRenderState().device;
  if (!device || bytes == 0 || FAILED(device->CreateBuffer(&description, &initial, &buffer))) return nullptr;
  return buffer;
}

// The mesh's own tangents with their handedness (four floats, as mesh files carry them for
// normal maps), or null.
const PVData* TangentsWithHandedness(const LoadMesh& mesh) {
  for (unsigned s = 0; s < mesh.NumData(); ++s) {
    const PVData* stream = mesh.GetData(s);
    if (stream->name == "TANGENT" && stream->semanticIndex == 0 && stream->data &&
        stream->format == DXGI_FORMAT_R32G32B32A32_FLOAT)
      return stream;
  }
  return nullptr;
}

// The tangent frame of a mesh that brings its own tangents: its normals (made if it has
// none) and binormals that agree with the tangents, normal x tangent turned by the
// handedness. The tangents themselves stay as they are.
void CompleteFrameFromTangents(LoadMesh& mesh, const PVData& tangentStream) {
  if (!mesh.IsAvailable(MeshData::NORMAL)) mesh.GenerateNormals();
  const PVData* normalStream = mesh.GetData(MeshData::NORMAL);
  if (!normalStream->data || normalStream->format != DXGI_FORMAT_R32G32B32_FLOAT)
    NEBLU_ERROR("Mesh processing needs NORMAL data of format " + std::to_string(DXGI_FORMAT_R32G32B32_FLOAT) +
                ", not " + std::to_string(normalStream->format));
  const auto* normals = static_cast<const math::Vector3f*>(normalStream->data);
  const auto* tangents = static_cast<const math::Vector4f*>(tangentStream.data);
  const auto vertices = static_cast<std::size_t>(std::max(mesh.NumVertices(), 0));
  std::unique_ptr<char[]> buffer(static_cast<char*>(AllocateMeshBuffer(vertices * sizeof(math::Vector3f))));
  auto* binormals = reinterpret_cast<math::Vector3f*>(buffer.get());
  for (std::size_t v = 0; v < vertices; ++v) {
    const math::Vector3f tangent(tangents[v].x, tangents[v].y, tangents[v].z);
    math::Vector3f binormal = (normals[v] ^ tangent) * (tangents[v].w < 0.0f ? -1.0f : 1.0f);
    const float length = binormal.Mag();
    binormals[v] = length > 0.0f ? binormal * (1.0f / length) : binormal;
  }
  PVData stream;
  stream.name = "BINORMAL";
  stream.format = DXGI_FORMAT_R32G32B32_FLOAT;
  stream.semanticIndex = 0;
  stream.data = buffer.release();
  mesh.Add(stream);
}

}  // namespace

Mesh::Mesh(const std::wstring& name_)
    : Resource(name_), mesh(new LoadNBLMesh(name_)), renderObject(new RenderObject()), radius(0.0f), culling(false) {
  if (name_ != kQuadName) {
    try {
      renderObject->effect = EffectPool::Get()->BuildEffect(core::ToNarrow(name_) + ".efx");
    } catch (...) {
      delete mesh;
      throw;
    }
  }
}

Mesh::Mesh(LoadMesh* mesh_, const boost::shared_ptr<Effect>& effect)
    : Resource(L""), mesh(mesh_), renderObject(new RenderObject()), radius(0.0f), culling(false) {
  renderObject->effect = effect;
}

Mesh::Mesh(const boost::shared_ptr<Mesh>& geometry_, const boost::shared_ptr<Effect>& effect)
    : Resource(L""),
      mesh(nullptr),
      renderObject(new RenderObject(*geometry_->renderObject)),
      inputElements(geometry_->inputElements),
      semanticNames(geometry_->semanticNames),
      radius(geometry_->radius),
      centre(geometry_->centre),
      culling(false),
      geometry(geometry_) {
  renderObject->effect = effect;
}

Mesh::~Mesh() {
  NEBLU_MESSAGE(L"Destroying " + name + L" mesh");
  // A quad mesh shares its geometry's buffers and leaves them to it.
  if (!geometry) {
    SafeRelease(renderObject->vertexBuffer);
    SafeRelease(renderObject->indexBuffer);
  }
  delete mesh;
}

bool Mesh::IsQuad() const { return name == kQuadName; }

void Mesh::Destroy() {
  delete mesh;
  mesh = nullptr;
}

void Mesh::Create() {
  if (geometry) {
    // The quad's buffers exist; only this effect's shaders need layouts and places.
    EffectPool::Get()->SortShaders();
    CreateInputLayouts();
    return;
  }
  if (!mesh) NEBLU_ERROR(L"Mesh " + name + L" has no data to create");
  if (!IsQuad()) CompleteStreams();
  EffectPool::Get()->SortShaders();
  CreateBuffers();
  DescribeVertex();
  if (!IsQuad()) CreateInputLayouts();
  renderObject->topology = D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST;
  ComputeBoundingSphere(*mesh, name, centre, radius);
}

void Mesh::CompleteStreams() {
  const boost::shared_ptr<Effect>& effect = renderObject->effect;
  bool needNormals = false;
  bool needFrame = false;
  if (effect) {
    for (const StreamRequirement& requirement : effect->GetStreams()) {
      switch (requirement.kind) {
        case MeshData::POSITION:
          if (!mesh->IsAvailable(MeshData::POSITION)) {
            NEBLU_ERROR(L"Effect requires vertex coordinates, not found in .nbl mesh " + name);
          }
          break;
        case MeshData::NORMAL:
          needNormals = true;
          break;
        case MeshData::TEXCOORD:
          if (!mesh->IsAvailable(MeshData::TEXCOORD)) {
            NEBLU_ERROR(L"Effect requires texture coordinates, not found in .nbl mesh " + name);
          }
          break;
        case MeshData::TANGENT:
          needFrame = true;
          break;
        default:
          break;
      }
    }
  }
  // Tangents that came with the mesh (four floats: the direction and the handedness) were
  // made for its normal map, and the effects that read them take the bitangent from the
  // handedness. A generated frame would put three floats from the first texture set in
  // their place, rebuild the normals from the texture layout and lose the handedness, so an
  // effect that asks for a tangent frame keeps them: one TANGENT stream, the mesh's own,
  // with normals and binormals made to agree. Three-float tangents are the generated kind
  // and are generated again.
  const PVData* ownTangents = needFrame ? TangentsWithHandedness(*mesh) : nullptr;
  if (ownTangents) {
    CompleteFrameFromTangents(*mesh, *ownTangents);
  } else if (needFrame) {
    GenerateTBN(*mesh, name);
  } else if (needNormals && !mesh->IsAvailable(MeshData::NORMAL)) {
    mesh->GenerateNormals();
  }
  if (!needNormals && mesh->IsAvailable(MeshData::NORMAL)) {
    void* normals = mesh->GetData(MeshData::NORMAL)->data;
    mesh->Delete(MeshData::NORMAL);
    ReleaseMeshBuffer(normals);
  }
}

void Mesh::CreateBuffers() {
  const int vertices = mesh->NumVertices();
  UINT stride = 0;
  for (unsigned s = 0; s < mesh->NumData(); ++s) {
    const PVData* stream = mesh->GetData(s);
    if (!stream->data) NEBLU_ERROR("Creating vertex buffer failed");
    stride += static_cast<UINT>(FormatSize(stream->format));
  }
  // An index past the last vertex would make the device read outside the vertex buffer.
  const int indexCount = mesh->NumIndices();
  const int indexStride = mesh->IndexStride();
  const void* indexData = mesh->Indices();
  if (!indexData || indexCount <= 0) NEBLU_ERROR("Creating index buffer failed");
  for (int k = 0; k < indexCount; ++k) {
    const std::uint32_t index = indexStride == 4 ? static_cast<const std::uint32_t*>(indexData)[k]
                                                 : static_cast<const std::uint16_t*>(indexData)[k];
    if (index >= static_cast<std::uint32_t>(vertices)) {
      NEBLU_ERROR(L"Mesh index " + std::to_wstring(index) + L" is past the last vertex" +
                  (name.empty() ? std::wstring() : L" of " + name));
    }
  }

  std::vector<std::uint8_t> image(static_cast<size_t>(stride) * static_cast<size_t>(vertices));
  size_t at = 0;
  for (int v = 0; v < vertices; ++v) {
    for (unsigned s = 0; s < mesh->NumData(); ++s) {
      const PVData* stream = mesh->GetData(s);
      const size_t size = static_cast<size_t>(FormatSize(stream->format));
      std::memcpy(&image[at], static_cast<const std::uint8_t*>(stream->data) + size * static_cast<size_t>(v), size);
      at += size;
    }
  }
  renderObject->vertexBuffer =
      CreateImmutableBuffer(static_cast<UINT>(image.size()), D3D10_BIND_VERTEX_BUFFER, image.data());
  if (!renderObject->vertexBuffer) NEBLU_ERROR("Creating vertex buffer failed");
  renderObject->indexBuffer =
      CreateImmutableBuffer(static_cast<UINT>(indexStride * indexCount), D3D10_BIND_INDEX_BUFFER, indexData);
  if (!renderObject->indexBuffer) NEBLU_ERROR("Creating index buffer failed");

  renderObject->triangleCount = static_cast<std::uint32_t>(indexCount / 3);
  renderObject->indices32 = indexStride == 4;
  renderObject->vertexStride = stride;
  renderObject->vertexCount = static_cast<std::uint32_t>(vertices);
}

void Mesh::DescribeVertex() {
  const unsigned count = mesh->NumData();
  semanticNames.reset(new std::string[count]);
  inputElements.clear();
  UINT offset = 0;
  for (unsigned s = 0; s < count; ++s) {
    const PVData* stream = mesh->GetData(s);
    semanticNames[s] = stream->name;
    D3D10_INPUT_ELEMENT_DESC element = {};
    element.SemanticName = semanticNames[s].c_str();
    element.SemanticIndex = static_cast<UINT>(stream->semanticIndex);
    element.Format = static_cast<DXGI_FORMAT>(stream->format);
    element.InputSlot = 0;
    element.AlignedByteOffset = offset;
    element.InputSlotClass = D3D10_INPUT_PER_VERTEX_DATA;
    element.InstanceDataStepRate = 0;
    inputElements.push_back(element);
    offset += static_cast<UINT>(FormatSize(stream->format));
  }
}

void Mesh::CreateInputLayouts() {
  const boost::shared_ptr<Effect>& effect = renderObject->effect;
  if (!effect) return;
  for (unsigned i = 0; i < effect->GetShaderCount(); ++i) {
    const boost::shared_ptr<Shader>& shader = effect->GetShader(i);
    ID3D10EffectPass* pass = shader->Technique()->GetPassByIndex(0);
    D3D10_PASS_DESC description = {};
    ID3D10InputLayout* layout = nullptr;
    if (!pass || FAILED(pass->GetDesc(&description)) ||
        FAILED(TheRenderState().device->CreateInputLayout(
            inputElements.data(), static_cast<UINT>(inputElements.size()), description.pIAInputSignature,
            description.IAInputSignatureSize, &layout))) {
      // Which mesh and which pass: a material whose technique reads a vertex input the mesh
      // file lacks (tangents, a second coordinate set) is the usual cause.
      NEBLU_ERROR("Failed to create input layout" +
                  (name.empty() ? std::string()
                                : " for " + core::ToNarrow(name) + " (" + shader->Name() + ", technique " +
                                      shader->Pass().tec + ": it reads a vertex input the mesh does not have)"));
    }
    shader->InputLayout(layout);
  }
}

void Mesh::Rebuild(LoadMesh* fresh, const boost::shared_ptr<Effect>& effect) {
  Mesh made(fresh, effect);
  made.name = name;  // for the messages of its checks
  made.Create();
  std::swap(mesh, made.mesh);
  std::swap(*renderObject, *made.renderObject);
  std::swap(inputElements, made.inputElements);
  std::swap(semanticNames, made.semanticNames);
  std::swap(radius, made.radius);
  std::swap(centre, made.centre);
  // `made` now holds the old buffers, data and effect, and releases them as it goes.
}

boost::shared_ptr<RenderObject> Mesh::CreateRenderObject() {
  return boost::shared_ptr<RenderObject>(new RenderObject(*renderObject));
}

void Mesh::AdvanceAnimation(float seconds) {
  if (!animationSet) return;
  for (const auto& animation : animationSet->animations) animation->Update(animationSet->speed * seconds);
}

void Mesh::ResetAnimation() {
  if (!animationSet) return;
  for (const auto& animation : animationSet->animations) animation->Reset();
}

}  // namespace gfx
}  // namespace engine
