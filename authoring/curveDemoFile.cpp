#include "authoring/curveDemoFile.h"

#include "engine/gfx/demoFileReader.h"
#include "authoring/fileReplace.h"
#include "tools/demo/demoWriter.h"

bool SaveCurvesToDemoFile(const std::string& path, const CurveEdit& edit, std::string* error) {
  engine::gfx::DemoFile file;
  try {
    file = engine::gfx::ReadDemoFile(path);
  } catch (const engine::gfx::DemoFileError& e) {
    *error = e.what() + std::string("; not saved");
    return false;
  }
  engine::gfx::DemoObject* object = nullptr;
  for (engine::gfx::DemoObject& candidate : file.objects) {
    if (candidate.name == edit.Object() && !object) object = &candidate;
  }
  for (const EditedCurve& curve : edit.Curves()) {
    if (!curve.edited) continue;
    if (!object) {
      *error = path + ": object " + edit.Object() + " is not in the file; not saved";
      return false;
    }
    const std::string what = path + ": curve " + curve.channel + " of " + edit.Object();
    // Of two curves of a channel the later one plays, as the loader replaces the first.
    engine::gfx::DemoCurve* stored = nullptr;
    for (engine::gfx::DemoCurve& candidate : object->curves) {
      if (candidate.channel == curve.channel) stored = &candidate;
    }
    if (!stored) {
      *error = what + " is not in the file; not saved";
      return false;
    }
    if (stored->keys.size() != curve.savedKeys) {
      *error = what + " has " + std::to_string(stored->keys.size()) + " keys in the file, " +
               std::to_string(curve.savedKeys) + " where it was loaded from: the file changed since; not saved";
      return false;
    }
    const float sign = curve.fileSign;
    stored->keys.clear();
    for (const CurveKey& key : curve.keys) {
      stored->keys.push_back(engine::gfx::DemoKey{key.left.time, sign * key.left.value, key.point.time,
                                                  sign * key.point.value, key.right.time, sign * key.right.value});
    }
    stored->interpolation = InterpolationWord(curve.interpolation);
  }
  return ReplaceFileText(path, demo::EncodeDemoFile(file), error);
}
