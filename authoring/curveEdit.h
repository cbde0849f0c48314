#pragma once

// The curves of one animated object as the overlay's curve editor changes them: keys
// moved (snapped to the music's beats), added, deleted, their interpolation changed,
// every change played at once by the object's own tracks while the music goes on where
// it is, and undone step by step until the curves are saved.

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/animationTrack.h"

namespace engine {
namespace gfx {
class AnimationController;
}
}  // namespace engine

enum class CurveInterpolation { Constant, Linear, Bezier };

// "Constant", "Linear", "Bezier": the words scene descriptions use.
const char* InterpolationWord(CurveInterpolation interpolation);

// 125 beats a minute at 25 frames a second, counted from a part's first frame (1).
constexpr float FramesPerBeat = 12.0f;
constexpr float FramesPerBar = 48.0f;
// The beat nearest part frame `frame`.
float NearestBeat(float frame);

struct CurveKey {
  engine::gfx::KeyPoint point{0, 0};
  engine::gfx::KeyPoint left{0, 0};  // Bezier handles; the other kinds keep but ignore them
  engine::gfx::KeyPoint right{0, 0};
  int origin = -1;       // the key's index in the curve as last saved; -1: added since
  bool changed = false;  // moved or added since then
};

struct EditedCurve {
  std::string channel;  // "LocX", ..., or the name a shader reads
  CurveInterpolation interpolation = CurveInterpolation::Bezier;
  engine::gfx::ExtrapolationMode extrapolation = engine::gfx::ExtrapolationMode::Constant;
  std::vector<CurveKey> keys;  // values as played
  size_t savedKeys = 0;        // how many keys the curve had when last saved (or loaded)
  // Values in the scene's file are these times this (the loader negates LocZ under a
  // camera).
  float fileSign = 1.0f;
  bool interpolationChanged = false;
  bool edited = false;  // anything changed since the last save

  int pipeChannel = -1;   // the transformation channel that plays it; -1: a named track
  size_t namedIndex = 0;  // else the controller's named track
};

class CurveEdit {
 public:
  // The curves `controller` plays for object `object`: every transformation curve but
  // the rest pose the loader gives each object, and every named channel. With
  // `cameraChild` the object hangs under a camera.
  CurveEdit(const std::string& object, const boost::shared_ptr<engine::gfx::AnimationController>& controller,
            bool cameraChild = false);

  const std::string& Object() const { return object; }
  const engine::gfx::AnimationController* Controller() const { return controller.get(); }
  const std::vector<EditedCurve>& Curves() const { return curves; }

  // Moves a key to (`time`, `value`), its Bezier handles with it: the time to the
  // nearest beat unless `free`, then held at least a frame inside its neighbours (a
  // key that has no room keeps its time). Returns the time it got. Pushes no undo step
  // of its own: a drag calls it every frame and calls Checkpoint once at its start.
  float MoveKey(size_t curve, size_t key, float time, float value, bool free);
  // Adds a key at `time` (the nearest beat unless `free`) holding the value the curve
  // plays there, so that the picture stays as it was until the key is moved. Returns its
  // index; -1 when a key is already within a frame of that time.
  int AddKey(size_t curve, float time, bool free);
  // False for a curve's only key: a curve without keys does not play.
  bool DeleteKey(size_t curve, size_t key);
  void SetInterpolation(size_t curve, CurveInterpolation interpolation);

  // The curve's values at `count` frames evenly from `from` to `to` (both included), as
  // its track plays them.
  std::vector<float> Sample(size_t curve, float from, float to, int count) const;

  // Remembers the curves as they are now as the next undo step.
  void Checkpoint();
  // Forgets the last step when nothing changed since it (a key taken and let go).
  void DropEmptyCheckpoint();
  // Back to the last step; false when there is none.
  bool Undo();
  bool CanUndo() const { return !undo.empty(); }
  bool Edited() const;
  // The curves were written to their file: they are the new starting point, with
  // nothing to undo.
  void MarkSaved();

 private:
  // Plays curve `index` on the object's own track.
  void Apply(size_t index);

  std::string object;
  boost::shared_ptr<engine::gfx::AnimationController> controller;
  std::vector<EditedCurve> curves;
  std::vector<std::vector<EditedCurve>> undo;
};

// A new track of the curve's kind holding its keys, not yet advanced.
std::unique_ptr<engine::gfx::AnimationTrack> MakeCurveTrack(const EditedCurve& curve);
