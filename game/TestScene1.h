#pragma once

// The demo's one module: it prepares the content, then plays the five parts one after
// the other on the music clock and quits after the last.

#include <array>
#include <string>

#include "authoring/authoredDemo.h"
#include "engine/core/module.h"
#include "engine/gfx/demoFile.h"

class TestScene1 : public engine::core::Module, public AuthoredDemo {
 public:
  // The parts in play order.
  static constexpr int NumParts = 5;
  static const wchar_t* const PartFiles[NumParts];

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
  void SeekTo(double seconds) override;
  // Part `index`'s demo file read again: the new scene replaces the old one, which is
  // released, and the timeline is placed again at `seconds` of music (as SeekTo does),
  // so the music, the part on screen and its curves go on where they were. Raises,
  // keeping the old scene, when the file does not load.
  void ReloadPart(int index, double seconds) override;
  engine::gfx::DemoLoader* CurrentPart() const override { return current; }

  // What the authoring tools are told.
  int PartCount() const override { return NumParts; }
  std::wstring PartFile(int index) const override { return PartFiles[index]; }
  engine::gfx::DemoLoader* Part(int index) const override { return parts[static_cast<size_t>(index)]; }
  const GeneratedMesh* FindGeneratedMesh(const std::string& meshName) const override;

 private:
  void ShowPart(engine::gfx::DemoLoader* part, bool first);
  // The credits' light shadows only the stage, so its cascades are spent close in.
  void SpendCreditsCascadesCloseIn();
  int IndexOf(const engine::gfx::DemoLoader* part) const;  // -1: not one of the parts

  engine::gfx::DemoLoader* current;
  std::array<engine::gfx::DemoLoader*, 5> parts;
  std::array<bool, 5> saidHasNoLamp{};  // the part's missing lamp has been reported
};
