#pragma once

// The overlay's timeline: the five parts as named bands across the window, a tick at
// every bar and a longer one at every section, the playhead, the loop range and the
// music's spectrum now. A click or a drag on the bands seeks there; a drag with the
// right button plays its range over and over; the buttons pause and end the loop.

#include <vector>

class DevPlayer;
class AuthoredDemo;

// Where a part lies on the music, in seconds.
struct PartSpan {
  double begin = 0.0;
  double end = 0.0;
};

// The parts' spans, one after the other from 0, by their demo files' lengths.
std::vector<PartSpan> PartSpans(const AuthoredDemo& scene);
// The music time at `x` on bands from `left` `width` wide showing `total` seconds, held
// to the bands.
double SecondsAt(float x, float left, float width, double total);

class TimelinePanel {
 public:
  // Builds the panel in the current ImGui frame.
  void Draw(AuthoredDemo& scene, DevPlayer& player);

  // The bands' rectangle as last drawn, in window pixels (for tests).
  float BandsLeft() const { return left; }
  float BandsTop() const { return top; }
  float BandsWidth() const { return width; }
  float BandsHeight() const { return height; }

 private:
  float left = 0, top = 0, width = 0, height = 0;
  double dragFrom = -1.0;  // where a right-button drag began, seconds
};
