#include "game/authoring/materialsPanel.h"

#include <imgui.h>

#include <boost/shared_ptr.hpp>
#include <fstream>
#include <sstream>

#include "engine/core/resourceManager.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/demoFile.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/spatial.h"
#include "game/TestScene1.h"
#include "game/authoring/materialText.h"
#include "platform/paths.h"

namespace {

using engine::gfx::ShaderParameters;

// The meshes under `node`, each once, in walk order.
void CollectMeshes(engine::gfx::Spatial* node, std::vector<const engine::gfx::Mesh*>* meshes) {
  if (auto* geometry = dynamic_cast<engine::gfx::Geometry*>(node)) {
    const engine::gfx::Mesh* mesh = geometry->GetMesh().get();
    for (const engine::gfx::Mesh* seen : *meshes) {
      if (seen == mesh) return;
    }
    if (mesh) meshes->push_back(mesh);
  }
  if (auto* parent = dynamic_cast<engine::gfx::Node*>(node)) {
    for (const auto& child : parent->Children()) CollectMeshes(child.get(), meshes);
  }
}

// Calls `visit(pass, name, type, floats, count)` for every editable entry (float, float2,
// float3, float4) of the passes of the mesh's material.
template <class Visit>
void ForEachFloatEntry(const engine::gfx::Mesh& mesh, const Visit& visit) {
  const auto& effect = mesh.GetEffect();
  if (!effect) return;
  for (unsigned i = 0; i < effect->GetShaderCount(); ++i) {
    const ShaderParameters& p = effect->GetShader(i)->Pass().parameters;
    for (const auto& e : p.float4s) visit(i, e.name, "float4", e.value->f, 4);
    for (const auto& e : p.float3s) visit(i, e.name, "float3", e.value->f, 3);
    for (const auto& e : p.float2s) visit(i, e.name, "float2", e.value->f, 2);
    for (const auto& e : p.bit32s) {
      if (e.type == "float") visit(i, e.name, "float", &e.value->f, 1);
    }
  }
}

// The names meshes are registered under (meshes made by code have no name of their own).
std::map<const engine::gfx::Mesh*, std::string> MeshNames() {
  std::map<const engine::gfx::Mesh*, std::string> names;
  for (const auto& entry : engine::core::ResourceManager::Get()->Resources()) {
    if (auto* mesh = dynamic_cast<const engine::gfx::Mesh*>(entry.second.get())) {
      names[mesh] = engine::core::ToNarrow(entry.first);
    }
  }
  return names;
}

// "data/city.demo_scene/Cube.nbl" -> "Cube".
std::string ObjectName(const std::string& meshName) {
  const std::string file = meshName.substr(meshName.find_last_of("/\\") + 1);
  return file.substr(0, file.find('.'));
}

}  // namespace

bool MaterialsPanel::Edit(const engine::gfx::Mesh& mesh, const std::string& name, const std::vector<float>& values) {
  bool found = false;
  ForEachFloatEntry(mesh, [&](unsigned, const std::string& entry, const char*, float* f, int count) {
    if (entry != name || static_cast<int>(values.size()) != count) return;
    for (int k = 0; k < count; ++k) f[k] = values[static_cast<size_t>(k)];
    found = true;
  });
  return found;
}

bool MaterialsPanel::Save(const engine::gfx::Mesh& mesh, const std::string& material,
                          const std::set<std::string>& names, std::vector<std::string>* unsaved, std::string* error) {
  const std::string path = platform::NativePath(material);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::stringstream read;
  read << in.rdbuf();
  std::string text = read.str();
  std::set<std::string> saved;
  ForEachFloatEntry(mesh, [&](unsigned, const std::string& entry, const char* type, float* f, int count) {
    if (!names.count(entry) || saved.count(entry)) return;
    if (WriteParameterValue(text, entry, type, std::vector<float>(f, f + count))) saved.insert(entry);
  });
  for (const std::string& name : names) {
    if (!saved.count(name)) unsaved->push_back(name);
  }
  // Written beside and renamed over, so a watcher never reads half a file.
  const std::string temporary = path + ".saving";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      *error = "cannot write " + temporary;
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = "cannot replace " + path;
    return false;
  }
  return true;
}

void MaterialsPanel::Draw(TestScene1& scene) {
  if (!scene.CurrentPart()) return;
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(ImVec2(viewport->Pos.x + viewport->Size.x - 8, viewport->Pos.y + 8), ImGuiCond_FirstUseEver,
                          ImVec2(1, 0));
  ImGui::SetNextWindowSize(ImVec2(380, viewport->Size.y * 0.6f), ImGuiCond_FirstUseEver);
  ImGui::Begin("Materials");
  std::vector<const engine::gfx::Mesh*> meshes;
  CollectMeshes(scene.CurrentPart()->GetBaseNode().get(), &meshes);
  const std::map<const engine::gfx::Mesh*, std::string> names = MeshNames();
  for (const engine::gfx::Mesh* mesh : meshes) {
    const auto named = names.find(mesh);
    if (named == names.end()) continue;
    const std::string material = named->second + ".efx";
    ImGui::PushID(mesh);
    // The first object open, so that the panel shows what it is for at a glance.
    if (mesh == meshes.front()) ImGui::SetNextItemOpen(true, ImGuiCond_Once);
    if (ImGui::TreeNode("object", "%s  (%s)", ObjectName(named->second).c_str(), material.c_str())) {
      const auto& effect = mesh->GetEffect();
      for (unsigned i = 0; effect && i < effect->GetShaderCount(); ++i) {
        const auto& pass = effect->GetShader(i)->Pass();
        ImGui::TextDisabled("pass %u: %s, %s", i + 1, pass.fx.c_str(), pass.tec.c_str());
      }
      std::set<std::string>& mine = edited[named->second];
      ForEachFloatEntry(*mesh, [&](unsigned pass, const std::string& name, const char*, float* f, int count) {
        ImGui::PushID(static_cast<int>(pass));
        ImGui::PushID(name.c_str());
        bool changed = false;
        const std::string label = name + " (pass " + std::to_string(pass + 1) + ")";
        if (count == 4) {
          changed = ImGui::ColorEdit4(label.c_str(), f, ImGuiColorEditFlags_Float | ImGuiColorEditFlags_HDR);
        } else if (count == 3) {
          changed = ImGui::DragFloat3(label.c_str(), f, 0.01f);
        } else if (count == 2) {
          changed = ImGui::DragFloat2(label.c_str(), f, 0.01f);
        } else {
          changed = ImGui::DragFloat(label.c_str(), f, 0.01f);
        }
        if (changed) {
          // Every pass of the material that has the name follows, as the file would give it.
          Edit(*mesh, name, std::vector<float>(f, f + count));
          mine.insert(name);
        }
        ImGui::PopID();
        ImGui::PopID();
      });
      if (!mine.empty() && ImGui::Button("Save")) {
        std::vector<std::string> unsaved;
        std::string error;
        if (!Save(*mesh, material, mine, &unsaved, &error)) {
          status = error;
        } else {
          status = "saved " + material;
          for (const std::string& name : unsaved) status += "; " + name + " comes from a template, not saved";
          mine.clear();
        }
      }
      ImGui::TreePop();
    }
    ImGui::PopID();
  }
  if (!status.empty()) ImGui::TextWrapped("%s", status.c_str());
  ImGui::End();
}
