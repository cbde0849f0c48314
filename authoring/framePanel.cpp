#include "authoring/framePanel.h"

#include <imgui.h>

#include <algorithm>

#include "authoring/reloadReport.h"

constexpr std::size_t FrameTimes::Kept;

void FrameTimes::Add(float frameMs, float cpuMs, float overlayMs) {
  frame[next] = frameMs;
  cpu[next] = cpuMs;
  overlay[next] = overlayMs;
  next = (next + 1) % Kept;
  count = std::min(count + 1, Kept);
}

void FrameTimes::Draw() const {
  ImGui::SetNextWindowPos(ImVec2(8, 8), ImGuiCond_FirstUseEver);
  ImGui::Begin("Frame", nullptr, ImGuiWindowFlags_AlwaysAutoResize);
  if (count == 0) {
    ImGui::TextUnformatted("no frame yet");
    ImGui::End();
    return;
  }
  const std::size_t newest = (next + Kept - 1) % Kept;
  float peak = 1.0f;
  for (std::size_t k = 0; k < count; ++k) peak = std::max(peak, frame[k]);
  // The buffer is a ring: the plot starts at the oldest frame kept.
  const int offset = count == Kept ? static_cast<int>(next) : 0;
  ImGui::Text("frame %.1f ms   main thread cpu %.1f ms   overlay %.2f ms", frame[newest], cpu[newest], overlay[newest]);
  ImGui::PlotLines("frame ms", frame.data(), static_cast<int>(count), offset, nullptr, 0.0f, peak * 1.1f, ImVec2(320, 48));
  ImGui::PlotLines("cpu ms", cpu.data(), static_cast<int>(count), offset, nullptr, 0.0f, peak * 1.1f, ImVec2(320, 48));
  ImGui::End();
}

void DrawErrorsPanel() {
  const auto& failures = ReloadFailures();
  if (failures.empty()) return;
  ImGui::SetNextWindowPos(ImVec2(8, 200), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(520, 160), ImGuiCond_FirstUseEver);
  ImGui::Begin("Errors");
  for (auto it = failures.rbegin(); it != failures.rend(); ++it) {
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 120, 100, 255));
    ImGui::TextUnformatted(it->file.c_str());
    ImGui::PopStyleColor();
    ImGui::TextWrapped("%s", it->message.c_str());
    ImGui::Separator();
  }
  ImGui::End();
}
