#include "authoring/timelinePanel.h"

#include <imgui.h>

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "authoring/authoredDemo.h"
#include "authoring/devPlayer.h"
#include "platform/audio.h"

namespace {

constexpr double FramesPerSecond = 25.0;
// 125 beats a minute at 25 frames a second: 12 frames a beat, 48 a bar.
constexpr double SecondsPerBar = 48.0 / FramesPerSecond;
constexpr float BandHeight = 34.0f;
constexpr float SpectrumHeight = 28.0f;

// Colours for the parts in turn, told apart by a tint (Orv's five: white intro and
// points, black city, stars and credits); a demo of more parts goes round them again.
const ImU32 PartColours[] = {IM_COL32(200, 200, 200, 255), IM_COL32(235, 150, 90, 255),
                                                 IM_COL32(70, 90, 150, 255), IM_COL32(110, 80, 170, 255),
                                                 IM_COL32(190, 120, 170, 255)};

std::string Clock(double seconds) {
  const int tenths = static_cast<int>(std::floor(std::max(seconds, 0.0) * 10.0));
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d.%d", tenths / 600, tenths / 10 % 60, tenths % 10);
  return text;
}

}  // namespace

std::vector<PartSpan> PartSpans(const AuthoredDemo& scene) {
  std::vector<PartSpan> spans;
  for (int part = 0; part < scene.PartCount(); ++part) {
    const double begin = scene.PartBeginSeconds(part);
    const double end = part + 1 < scene.PartCount() ? scene.PartBeginSeconds(part + 1) : -1.0;
    spans.push_back(PartSpan{begin, end});
  }
  return spans;
}

double SecondsAt(float x, float left, float width, double total) {
  if (width <= 0.0f) return 0.0;
  const double at = static_cast<double>(x - left) / width;
  return std::clamp(at, 0.0, 1.0) * total;
}

void TimelinePanel::Draw(AuthoredDemo& scene, DevPlayer& player) {
  engine::core::Timer* timer = engine::core::Timer::Get();
  const double now = timer->time;
  const double total = std::max(player.MusicSeconds(), 1e-3);
  std::vector<PartSpan> spans = PartSpans(scene);
  spans.back().end = total;

  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(ImVec2(viewport->Pos.x + 8, viewport->Pos.y + viewport->Size.y - 8), ImGuiCond_FirstUseEver,
                          ImVec2(0, 1));
  ImGui::SetNextWindowSize(ImVec2(viewport->Size.x - 16, 130), ImGuiCond_FirstUseEver);
  ImGui::Begin("Timeline");

  if (ImGui::Button(timer->Paused() ? "Play" : "Pause")) player.TogglePause();
  ImGui::SameLine();
  double begin = 0.0;
  const int part = scene.PartAt(now, &begin);
  const double bar = std::floor((now - begin) / SecondsPerBar);
  const double beat = std::floor(std::fmod(now - begin, SecondsPerBar) / (SecondsPerBar / 4));
  ImGui::Text("%s  %s  bar %d beat %d", Clock(now).c_str(),
              engine::core::ToNarrow(scene.PartName(std::max(part, 0))).c_str(), static_cast<int>(bar) + 1,
              static_cast<int>(beat) + 1);
  if (player.Looping()) {
    ImGui::SameLine();
    ImGui::Text("  loop %s to %s", Clock(player.LoopStart()).c_str(), Clock(player.LoopEnd()).c_str());
    ImGui::SameLine();
    if (ImGui::Button("End loop")) player.SetLoop(0.0, 0.0);
  }

  // The bands: one button over all of them takes the clicks.
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  left = origin.x;
  top = origin.y;
  width = std::max(ImGui::GetContentRegionAvail().x, 1.0f);
  height = BandHeight;
  ImGui::InvisibleButton("bands", ImVec2(width, height), ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
  const float mouseX = ImGui::GetIO().MousePos.x;
  if (ImGui::IsItemActive() && ImGui::IsMouseDown(ImGuiMouseButton_Left)) {
    const double to = SecondsAt(mouseX, left, width, total);
    if (std::fabs(to - now) > 1e-3) player.Seek(to);
  }
  if (ImGui::IsItemClicked(ImGuiMouseButton_Right)) dragFrom = SecondsAt(mouseX, left, width, total);
  if (dragFrom >= 0.0 && ImGui::IsMouseReleased(ImGuiMouseButton_Right)) {
    const double to = SecondsAt(mouseX, left, width, total);
    player.SetLoop(std::min(dragFrom, to), std::max(dragFrom, to));
    dragFrom = -1.0;
  }

  ImDrawList* draw = ImGui::GetWindowDrawList();
  const auto xOf = [&](double seconds) { return left + static_cast<float>(seconds / total) * width; };
  for (int k = 0; k < scene.PartCount(); ++k) {
    const float x0 = xOf(spans[static_cast<size_t>(k)].begin), x1 = xOf(spans[static_cast<size_t>(k)].end);
    draw->AddRectFilled(ImVec2(x0, top), ImVec2(x1, top + height), PartColours[k % std::size(PartColours)]);
    draw->AddRect(ImVec2(x0, top), ImVec2(x1, top + height), IM_COL32(0, 0, 0, 255));
    const std::string name = engine::core::ToNarrow(scene.PartName(k));
    draw->AddText(ImVec2(x0 + 4, top + 2), IM_COL32(0, 0, 0, 255), name.c_str());
    // A tick a bar from the part's start: the sections begin on downbeats.
    for (double t = spans[static_cast<size_t>(k)].begin + SecondsPerBar; t < spans[static_cast<size_t>(k)].end;
         t += SecondsPerBar) {
      draw->AddLine(ImVec2(xOf(t), top + height - 6), ImVec2(xOf(t), top + height), IM_COL32(0, 0, 0, 160));
    }
  }
  if (player.Looping()) {
    draw->AddRectFilled(ImVec2(xOf(player.LoopStart()), top), ImVec2(xOf(player.LoopEnd()), top + height),
                        IM_COL32(255, 255, 255, 70));
  }
  if (dragFrom >= 0.0) {
    draw->AddRectFilled(ImVec2(xOf(dragFrom), top), ImVec2(mouseX, top + height), IM_COL32(255, 255, 0, 70));
  }
  const float head = xOf(now);
  draw->AddLine(ImVec2(head, top - 2), ImVec2(head, top + height + 2), IM_COL32(255, 40, 40, 255), 2.0f);

  // The spectrum the effects read this frame.
  float spectrum[512] = {};
  if (BASS_ChannelGetData(timer->channel, spectrum, BASS_DATA_FFT1024) == static_cast<DWORD>(-1)) {
    std::fill(std::begin(spectrum), std::end(spectrum), 0.0f);
  }
  // The low bins, where the drums and the bass are, on a scale that shows the quiet ones.
  for (float& bin : spectrum) bin = std::sqrt(std::max(bin, 0.0f));
  ImGui::PlotHistogram("##spectrum", spectrum, 128, 0, nullptr, 0.0f, 1.0f, ImVec2(width, SpectrumHeight));
  ImGui::End();
}
