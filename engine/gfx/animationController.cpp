#include "engine/gfx/animationController.h"

#include <algorithm>
#include <utility>

#include "engine/core/logging.h"

namespace engine {
namespace gfx {

AnimationController::AnimationController() {
  values.reserve(MaxNamedChannels);
  namedTracks.reserve(MaxNamedChannels);
}

AnimationController::~AnimationController() = default;

void AnimationController::AddPipe(std::unique_ptr<AnimationPipe> pipe) {
  if (!pipe) return;
  const int32_t channel = pipe->Channel();
  auto byChannel = [](const std::unique_ptr<AnimationPipe>& p, int32_t id) { return p->Channel() < id; };
  auto at = std::lower_bound(pipes.begin(), pipes.end(), channel, byChannel);
  if (at != pipes.end() && (*at)->Channel() == channel) {
    *at = std::move(pipe);
  } else {
    pipes.insert(at, std::move(pipe));
  }
}

float* AnimationController::AddNamedTrack(std::unique_ptr<AnimationTrack> track, const std::string& name) {
  if (!track) return nullptr;
  if (values.size() >= MaxNamedChannels) {
    NEBLU_WARNING("Too many named animation channels, " + name + " dropped");
    return nullptr;
  }
  namedTracks.push_back(std::move(track));
  values.push_back(0.0f);
  float* slot = &values.back();
  slots[name] = slot;
  names.push_back(name);
  return slot;
}

std::string AnimationController::NamedTrackName(size_t index) const {
  // A repeated name points to the newest slot only; the older track keeps its name.
  return names[index];
}

std::unique_ptr<AnimationTrack> AnimationController::ReplaceNamedTrack(size_t index,
                                                                     std::unique_ptr<AnimationTrack> replacement) {
  namedTracks[index].swap(replacement);
  return replacement;
}

float* AnimationController::GetValueSlot(const std::string& name) {
  const auto found = slots.find(name);
  return found == slots.end() ? nullptr : found->second;
}

void AnimationController::Update(float step) {
  for (size_t i = 0; i < namedTracks.size(); ++i) {
    namedTracks[i]->Advance(step);
    values[i] = namedTracks[i]->Value();
  }
  for (const std::unique_ptr<AnimationPipe>& pipe : pipes) {
    if (AnimationTrack* track = pipe->Track()) track->Advance(step);
  }
}

void AnimationController::Reset() {
  for (const std::unique_ptr<AnimationTrack>& track : namedTracks) track->Reset();
  for (const std::unique_ptr<AnimationPipe>& pipe : pipes) {
    if (AnimationTrack* track = pipe->Track()) track->Reset();
  }
}

Transformation AnimationController::BuildTransformation(float step) {
  Transformation result;
  for (const std::unique_ptr<AnimationPipe>& pipe : pipes) pipe->Apply(step, result);
  return result;
}

}  // namespace gfx
}  // namespace engine
