#pragma once

// The player for working on one part (-dev, -loop S E): Space pauses and resumes the
// music and the clock, Left and Right seek 5 s back and on, Page Up and Page Down jump
// to the start of the part before and after, and the window title shows the music time
// and the part. -loop plays a range over and over. Every seek moves the music, the clock
// and the timeline together, the timeline placed as a run that had played up to there.

#include <string>

#include "engine/core/module.h"
#include "authoring/authoringSwitches.h"

class AuthoredDemo;

class DevPlayer : public engine::core::Module {
 public:
  static constexpr double SeekSeconds = 5.0;

  DevPlayer(AuthoredDemo* scene, const AuthoringSwitches& switches);

  bool Start() override;
  // After the scene's own update, so a seek wins over the part switch of the same pass.
  void Update() override;
  void Stop() override {}

  // Moves to `seconds` of music, kept within the music (and within the -loop range).
  void Seek(double seconds);
  // "Orv - 1:23.4 - city (3 of 5)" (the window's title when the player started, the music
  // time, the part), with " - paused" while paused.
  std::wstring Title() const;
  void TogglePause();
  // Plays `start` to `end` over and over from now on (as -loop does); an end not after
  // the start plays the whole demo again.
  void SetLoop(double start, double end);
  bool Looping() const { return switches.loop; }
  double LoopStart() const { return switches.loopStart; }
  double LoopEnd() const { return switches.loopEnd; }
  // The music's length in seconds.
  double MusicSeconds() const;

 private:
  void HandleKeys();

  AuthoredDemo* scene;
  AuthoringSwitches switches;
  bool placed = false;
  std::wstring programTitle;
  std::wstring shownTitle;
};
