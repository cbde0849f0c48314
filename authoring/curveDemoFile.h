#pragma once

// The curve editor's "Save" for a part that has no scene description (a scene converted
// from another format): the edited curves written into the part's demo file itself,
// everything else in it as it was.

#include <string>

#include "authoring/curveEdit.h"

// Every edited curve of `edit` given its keys, handles and interpolation in the demo file
// at `path`, all or nothing: false, with the reason naming the file and the curve in
// *error, when the file does not read, the object or the curve is not in it, the curve's
// key count differs from the one loaded, or the file cannot be replaced; the file is then
// as it was.
bool SaveCurvesToDemoFile(const std::string& path, const CurveEdit& edit, std::string* error);
