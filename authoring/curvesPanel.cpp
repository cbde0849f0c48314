#include "authoring/curvesPanel.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/demoFile.h"
#include "authoring/authoredDemo.h"
#include "authoring/dataOrigins.h"
#include "authoring/curveDemoFile.h"
#include "authoring/curveText.h"

namespace {

constexpr float StripHeight = 160.0f;
constexpr float KeyRadius = 4.0f;
constexpr float GrabRadius = 7.0f;  // how near the cursor must be to take a key
const ImU32 CurveColours[] = {IM_COL32(255, 110, 110, 255), IM_COL32(110, 230, 110, 255), IM_COL32(120, 150, 255, 255),
                              IM_COL32(240, 210, 90, 255),  IM_COL32(90, 220, 230, 255),  IM_COL32(230, 120, 230, 255)};

// The loader negates LocZ of a camera's children; the file holds the other sign.
bool UnderACamera(engine::gfx::Node& node) {
  auto* parent = dynamic_cast<engine::gfx::Node*>(node.Parent());
  if (!parent) return false;
  for (const auto& child : parent->Children()) {
    if (dynamic_cast<engine::gfx::Camera*>(child.get())) return true;
  }
  return false;
}

}  // namespace

void CurvesPanel::Draw(AuthoredDemo& scene) {
  const int index = scene.CurrentPartIndex();
  if (index < 0 || !scene.CurrentPart()) return;
  const double begin = scene.PartBeginSeconds(index);
  const float now = 1.0f + static_cast<float>((engine::core::Timer::Get()->time - begin) * 25.0);
  const std::string demoFile = engine::core::ToNarrow(scene.PartFile(index));
  // The description the build wrote the demo file from, else the one in `folder`.
  const std::string source = CurrentDataOrigins().SourceOf(demoFile);
  const std::string description = IsSceneDescription(source)
                                      ? source
                                      : folder + "/" + engine::core::ToNarrow(scene.PartName(index)) + ".scene.lua";
  Draw(*scene.CurrentPart(), scene.CurrentPart()->GetLength(), description, demoFile, now);
}

void CurvesPanel::Pick(engine::gfx::DemoLoader& part, const std::string& name) {
  const auto found = part.Nodes().find(name);
  auto* node = found == part.Nodes().end() ? nullptr : dynamic_cast<engine::gfx::AnimationNode*>(found->second.get());
  if (!node) {
    edit.reset();
    return;
  }
  // A reload builds new controllers: the editor follows them, what was not saved is gone.
  if (edit && edit->Object() == name && edit->Controller() == node->Controller().get()) return;
  edit.reset(new CurveEdit(name, node->Controller(), UnderACamera(*node)));
  object = name;
  curve = 0;
  dragged = -1;
}

void CurvesPanel::Draw(engine::gfx::DemoLoader& part, int length, const std::string& description,
                       const std::string& demoFile, float now) {
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  // Above the timeline, placed by its top: it starts folded, and a pivot at its foot
  // would hang the unfolded window below the screen.
  constexpr float Height = 290.0f, AboveTheTimeline = 146.0f;
  ImGui::SetNextWindowPos(
      ImVec2(viewport->Pos.x + 8, viewport->Pos.y + std::max(8.0f, viewport->Size.y - AboveTheTimeline - Height)),
      ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(std::max(200.0f, viewport->Size.x * 0.6f), Height), ImGuiCond_FirstUseEver);
  // Folded at first: open, it covers a good part of the picture.
  ImGui::SetNextWindowCollapsed(true, ImGuiCond_FirstUseEver);
  if (!ImGui::Begin("Curves")) {
    ImGui::End();
    return;
  }

  // The part's animated objects, by name; the first until one is picked.
  std::vector<std::string> animated;
  for (const auto& entry : part.Nodes()) {
    if (dynamic_cast<engine::gfx::AnimationNode*>(entry.second.get())) animated.push_back(entry.first);
  }
  if (animated.empty()) {
    ImGui::TextDisabled("no animated object in this part");
    edit.reset();
    ImGui::End();
    return;
  }
  if (std::find(animated.begin(), animated.end(), object) == animated.end()) object = animated.front();
  ImGui::AlignTextToFramePadding();
  ImGui::TextUnformatted("object");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(180);
  if (ImGui::BeginCombo("##object", object.c_str())) {
    for (const std::string& name : animated) {
      if (ImGui::Selectable(name.c_str(), name == object)) object = name;
    }
    ImGui::EndCombo();
  }
  Pick(part, object);
  if (!edit || edit->Curves().empty()) {
    ImGui::TextDisabled("no curves");
    ImGui::End();
    return;
  }
  curve = std::min(curve, edit->Curves().size() - 1);

  ImGui::SameLine();
  ImGui::TextUnformatted("curve");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(120);
  if (ImGui::BeginCombo("##curve", edit->Curves()[curve].channel.c_str())) {
    for (size_t k = 0; k < edit->Curves().size(); ++k) {
      if (ImGui::Selectable(edit->Curves()[k].channel.c_str(), k == curve)) {
        curve = k;
        dragged = -1;
      }
    }
    ImGui::EndCombo();
  }
  ImGui::SameLine();
  int kind = static_cast<int>(edit->Curves()[curve].interpolation);
  ImGui::SetNextItemWidth(100);
  if (ImGui::Combo("##interpolation", &kind, "Constant\0Linear\0Bezier\0")) {
    edit->SetInterpolation(curve, static_cast<CurveInterpolation>(kind));
  }
  ImGui::SameLine();
  const ImGuiIO& io = ImGui::GetIO();
  const bool undoKeys = ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows) && io.KeyCtrl &&
                        ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Z), false);
  if ((ImGui::Button("Undo") || undoKeys) && edit->Undo()) dragged = -1;
  ImGui::SameLine();
  const bool savePressed = ImGui::Button("Save");
  saveX = (ImGui::GetItemRectMin().x + ImGui::GetItemRectMax().x) / 2;
  saveY = (ImGui::GetItemRectMin().y + ImGui::GetItemRectMax().y) / 2;
  if (savePressed && edit->Edited()) {
    std::string error;
    // A part converted from another format has no description: its demo file is the
    // source.
    const bool described = std::filesystem::exists(description);
    // A demo file the build copied is saved where it was copied from, then copied.
    const std::string saved = described ? description : EditedFileFor(demoFile);
    if (described ? SaveCurves(description, *edit, &error)
                  : SaveCurvesToDemoFile(saved, *edit, &error) && UpdateCopy(saved, demoFile, &error)) {
      edit->MarkSaved();
      status = "saved " + saved;
    } else {
      status = error;
    }
  }

  DrawStrip(length, now);
  ImGui::TextDisabled("drag: to the beat (Shift: free)   double click: add   right click: delete");
  if (!status.empty()) ImGui::TextWrapped("%s", status.c_str());
  ImGui::End();
}

void CurvesPanel::ValueRange(size_t index, float* low, float* high) const {
  if (dragged >= 0 && index == curve) {
    *low = dragLow;
    *high = dragHigh;
    return;
  }
  const auto& keys = edit->Curves()[index].keys;
  *low = *high = keys.front().point.value;
  for (const CurveKey& key : keys) {
    *low = std::min(*low, key.point.value);
    *high = std::max(*high, key.point.value);
  }
  const float margin = *high > *low ? (*high - *low) * 0.1f : 1.0f;
  *low -= margin;
  *high += margin;
}

float CurvesPanel::FrameX(float frame) const { return left + (frame - 1.0f) / frames * width; }

float CurvesPanel::KeyX(size_t index, size_t key) const {
  return FrameX(edit->Curves().at(index).keys.at(key).point.time);
}

float CurvesPanel::KeyY(size_t index, size_t key) const {
  float low = 0, high = 1;
  ValueRange(index, &low, &high);
  return top + height - (edit->Curves().at(index).keys.at(key).point.value - low) / (high - low) * height;
}

void CurvesPanel::DrawStrip(int length, float now) {
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  left = origin.x;
  top = origin.y;
  width = std::max(ImGui::GetContentRegionAvail().x, 1.0f);
  height = StripHeight;
  // The part's frames from its first to the downbeat after its last.
  frames = static_cast<float>(std::max(length, 1));
  ImGui::InvisibleButton("strip", ImVec2(width, height),
                         ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
  const bool hovered = ImGui::IsItemHovered();
  const ImGuiIO& io = ImGui::GetIO();
  const ImVec2 mouse = io.MousePos;
  const float mouseFrame = 1.0f + (mouse.x - left) / width * frames;

  // The key under the cursor, if any. The range once: a key's place is then constant
  // work, and a curve of many keys costs no more than its keys.
  float low = 0, high = 1;
  ValueRange(curve, &low, &high);
  const auto yOf = [&](float value) { return top + height - (value - low) / (high - low) * height; };
  int near = -1;
  const auto& keys = edit->Curves()[curve].keys;
  for (size_t k = 0; k < keys.size(); ++k) {
    if (std::fabs(FrameX(keys[k].point.time) - mouse.x) <= GrabRadius &&
        std::fabs(yOf(keys[k].point.value) - mouse.y) <= GrabRadius) {
      near = static_cast<int>(k);
    }
  }
  if (hovered && near >= 0 && ImGui::IsMouseClicked(ImGuiMouseButton_Left)) {
    ValueRange(curve, &dragLow, &dragHigh);
    edit->Checkpoint();
    dragged = near;
    // Held where it was taken: a click off the key's centre does not move it.
    grabFrames = keys[static_cast<size_t>(near)].point.time - mouseFrame;
    grabY = yOf(keys[static_cast<size_t>(near)].point.value) - mouse.y;
    grabMouseX = mouse.x;
    grabMouseY = mouse.y;
  } else if (hovered && near >= 0 && ImGui::IsMouseClicked(ImGuiMouseButton_Right)) {
    if (!edit->DeleteKey(curve, static_cast<size_t>(near))) status = "a curve keeps its last key";
  } else if (hovered && near < 0 && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) {
    if (edit->AddKey(curve, mouseFrame, io.KeyShift) < 0) status = "a key is already there";
  }
  if (dragged >= 0 && static_cast<size_t>(dragged) < keys.size()) {
    if (ImGui::IsMouseDown(ImGuiMouseButton_Left)) {
      // Until the cursor moves the key stays exactly where it is.
      if (mouse.x != grabMouseX || mouse.y != grabMouseY) {
        const float value = dragHigh - (mouse.y + grabY - top) / height * (dragHigh - dragLow);
        edit->MoveKey(curve, static_cast<size_t>(dragged), mouseFrame + grabFrames, value, io.KeyShift);
      }
    } else {
      edit->DropEmptyCheckpoint();
      dragged = -1;
    }
  }

  ImDrawList* draw = ImGui::GetWindowDrawList();
  draw->AddRectFilled(ImVec2(left, top), ImVec2(left + width, top + height), IM_COL32(25, 25, 30, 230));
  // Beats where they are far enough apart to read, bars always, numbered from 1.
  const bool beats = width / frames * FramesPerBeat >= 5.0f;
  for (float frame = 1.0f; frame <= frames + 1.0f; frame += FramesPerBeat) {
    const int beat = static_cast<int>(std::lround((frame - 1.0f) / FramesPerBeat));
    const bool bar = beat % 4 == 0;
    if (!bar && !beats) continue;
    const float x = FrameX(frame);
    draw->AddLine(ImVec2(x, top), ImVec2(x, top + height),
                  bar ? IM_COL32(120, 120, 130, 255) : IM_COL32(60, 60, 70, 255));
    if (bar && width / frames * FramesPerBar >= 24.0f) {
      char label[16];
      std::snprintf(label, sizeof label, "%d", beat / 4 + 1);
      draw->AddText(ImVec2(x + 2, top + 1), IM_COL32(150, 150, 160, 255), label);
    }
  }

  // Every curve over its own range, the picked one on top with its keys. Two pixels a
  // sample: smooth enough, and the cost stays with the strip's width, not the keys.
  const int samples = std::max(2, static_cast<int>(width / 2.0f));
  std::vector<ImVec2> points(static_cast<size_t>(samples));
  for (size_t pass = 0; pass <= edit->Curves().size(); ++pass) {
    const size_t index = pass < edit->Curves().size() ? pass : curve;
    if (pass < edit->Curves().size() && index == curve) continue;
    float lowest = 0, highest = 1;
    ValueRange(index, &lowest, &highest);
    const std::vector<float> values = edit->Sample(index, 1.0f, 1.0f + frames, samples);
    for (int k = 0; k < samples; ++k) {
      const float y = top + height - (values[static_cast<size_t>(k)] - lowest) / (highest - lowest) * height;
      points[static_cast<size_t>(k)] = ImVec2(left + width * static_cast<float>(k) / static_cast<float>(samples - 1),
                                              std::clamp(y, top, top + height));
    }
    ImU32 colour = CurveColours[index % (sizeof CurveColours / sizeof CurveColours[0])];
    if (index != curve) colour = (colour & 0x00FFFFFF) | 0x60000000;
    draw->AddPolyline(points.data(), samples, colour, 0, index == curve ? 2.0f : 1.0f);
  }
  ValueRange(curve, &low, &high);  // an edit above may have widened it
  for (size_t k = 0; k < keys.size(); ++k) {
    const ImVec2 at(FrameX(keys[k].point.time), yOf(keys[k].point.value));
    if (at.x < left - KeyRadius || at.x > left + width + KeyRadius) continue;
    const bool lit = static_cast<int>(k) == near || static_cast<int>(k) == dragged;
    draw->AddRectFilled(ImVec2(at.x - KeyRadius, at.y - KeyRadius), ImVec2(at.x + KeyRadius, at.y + KeyRadius),
                        lit ? IM_COL32(255, 255, 255, 255) : IM_COL32(230, 230, 60, 255));
  }
  const float head = FrameX(now);
  if (head >= left && head <= left + width) {
    draw->AddLine(ImVec2(head, top), ImVec2(head, top + height), IM_COL32(255, 40, 40, 255), 2.0f);
  }
  if (hovered) {
    ImGui::SetTooltip(
        "frame %.1f  bar %d beat %d", mouseFrame, static_cast<int>(std::floor((mouseFrame - 1.0f) / FramesPerBar)) + 1,
        static_cast<int>(std::floor(std::fmod(std::max(mouseFrame - 1.0f, 0.0f), FramesPerBar) / FramesPerBeat)) + 1);
  }
}
