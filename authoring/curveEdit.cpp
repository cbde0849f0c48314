#include "authoring/curveEdit.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/gfx/animationController.h"
#include "engine/gfx/animationPipe.h"

using engine::gfx::AnimationPipe;
using engine::gfx::AnimationTrack;
using engine::gfx::BezierAnimationTrack;
using engine::gfx::KeyPoint;

namespace {

struct ChannelName {
  int id;
  const char* name;
};

const ChannelName TransformChannels[] = {
    {engine::gfx::ChannelTime, "Time"},     {engine::gfx::ChannelLocX, "LocX"},
    {engine::gfx::ChannelLocY, "LocY"},     {engine::gfx::ChannelLocZ, "LocZ"},
    {engine::gfx::ChannelScaleX, "ScaleX"}, {engine::gfx::ChannelScaleY, "ScaleY"},
    {engine::gfx::ChannelScaleZ, "ScaleZ"}, {engine::gfx::ChannelDRotX, "dRotX"},
    {engine::gfx::ChannelRotX, "RotX"},     {engine::gfx::ChannelDRotY, "dRotY"},
    {engine::gfx::ChannelRotY, "RotY"},     {engine::gfx::ChannelDRotZ, "dRotZ"},
    {engine::gfx::ChannelRotZ, "RotZ"},
};

const char* ChannelNameOf(int id) {
  for (const ChannelName& channel : TransformChannels) {
    if (channel.id == id) return channel.name;
  }
  return nullptr;
}

// The loader gives every object its rest pose as constant curves from frame 0 to 100
// holding one value; no description writes a key at frame 0, so these are not curves
// anyone made.
bool IsRestPose(const AnimationTrack& track) {
  if (!dynamic_cast<const engine::gfx::ConstantAnimationTrack*>(&track) || track.KeyCount() != 2) return false;
  const auto& keys = track.Keys();
  return keys[0].time == 0.0f && keys[1].time == 100.0f && keys[0].value == keys[1].value;
}

CurveInterpolation InterpolationOf(const AnimationTrack& track) {
  if (dynamic_cast<const BezierAnimationTrack*>(&track)) return CurveInterpolation::Bezier;
  if (dynamic_cast<const engine::gfx::LinearAnimationTrack*>(&track)) return CurveInterpolation::Linear;
  return CurveInterpolation::Constant;
}

// Handles that make every Bezier segment the straight line between its keys: a third
// of the way along it (the curve parameter is the segment fraction).
void StraightHandles(std::vector<CurveKey>* keys) {
  const size_t n = keys->size();
  for (size_t k = 0; k < n; ++k) {
    CurveKey& key = (*keys)[k];
    const KeyPoint& p = key.point;
    const KeyPoint previous = k > 0 ? (*keys)[k - 1].point : KeyPoint{p.time - 3.0f, p.value};
    const KeyPoint next = k + 1 < n ? (*keys)[k + 1].point : KeyPoint{p.time + 3.0f, p.value};
    key.left = KeyPoint{p.time + (previous.time - p.time) / 3.0f, p.value + (previous.value - p.value) / 3.0f};
    key.right = KeyPoint{p.time + (next.time - p.time) / 3.0f, p.value + (next.value - p.value) / 3.0f};
  }
}

AnimationTrack* LiveTrack(engine::gfx::AnimationController& controller, const EditedCurve& curve,
                          AnimationPipe** pipe) {
  *pipe = nullptr;
  if (curve.pipeChannel < 0) {
    return curve.namedIndex < controller.NamedTrackCount() ? controller.NamedTrack(curve.namedIndex) : nullptr;
  }
  for (const auto& candidate : controller.Pipes()) {
    if (candidate->Channel() == curve.pipeChannel) {
      *pipe = candidate.get();
      return candidate->Track();
    }
  }
  return nullptr;
}

}  // namespace

const char* InterpolationWord(CurveInterpolation interpolation) {
  switch (interpolation) {
    case CurveInterpolation::Constant:
      return "Constant";
    case CurveInterpolation::Linear:
      return "Linear";
    case CurveInterpolation::Bezier:
      break;
  }
  return "Bezier";
}

float NearestBeat(float frame) { return 1.0f + std::round((frame - 1.0f) / FramesPerBeat) * FramesPerBeat; }

std::unique_ptr<AnimationTrack> MakeCurveTrack(const EditedCurve& curve) {
  std::unique_ptr<AnimationTrack> track;
  BezierAnimationTrack* bezier = nullptr;
  switch (curve.interpolation) {
    case CurveInterpolation::Constant:
      track.reset(new engine::gfx::ConstantAnimationTrack);
      break;
    case CurveInterpolation::Linear:
      track.reset(new engine::gfx::LinearAnimationTrack);
      break;
    case CurveInterpolation::Bezier:
      bezier = new BezierAnimationTrack;
      track.reset(bezier);
      break;
  }
  track->SetExtrapolation(curve.extrapolation);
  for (const CurveKey& key : curve.keys) {
    track->AddKey(key.point.time, key.point.value);
    if (bezier) bezier->AddHandles(key.left, key.right);
  }
  return track;
}

CurveEdit::CurveEdit(const std::string& name, const boost::shared_ptr<engine::gfx::AnimationController>& played,
                     bool cameraChild)
    : object(name), controller(played) {
  if (!controller) return;
  const auto take = [&](const AnimationTrack& track, const std::string& channel, int pipeChannel, size_t named) {
    EditedCurve curve;
    curve.channel = channel;
    curve.interpolation = InterpolationOf(track);
    curve.extrapolation = track.Extrapolation();
    curve.fileSign = cameraChild && channel == "LocZ" ? -1.0f : 1.0f;
    curve.pipeChannel = pipeChannel;
    curve.namedIndex = named;
    for (int k = 0; k < track.KeyCount(); ++k) {
      CurveKey key;
      key.point = track.Keys()[static_cast<size_t>(k)];
      key.origin = k;
      curve.keys.push_back(key);
    }
    const auto* bezier = dynamic_cast<const BezierAnimationTrack*>(&track);
    if (bezier && bezier->LeftHandles().size() == curve.keys.size() &&
        bezier->RightHandles().size() == curve.keys.size()) {
      for (size_t k = 0; k < curve.keys.size(); ++k) {
        curve.keys[k].left = bezier->LeftHandles()[k];
        curve.keys[k].right = bezier->RightHandles()[k];
      }
    } else {
      StraightHandles(&curve.keys);
    }
    curve.savedKeys = curve.keys.size();
    curves.push_back(curve);
  };
  for (const auto& pipe : controller->Pipes()) {
    const char* channel = ChannelNameOf(pipe->Channel());
    if (channel && pipe->Track() && !IsRestPose(*pipe->Track())) take(*pipe->Track(), channel, pipe->Channel(), 0);
  }
  for (size_t k = 0; k < controller->NamedTrackCount(); ++k)
    take(*controller->NamedTrack(k), controller->NamedTrackName(k), -1, k);
}

float CurveEdit::MoveKey(size_t index, size_t k, float time, float value, bool free) {
  EditedCurve& curve = curves.at(index);
  CurveKey& key = curve.keys.at(k);
  float to = free ? time : NearestBeat(time);
  // Times must rise from key to key; a frame apart keeps the segment playable.
  const float lower = k > 0 ? curve.keys[k - 1].point.time + 1.0f : -1e30f;
  const float upper = k + 1 < curve.keys.size() ? curve.keys[k + 1].point.time - 1.0f : 1e30f;
  to = lower <= upper ? std::clamp(to, lower, upper) : key.point.time;
  // A key taken and put back where it was is not an edit (Save would otherwise write it
  // out, and refuse it where the file computes it).
  if (to == key.point.time && value == key.point.value) return to;
  const KeyPoint shift{to - key.point.time, value - key.point.value};
  key.point = KeyPoint{to, value};
  key.left = KeyPoint{key.left.time + shift.time, key.left.value + shift.value};
  key.right = KeyPoint{key.right.time + shift.time, key.right.value + shift.value};
  key.changed = true;
  curve.edited = true;
  Apply(index);
  return to;
}

int CurveEdit::AddKey(size_t index, float time, bool free) {
  EditedCurve& curve = curves.at(index);
  const float at = free ? time : NearestBeat(time);
  size_t k = 0;
  while (k < curve.keys.size() && curve.keys[k].point.time < at) ++k;
  if ((k < curve.keys.size() && curve.keys[k].point.time - at < 1.0f) ||
      (k > 0 && at - curve.keys[k - 1].point.time < 1.0f)) {
    return -1;
  }
  Checkpoint();
  CurveKey key;
  key.point = KeyPoint{at, Sample(index, at, at, 1)[0]};
  // Flat handles a third of the way to each neighbour: the key is a resting point that
  // a move then shapes.
  const float before = k > 0 ? curve.keys[k - 1].point.time : at - 3.0f;
  const float after = k < curve.keys.size() ? curve.keys[k].point.time : at + 3.0f;
  key.left = KeyPoint{at - (at - before) / 3.0f, key.point.value};
  key.right = KeyPoint{at + (after - at) / 3.0f, key.point.value};
  key.changed = true;
  curve.keys.insert(curve.keys.begin() + static_cast<std::ptrdiff_t>(k), key);
  curve.edited = true;
  Apply(index);
  return static_cast<int>(k);
}

bool CurveEdit::DeleteKey(size_t index, size_t k) {
  EditedCurve& curve = curves.at(index);
  if (curve.keys.size() <= 1 || k >= curve.keys.size()) return false;
  Checkpoint();
  curve.keys.erase(curve.keys.begin() + static_cast<std::ptrdiff_t>(k));
  curve.edited = true;
  Apply(index);
  return true;
}

void CurveEdit::SetInterpolation(size_t index, CurveInterpolation interpolation) {
  EditedCurve& curve = curves.at(index);
  if (curve.interpolation == interpolation) return;
  Checkpoint();
  // A curve that becomes Bezier starts as the straight segments it had, so that only
  // the kind changes, not the path (a Constant curve then starts to glide).
  if (interpolation == CurveInterpolation::Bezier) StraightHandles(&curve.keys);
  curve.interpolation = interpolation;
  curve.interpolationChanged = true;
  curve.edited = true;
  Apply(index);
}

std::vector<float> CurveEdit::Sample(size_t index, float from, float to, int count) const {
  std::vector<float> values;
  if (count <= 0) return values;
  std::unique_ptr<AnimationTrack> track = MakeCurveTrack(curves.at(index));
  track->PlaceAt(from);
  values.push_back(track->Value());
  const float step = count > 1 ? (to - from) / static_cast<float>(count - 1) : 0.0f;
  for (int k = 1; k < count; ++k) {
    // Steps forward from the previous sample, as playback does: one segment search each.
    track->Advance(step);
    values.push_back(track->Value());
  }
  return values;
}

void CurveEdit::Checkpoint() { undo.push_back(curves); }

void CurveEdit::DropEmptyCheckpoint() {
  if (undo.empty() || undo.back().size() != curves.size()) return;
  const auto same = [](const KeyPoint& a, const KeyPoint& b) { return a.time == b.time && a.value == b.value; };
  for (size_t c = 0; c < curves.size(); ++c) {
    const EditedCurve& before = undo.back()[c];
    const EditedCurve& now = curves[c];
    if (before.interpolation != now.interpolation || before.keys.size() != now.keys.size()) return;
    for (size_t k = 0; k < now.keys.size(); ++k) {
      const CurveKey& a = before.keys[k];
      const CurveKey& b = now.keys[k];
      if (!same(a.point, b.point) || !same(a.left, b.left) || !same(a.right, b.right) || a.origin != b.origin) return;
    }
  }
  undo.pop_back();
}

bool CurveEdit::Undo() {
  if (undo.empty()) return false;
  curves = undo.back();
  undo.pop_back();
  for (size_t k = 0; k < curves.size(); ++k) Apply(k);
  return true;
}

bool CurveEdit::Edited() const {
  for (const EditedCurve& curve : curves) {
    if (curve.edited) return true;
  }
  return false;
}

void CurveEdit::MarkSaved() {
  undo.clear();
  for (EditedCurve& curve : curves) {
    for (size_t k = 0; k < curve.keys.size(); ++k) {
      curve.keys[k].origin = static_cast<int>(k);
      curve.keys[k].changed = false;
    }
    curve.savedKeys = curve.keys.size();
    curve.edited = false;
    curve.interpolationChanged = false;
  }
}

void CurveEdit::Apply(size_t index) {
  if (!controller) return;
  const EditedCurve& curve = curves[index];
  AnimationPipe* pipe = nullptr;
  AnimationTrack* live = LiveTrack(*controller, curve, &pipe);
  if (!live) return;
  std::vector<KeyPoint> keys, left, right;
  for (const CurveKey& key : curve.keys) {
    keys.push_back(key.point);
    left.push_back(key.left);
    right.push_back(key.right);
  }
  if (InterpolationOf(*live) == curve.interpolation) {
    // Handles first: placing the keys evaluates the curve.
    if (auto* bezier = dynamic_cast<BezierAnimationTrack*>(live)) bezier->ReplaceHandles(left, right);
    live->ReplaceKeys(keys);
    return;
  }
  // Another kind of curve is another track, started where the old one had got to.
  std::unique_ptr<AnimationTrack> track = MakeCurveTrack(curve);
  track->PlaceAt(live->UnwrappedTime());
  if (pipe) {
    pipe->ReplaceTrack(std::move(track));
  } else {
    controller->ReplaceNamedTrack(curve.namedIndex, std::move(track));
  }
}
