#include "authoring/devPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/Window.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "authoring/authoredDemo.h"
#include "platform/audio.h"
#include "platform/win32/window.h"

namespace {

constexpr int PlayerPriority = 201;
constexpr int SpaceKey = 0x20;
constexpr int PageUpKey = 0x21;
constexpr int PageDownKey = 0x22;
constexpr int LeftKey = 0x25;
constexpr int RightKey = 0x27;
// A seek never lands on the very end: the stream would stop there and end the demo.
constexpr double EndMargin = 0.05;

engine::core::Timer* Clock() { return engine::core::Timer::Get(); }

}  // namespace

DevPlayer::DevPlayer(AuthoredDemo* scene_, const AuthoringSwitches& switches_) : scene(scene_), switches(switches_) {
  name = L"DevPlayer";
  priority = PlayerPriority;
}

bool DevPlayer::Start() {
  // The program's own title, which the time and the part then follow.
  wchar_t text[256] = {};
  if (HWND window = engine::core::CWin32Window::Get()->hWnd) GetWindowTextW(window, text, 256);
  programTitle = text;
  return true;
}

double DevPlayer::MusicSeconds() const {
  const HSTREAM channel = Clock()->channel;
  const QWORD length = BASS_ChannelGetLength(channel);
  return length == static_cast<QWORD>(-1) ? 0.0 : BASS_ChannelBytes2Seconds(channel, length);
}

void DevPlayer::Seek(double seconds) {
  engine::core::Timer* timer = Clock();
  double low = 0.0, high = std::max(0.0, MusicSeconds() - EndMargin);
  if (switches.loop) {
    low = std::min(switches.loopStart, high);
    high = std::min(switches.loopEnd, high);
  }
  seconds = std::clamp(seconds, low, high);
  const QWORD bytes = BASS_ChannelSeconds2Bytes(timer->channel, seconds);
  if (bytes == static_cast<QWORD>(-1) || !BASS_ChannelSetPosition(timer->channel, bytes)) return;
  // The clock reads the new place as already reached, so the walk of this pass and the
  // next advance the curves by play time only, not by the jump.
  const double at = BASS_ChannelBytes2Seconds(timer->channel, bytes);
  timer->time = at;
  timer->previousTime = at;
  timer->sinceLast = 0.0;
  scene->SeekTo(at);
}

void DevPlayer::TogglePause() {
  engine::core::Timer* timer = Clock();
  if (timer->Paused()) {
    timer->Resume();
  } else {
    timer->Pause();
  }
}

void DevPlayer::SetLoop(double start, double end) {
  switches.loop = end > start;
  switches.loopStart = start;
  switches.loopEnd = end;
  if (switches.loop && (Clock()->time < start || Clock()->time >= end)) Seek(start);
}

void DevPlayer::HandleKeys() {
  engine::core::Input* input = engine::core::Input::Get();
  engine::core::Timer* timer = Clock();
  if (input->Pressed(SpaceKey)) TogglePause();
  if (input->Pressed(LeftKey)) Seek(timer->time - SeekSeconds);
  if (input->Pressed(RightKey)) Seek(timer->time + SeekSeconds);
  double begin = 0.0;
  const int part = scene->PartAt(timer->time, &begin);
  if (part < 0) return;
  if (input->Pressed(PageUpKey)) Seek(part > 0 ? scene->PartBeginSeconds(part - 1) : 0.0);
  if (input->Pressed(PageDownKey) && part + 1 < scene->PartCount()) Seek(scene->PartBeginSeconds(part + 1));
}

std::wstring DevPlayer::Title() const {
  const double time = Clock()->time;
  double begin = 0.0;
  const int part = scene->PartAt(time, &begin);
  const int tenths = static_cast<int>(std::floor(std::max(time, 0.0) * 10.0));
  wchar_t clock[32];
  std::swprintf(clock, 32, L"%d:%02d.%d", tenths / 600, tenths / 10 % 60, tenths % 10);
  std::wstring title = (programTitle.empty() ? L"" : programTitle + L" - ") + clock;
  if (part >= 0) title += L" - " + scene->PartName(part) + L" (" + std::to_wstring(part + 1) + L" of " + std::to_wstring(scene->PartCount()) + L")";
  if (Clock()->Paused()) title += L" - paused";
  return title;
}

void DevPlayer::Update() {
  if (!scene->CurrentPart()) return;
  if (!placed) {
    placed = true;
    if (switches.loop) Seek(switches.loopStart);
  }
  if (switches.dev) HandleKeys();
  if (switches.loop && Clock()->time >= switches.loopEnd) Seek(switches.loopStart);
  if (!switches.dev) return;
  const std::wstring title = Title();
  if (title == shownTitle) return;
  shownTitle = title;
  if (HWND window = engine::core::CWin32Window::Get()->hWnd) SetWindowTextW(window, title.c_str());
}
