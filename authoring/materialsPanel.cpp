#include "authoring/materialsPanel.h"

#include <imgui.h>

#include <algorithm>
#include <boost/shared_ptr.hpp>
#include <cfloat>
#include <cmath>

#include "engine/core/resourceManager.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/demoFile.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/spatial.h"
#include "authoring/authoredDemo.h"
#include "authoring/dataOrigins.h"
#include "authoring/fileReplace.h"
#include "authoring/materialText.h"
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

// Calls `visit(name, type, floats, count)` for every editable entry (float, float2,
// float3, float4) of a pass's parameters.
template <class Visit>
void ForEachFloatEntry(const ShaderParameters& p, const Visit& visit) {
  for (const auto& e : p.float4s) visit(e.name, "float4", e.value->f, 4);
  for (const auto& e : p.float3s) visit(e.name, "float3", e.value->f, 3);
  for (const auto& e : p.float2s) visit(e.name, "float2", e.value->f, 2);
  for (const auto& e : p.bit32s) {
    if (e.type == "float") visit(e.name, "float", &e.value->f, 1);
  }
}

// The same for every pass of the mesh's material.
template <class Visit>
void ForEachFloatEntry(const engine::gfx::Mesh& mesh, const Visit& visit) {
  const auto& effect = mesh.GetEffect();
  for (unsigned i = 0; effect && i < effect->GetShaderCount(); ++i) {
    ForEachFloatEntry(effect->GetShader(i)->Pass().parameters, visit);
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

// The text cut to `width` with a tooltip that shows it whole: names run on (a long
// object or parameter name), and the window's edge would clip them unseen.
void FittedText(const std::string& text, float width, bool disabled = false) {
  const std::string shown = FitToWidth(text, width);
  if (disabled) {
    ImGui::TextDisabled("%s", shown.c_str());
  } else {
    ImGui::TextUnformatted(shown.c_str());
  }
  if (shown != text && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", text.c_str());
}

// One parameter's row: its name in the label column, the widget filling the rest of the
// line. True when the user changed the value.
bool ParameterRow(const std::string& name, float labelWidth, float* f, int count) {
  const float left = ImGui::GetCursorPosX();
  ImGui::AlignTextToFramePadding();
  FittedText(name, labelWidth);
  ImGui::SameLine(left + labelWidth + ImGui::GetStyle().ItemInnerSpacing.x);
  ImGui::SetNextItemWidth(-FLT_MIN);
  if (count == 4) return ImGui::ColorEdit4("##value", f, ImGuiColorEditFlags_Float | ImGuiColorEditFlags_HDR);
  if (count == 3) return ImGui::DragFloat3("##value", f, 0.01f);
  if (count == 2) return ImGui::DragFloat2("##value", f, 0.01f);
  return ImGui::DragFloat("##value", f, 0.01f);
}

}  // namespace

std::string FitToWidth(const std::string& text, float width) {
  if (ImGui::CalcTextSize(text.c_str()).x <= width) return text;
  // The longest start that fits with the dots, cut between characters (never inside
  // one of UTF-8's).
  std::string fitted = "...";
  for (size_t end = 1; end <= text.size(); ++end) {
    if (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) continue;
    const std::string candidate = text.substr(0, end) + "...";
    if (ImGui::CalcTextSize(candidate.c_str()).x > width) break;
    fitted = candidate;
  }
  return fitted;
}

bool MaterialsPanel::Edit(const engine::gfx::Mesh& mesh, const std::string& name, const std::vector<float>& values) {
  bool found = false;
  ForEachFloatEntry(mesh, [&](const std::string& entry, const char*, float* f, int count) {
    if (entry != name || static_cast<int>(values.size()) != count) return;
    for (int k = 0; k < count; ++k) f[k] = values[static_cast<size_t>(k)];
    found = true;
  });
  return found;
}

bool MaterialsPanel::Save(const engine::gfx::Mesh& mesh, const std::string& material,
                          const std::set<Parameter>& edited, std::vector<std::string>* notes, std::string* error) {
  // A material the build copied is edited where it was copied from, then copied again.
  const std::string path = EditedFileFor(material);
  std::string original;
  if (!ReadFileText(path, &original)) {
    *error = "cannot read " + path;
    return false;
  }
  std::string text = original;
  std::set<Parameter> done;
  std::string failure;
  ForEachFloatEntry(mesh, [&](const std::string& name, const char* type, float* f, int count) {
    const Parameter parameter(name, type);
    if (!failure.empty() || !edited.count(parameter) || !done.insert(parameter).second) return;
    // After an edit every pass of the name holds the value; the first one's is it.
    const ParameterWrite write = WriteParameterValue(text, name, type, std::vector<float>(f, f + count));
    if (!write.error.empty()) {
      failure = path + ": " + write.error + "; nothing saved";
    } else if (write.notNumbers > 0) {
      notes->push_back(name + (write.written ? " is not plain numbers in some places of the file, not saved there"
                                             : " is not plain numbers in the file, not saved"));
    } else if (write.written == 0) {
      notes->push_back(name + " comes from a template, not saved");
    }
  });
  if (!failure.empty()) {
    *error = failure;
    return false;
  }
  // Nothing to change: the file is left alone, and nothing watching it reloads.
  if (text != original && !ReplaceFileText(path, text, error)) return false;
  return UpdateCopy(path, material, error);
}

void MaterialsPanel::Draw(AuthoredDemo& scene) {
  if (!scene.CurrentPart()) return;
  std::vector<const engine::gfx::Mesh*> meshes;
  CollectMeshes(scene.CurrentPart()->GetBaseNode().get(), &meshes);
  const std::map<const engine::gfx::Mesh*, std::string> names = MeshNames();
  std::vector<NamedMesh> named;
  for (const engine::gfx::Mesh* mesh : meshes) {
    const auto name = names.find(mesh);
    if (name != names.end()) named.emplace_back(mesh, name->second);
  }
  Draw(named);
}

void MaterialsPanel::Draw(const std::vector<NamedMesh>& meshes) {
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  constexpr float Margin = 8.0f;
  ImGui::SetNextWindowPos(ImVec2(viewport->Pos.x + viewport->Size.x - Margin, viewport->Pos.y + Margin),
                          ImGuiCond_FirstUseEver, ImVec2(1, 0));
  // No wider than a small window leaves room for.
  const float width = std::max(100.0f, std::min(380.0f, viewport->Size.x - 2 * Margin));
  ImGui::SetNextWindowSize(ImVec2(width, viewport->Size.y * 0.6f), ImGuiCond_FirstUseEver);
  ImGui::Begin("Materials");
  for (size_t k = 0; k < meshes.size(); ++k) DrawObject(*meshes[k].first, meshes[k].second, k == 0);
  if (!status.empty()) ImGui::TextWrapped("%s", status.c_str());
  ImGui::End();
}

void MaterialsPanel::DrawObject(const engine::gfx::Mesh& mesh, const std::string& meshName, bool first) {
  const std::string material = meshName + ".efx";
  ImGui::PushID(&mesh);
  // The first object open, so that the panel shows what it is for at a glance.
  if (first) ImGui::SetNextItemOpen(true, ImGuiCond_Once);
  const std::string title = ObjectName(meshName) + "  (" + material + ")";
  const float titleWidth = ImGui::GetContentRegionAvail().x - ImGui::GetTreeNodeToLabelSpacing();
  const std::string shownTitle = FitToWidth(title, titleWidth);
  const bool open = ImGui::TreeNode("object", "%s", shownTitle.c_str());
  if (shownTitle != title && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", title.c_str());
  if (!open) {
    ImGui::PopID();
    return;
  }
  // One label column for the object, as wide as its longest name up to 40 % of the panel.
  float labelWidth = 0.0f;
  ForEachFloatEntry(mesh, [&](const std::string& name, const char*, float*, int) {
    labelWidth = std::max(labelWidth, ImGui::CalcTextSize(name.c_str()).x);
  });
  const float indent = ImGui::GetStyle().IndentSpacing;
  labelWidth = std::floor(std::min(labelWidth, (ImGui::GetContentRegionAvail().x - indent) * 0.4f));
  std::set<Parameter>& mine = edited[meshName];
  const auto& effect = mesh.GetEffect();
  for (unsigned i = 0; effect && i < effect->GetShaderCount(); ++i) {
    const auto& pass = effect->GetShader(i)->Pass();
    FittedText("pass " + std::to_string(i + 1) + ": " + pass.fx + ", " + pass.tec, ImGui::GetContentRegionAvail().x,
               true);
    ImGui::PushID(static_cast<int>(i));
    ImGui::Indent(indent);
    ForEachFloatEntry(pass.parameters, [&](const std::string& name, const char* type, float* f, int count) {
      ImGui::PushID(name.c_str());
      ImGui::PushID(type);
      if (ParameterRow(name, labelWidth, f, count)) {
        // Every pass of the material that has the name follows, as a material-wide
        // value in the file would give it; Save writes every entry of it.
        Edit(mesh, name, std::vector<float>(f, f + count));
        mine.emplace(name, type);
      }
      ImGui::PopID();
      ImGui::PopID();
    });
    ImGui::Unindent(indent);
    ImGui::PopID();
  }
  if (!mine.empty() && ImGui::Button("Save")) {
    std::vector<std::string> notes;
    std::string error;
    if (!Save(mesh, material, mine, &notes, &error)) {
      status = error;
    } else {
      status = "saved " + material;
      for (const std::string& note : notes) status += "; " + note;
      mine.clear();
    }
  }
  ImGui::TreePop();
  ImGui::PopID();
}
