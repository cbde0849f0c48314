#pragma once

// The curve editor's "Save": edited curves written back into the text of the scene
// description a part is built from, only those curves' keys (and interpolation) changed,
// everything else in the text (comments, spacing, other objects and curves) kept.

#include <string>
#include <vector>

#include "authoring/curveEdit.h"

// Writes `curve` of object `object` into the description `text`. The object must be a
// table written in the text ({TYPE, NAME, ..., curves = {...}}) and the curve a table of
// that list ({CHANNEL, KEY, ...}) with as many keys as the curve had when loaded; keys
// the editor did not touch keep their text, touched and new ones are written as
// numbers (a Bezier curve's with their handles, so that the file plays what was seen),
// a key's text before it kept. Refuses, with the reason in *error and `text` as it was,
// where the keys are not there to write: the object or the curve made by code (a helper
// function, a loop), a touched key given by an expression, the key count changed since
// the load, or text that does not read as Lua.
bool WriteCurveText(std::string& text, const std::string& object, const EditedCurve& curve, std::string* error);

// Every edited curve of `edit` written into the description at `path`, all or nothing:
// false, with the reason naming the file and the curve in *error, when one cannot be
// written or the file cannot be read or replaced; the file is then as it was.
bool SaveCurves(const std::string& path, const CurveEdit& edit, std::string* error);
