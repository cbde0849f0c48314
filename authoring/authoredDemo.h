#pragma once

// What a program tells the authoring tools about its demo. The program's scene module
// implements it beside engine::core::Module; with NEBLU_PROGRAM_HAS_AUTHORING written in
// the program, the player, the overlay and the file watcher attach themselves to the
// first module added that does. Everything else they need (the data folder, where each
// data file was copied from, the scene descriptions) they find on disk.

#include <functional>
#include <string>

namespace engine {
namespace gfx {
class DemoLoader;
class LoadMesh;
}  // namespace gfx
}  // namespace engine

// A mesh the program makes in code: reloads make it again with `make` (a fresh mesh the
// caller owns) instead of reading a file, from `file` where it is read from one (empty
// for meshes made from nothing).
struct GeneratedMesh {
  std::function<engine::gfx::LoadMesh*()> make;
  std::string file;
};

class AuthoredDemo {
 public:
  // Frames of the demo files per second of music.
  static constexpr double FramesPerSecond = 25.0;

  virtual ~AuthoredDemo() = default;

  // The parts in play order, each played for its demo file's length.
  virtual int PartCount() const = 0;
  // Part `index`'s demo file as the program reads it ("data/intro.demo").
  virtual std::wstring PartFile(int index) const = 0;
  // The loaded part, null before the program loaded it.
  virtual engine::gfx::DemoLoader* Part(int index) const = 0;
  // The part on screen, null before the first is shown.
  virtual engine::gfx::DemoLoader* CurrentPart() const = 0;
  // Moves the running demo to `seconds` of music: every part's curves rewound, the part
  // playing then on screen with its curves where a whole run would have them. The
  // authoring tools move the music and the clock themselves.
  virtual void SeekTo(double seconds) = 0;
  // Part `index`'s demo file read again and put in place of the old, the timeline placed
  // at `seconds` as SeekTo does. Raises an engine exception, keeping the old part, when
  // the file does not load.
  virtual void ReloadPart(int index, double seconds) = 0;
  // The mesh registered under `name` when the program made it in code; null for meshes
  // read from their .nbl file, which reload from it.
  virtual const GeneratedMesh* FindGeneratedMesh(const std::string& name) const {
    (void)name;
    return nullptr;
  }

  // From the parts' lengths: the part playing at `seconds` (the last part past the end)
  // and where it began, in seconds; -1 before the parts are loaded.
  int PartAt(double seconds, double* beginSeconds) const;
  double PartBeginSeconds(int index) const;
  // The index of the part on screen, -1 when none is.
  int CurrentPartIndex() const;
  // "intro" for "data/intro.demo": the demo file's name without folder and extension.
  std::wstring PartName(int index) const;
};

// Every curve below `part`'s root rewound, then moved `seconds` of music on: where that
// much play from the part's start leaves them. A SeekTo places the part on screen so.
void PlaceCurvesAt(engine::gfx::DemoLoader* part, double seconds);
