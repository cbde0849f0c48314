#pragma once

// The demo file as stored: a header and a flat list of objects with their curves, read
// whole and checked for size before anything is built from it. The loader turns it into a
// scene; the tools print and write it.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/api.h"

namespace engine {
namespace gfx {

// Handles are kept as stored even for curves that do not use them.
struct DemoKey {
  float leftTime, leftValue;
  float time, value;
  float rightTime, rightValue;
};

struct DemoCurve {
  std::string channel;
  std::string interpolation;  // "Bezier", "Linear", "Constant"; checked by the loader
  std::string extrapolation;  // "Constant", "Cyclic", "Cyclic_extrapolation"
  std::vector<DemoKey> keys;
};

struct DemoObject {
  std::string type;  // "Mesh", "Lamp", "Camera"; anything else holds a transformation only
  std::string name;
  std::string mesh;
  std::string parent;  // empty: top level
  float location[3];
  float rotation[3];  // radians, about x, y, z
  std::vector<DemoCurve> curves;
  // A count below 0 holds no records, yet like any count but 0 it makes the object an
  // animated one; kept so that writing the file back keeps that meaning.
  std::int32_t negativeCurveCount = 0;
};

struct DemoFile {
  std::int32_t length = 0;  // running time in frames of 1/25 s
  std::vector<DemoObject> objects;
};

// Why a demo file could not be read. The message is the one users see; the loader logs
// it as an error, the tools print it.
class ENGINE_API DemoFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the file at `path` (an engine path, "\\" separators allowed). Raises
// DemoFileError with "No such demo file found" when it is not a file that can be opened,
// "Not NEBLU Demo file format" for a wrong magic, and a message naming the file when it
// ends early, holds a count larger than its bytes or a negative running time.
ENGINE_API DemoFile ReadDemoFile(const std::string& path);
// The same for a file image already in memory; `path` only names it in messages.
ENGINE_API DemoFile ParseDemoFile(const std::string& bytes, const std::string& path);

// The track kinds and extrapolation modes the loader accepts, by their stored names.
enum class DemoInterpolation { Bezier, Linear, Constant };
// -1 for a text that names none; otherwise the kind's enumerator value or the
// extrapolation mode number (0, 2, 3).
ENGINE_API int DemoInterpolationOf(const std::string& text);
ENGINE_API int DemoExtrapolationOf(const std::string& text);
// The loader's messages for texts the functions above do not know.
ENGINE_API std::string UnsupportedInterpolationMessage(const std::string& text);
ENGINE_API std::string UnsupportedExtrapolationMessage(const std::string& text);

// The magic "DEMO" as one little-endian 32-bit value.
constexpr std::uint32_t DemoFileMagic = 0x4F4D4544;

}  // namespace gfx
}  // namespace engine
