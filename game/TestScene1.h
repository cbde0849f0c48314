#pragma once

// The demo's one module: it prepares the content, then plays the five parts one after
// the other on the music clock and quits after the last.

#include <array>
#include <string>

#include "engine/core/module.h"
#include "engine/gfx/demoFile.h"

class TestScene1 : public engine::core::Module {
 public:
  // The parts in play order.
  static constexpr int PartCount = 5;
  static const wchar_t* const PartFiles[PartCount];

  TestScene1();
  ~TestScene1() override;

  // Textures, meshes, then the parts; an engine error leaves what was made so far.
  bool Start() override;
  // The timeline: switches to the next part when the current one has run its length.
  void Update() override;
  void Stop() override;

  // Loads the five parts and puts the first on screen (the last steps of Start), so
  // that the timeline can be played over scenes without the demo's content.
  void LoadParts();
  // Puts the part playing at `seconds` of music on screen, its curves started that far
  // back that the first pass (which advances them by all the music played) leaves them
  // where a whole run would have: the -start switch.
  void PlaceAt(double seconds);
  // Moves the running demo to `seconds` of music: every part's curves rewound, the part
  // playing then on screen with its curves where a whole run would have them there. The
  // caller moves the music and the clock (the player keys, -loop).
  void SeekTo(double seconds);
  // Part `index`'s demo file read again: the new scene replaces the old one, which is
  // released, and the timeline is placed again at `seconds` of music (as SeekTo does),
  // so the music, the part on screen and its curves go on where they were. Raises,
  // keeping the old scene, when the file does not load.
  void ReloadPart(int index, double seconds);
  engine::gfx::DemoLoader* CurrentPart() const { return current; }
  int CurrentPartIndex() const;
  // The part playing at `seconds` (the last part past the end), and where it began, in
  // seconds; -1 before the parts are loaded.
  int PartAt(double seconds, double* beginSeconds) const;
  double PartBeginSeconds(int index) const;
  // "intro", "points", ...: the part's file name without folder and extension.
  static std::wstring PartName(int index);

 private:
  void ShowPart(engine::gfx::DemoLoader* part, bool first);
  // The credits' light shadows only the stage, so its cascades are spent close in.
  void SpendCreditsCascadesCloseIn();
  int IndexOf(const engine::gfx::DemoLoader* part) const;  // -1: not one of the parts

  engine::gfx::DemoLoader* current;
  std::array<engine::gfx::DemoLoader*, 5> parts;
  std::array<bool, 5> saidHasNoLamp{};  // the part's missing lamp has been reported
};
