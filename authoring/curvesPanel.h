#pragma once

// The overlay's curve editor: one animated object of the part on screen, picked from a
// list, with its curves over a strip of the part's frames ruled in beats and bars. The
// picked curve's keys are dragged in time (onto the nearest beat; with Shift anywhere)
// and value, a double click adds a key on the curve, a right click deletes one; every
// edit plays at once. Ctrl+Z (or "Undo") steps back until "Save" writes the object's
// curves into the part's scene description (into its demo file where it has none).

#include <memory>
#include <string>

#include "authoring/curveEdit.h"

namespace engine {
namespace gfx {
class DemoLoader;
}
}  // namespace engine
class AuthoredDemo;

class CurvesPanel {
 public:
  // `descriptions`: the folder of the parts' scene descriptions (PART.scene.lua).
  explicit CurvesPanel(std::string descriptions = "content/scenes") : folder(std::move(descriptions)) {}

  // Builds the panel in the current ImGui frame for the part on screen.
  void Draw(AuthoredDemo& scene);
  // The same for `part`, `length` frames long, described at `description` (or, where
  // that file is missing, saved into its demo file `demoFile`), now at part frame `now`.
  void Draw(engine::gfx::DemoLoader& part, int length, const std::string& description, const std::string& demoFile,
            float now);

  // The object being edited; null before one is picked. For tests.
  const CurveEdit* Edit() const { return edit.get(); }
  // Where key `key` of curve `curve` was last drawn, in window pixels, and where frame
  // `frame` lies on the strip.
  float KeyX(size_t curve, size_t key) const;
  float KeyY(size_t curve, size_t key) const;
  float FrameX(float frame) const;
  // The middle of the Save button as last drawn, in window pixels.
  float SaveX() const { return saveX; }
  float SaveY() const { return saveY; }
  const std::string& Status() const { return status; }

 private:
  void Pick(engine::gfx::DemoLoader& part, const std::string& name);
  void DrawStrip(int length, float now);
  // The value range the strip shows for curve `index`, kept while a key is dragged.
  void ValueRange(size_t index, float* low, float* high) const;

  std::string folder;
  std::string object;  // picked by name, so that it is found again after a reload
  std::unique_ptr<CurveEdit> edit;
  size_t curve = 0;  // the curve whose keys are edited
  int dragged = -1;  // the key being dragged
  float dragLow = 0, dragHigh = 1;
  float grabFrames = 0, grabY = 0;       // from the cursor to the dragged key
  float grabMouseX = 0, grabMouseY = 0;  // where the cursor took it
  float left = 0, top = 0, width = 1, height = 1, frames = 1;
  float saveX = 0, saveY = 0;
  std::string status;
};
