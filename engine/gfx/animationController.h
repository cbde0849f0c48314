#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/api.h"
#include "engine/gfx/animationPipe.h"
#include "engine/gfx/animationTrack.h"
#include "engine/gfx/transformation.h"

namespace engine {
namespace gfx {

// All the curves of one animated object: the pipes that build its local transformation
// and the named tracks ("Layer", shader channels) whose values others read through
// value slots. Held by a shared pointer by the node or mesh record that plays it; owns
// every pipe and track.
//
// A value slot's address is handed out to shader bindings and to the node, so slots
// never move: room for MaxNamedChannels is reserved up front, and a named track beyond
// that is refused rather than letting the slots reallocate under their readers.
class ENGINE_API AnimationController {
 public:
  static constexpr size_t MaxNamedChannels = 50;

  AnimationController();
  ~AnimationController();
  AnimationController(const AnimationController&) = delete;
  AnimationController& operator=(const AnimationController&) = delete;

  // Replaces the pipe of the same channel (destroying it and its track), keeping the
  // pipes in ascending channel order. A null pipe is ignored.
  void AddPipe(std::unique_ptr<AnimationPipe> pipe);
  // Adds a track whose value is copied into a new slot after every update, and returns
  // that slot. A repeated name points to the newest slot; both tracks keep running.
  // Returns null, with a warning, when the track is null or all slots are taken (the
  // track is then destroyed).
  float* AddNamedTrack(std::unique_ptr<AnimationTrack> track, const std::string& name);
  // The slot of a named channel, or null when there is none.
  float* GetValueSlot(const std::string& name);

  // Advances every named track (then publishes its value) and every pipe's track by
  // `step` frames.
  void Update(float step);
  // Rewinds every track to frame 1 with value 0. Slots keep their values until the next
  // Update.
  void Reset();
  // The local transformation the pipes build from identity, applied in ascending
  // channel order. `step` is the frame's animation step.
  Transformation BuildTransformation(float step);

  const std::vector<std::unique_ptr<AnimationPipe>>& Pipes() const { return pipes; }
  size_t NamedTrackCount() const { return namedTracks.size(); }
  AnimationTrack* NamedTrack(size_t index) const { return namedTracks[index].get(); }
  // The name track `index` was added under.
  std::string NamedTrackName(size_t index) const;
  // Puts `replacement` in named track `index`'s place, its value slot kept (readers hold
  // its address), and hands back the old track.
  std::unique_ptr<AnimationTrack> ReplaceNamedTrack(size_t index, std::unique_ptr<AnimationTrack> replacement);

 private:
  std::vector<std::unique_ptr<AnimationPipe>> pipes;        // ascending channel id, one per id
  std::vector<float> values;                                // parallel to namedTracks; capacity fixed
  std::vector<std::unique_ptr<AnimationTrack>> namedTracks;
  std::map<std::string, float*> slots;
  std::vector<std::string> names;  // parallel to namedTracks
};

}  // namespace gfx
}  // namespace engine
