// demoinfo FILE
// Reads a demo file the way the engine's loader does, checks its interpolation and
// extrapolation names as the loader does, and prints the file as one JSON object on
// standard output: values as stored (rotations in radians, nothing negated), each key
// as [left time, left value, time, value, right time, right value]. A file the loader
// would refuse gives the loader's message on standard error and exit status 1; bad
// usage gives 2.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "engine/core/textConversion.h"
#include "tools/jsonText.h"
#include "engine/gfx/demoFileReader.h"
#include "platform/command_line.h"

// --help prints this tool's usage, not the demo program's switches.
PLATFORM_PROGRAM_HAS_ITS_OWN_HELP;

namespace {

using engine::gfx::DemoCurve;
using engine::gfx::DemoFile;
using engine::gfx::DemoObject;

const char kUsage[] =
    "usage: demoinfo FILE\n"
    "Checks a demo file as the engine's loader does and prints it as JSON.\n"
    "  --help  print this text\n";

using tools::JsonQuote;

// The fewest digits that read back as the same float32, so that a description
// compared against this output compares the stored bits. JSON has no infinities or
// NaN; a file can still hold them, and they print as null.
std::string Number(float value) {
  if (!std::isfinite(value)) return "null";
  // "-0" is an integer to JSON readers, and reads back as 0.
  if (value == 0.0f && std::signbit(value)) return "-0.0";
  char buf[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(value));
    const float back = std::strtof(buf, nullptr);
    if (std::memcmp(&back, &value, sizeof value) == 0) break;
  }
  return buf;
}

std::string Vector(const float (&v)[3]) { return "[" + Number(v[0]) + ", " + Number(v[1]) + ", " + Number(v[2]) + "]"; }

std::string CurveJson(const DemoCurve& curve) {
  std::string out = "{\"channel\": " + JsonQuote(curve.channel) + ", \"interpolation\": " + JsonQuote(curve.interpolation) +
                    ", \"extrapolation\": " + JsonQuote(curve.extrapolation) + ", \"keys\": [";
  for (std::size_t k = 0; k < curve.keys.size(); ++k) {
    const auto& key = curve.keys[k];
    out += (k ? ", [" : "[") + Number(key.leftTime) + ", " + Number(key.leftValue) + ", " + Number(key.time) + ", " +
           Number(key.value) + ", " + Number(key.rightTime) + ", " + Number(key.rightValue) + "]";
  }
  return out + "]}";
}

std::string ObjectJson(const DemoObject& object) {
  std::string out = "{\"type\": " + JsonQuote(object.type) + ", \"name\": " + JsonQuote(object.name) +
                    ", \"mesh\": " + JsonQuote(object.mesh) + ", \"parent\": " + JsonQuote(object.parent) +
                    ", \"location\": " + Vector(object.location) + ", \"rotation\": " + Vector(object.rotation) +
                    ", \"curves\": [";
  for (std::size_t c = 0; c < object.curves.size(); ++c) out += (c ? ", " : "") + CurveJson(object.curves[c]);
  return out + "]}";
}

// The loader refuses the first curve, in file order, whose interpolation or (then)
// extrapolation it does not know. Its message is kept whole; where it was found is put
// in front, since the message itself names neither file nor object.
bool Check(const DemoFile& file, const std::string& path) {
  for (std::size_t i = 0; i < file.objects.size(); ++i) {
    const DemoObject& object = file.objects[i];
    for (const DemoCurve& curve : object.curves) {
      std::string message;
      if (engine::gfx::DemoInterpolationOf(curve.interpolation) < 0) {
        message = engine::gfx::UnsupportedInterpolationMessage(curve.interpolation);
      } else if (engine::gfx::DemoExtrapolationOf(curve.extrapolation) < 0) {
        message = engine::gfx::UnsupportedExtrapolationMessage(curve.extrapolation);
      } else {
        continue;
      }
      std::cerr << "demoinfo: " << path << ": object " << i + 1 << " (" << JsonQuote(object.name) << "), curve "
                << JsonQuote(curve.channel) << ": " << message << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  bool switches = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (switches && (a == "--help" || a == "-h")) {
      std::cout << kUsage;
      return 0;
    } else if (switches && a == "--") {
      switches = false;
    } else if ((switches && !a.empty() && a[0] == '-') || a.empty() || !path.empty()) {
      std::cerr << "demoinfo: unexpected argument " << (a.empty() ? "\"\"" : a) << "\n" << kUsage;
      return 2;
    } else {
      path = a;
    }
  }
  if (path.empty()) {
    std::cerr << "demoinfo: name the demo file to read\n" << kUsage;
    return 2;
  }

  DemoFile file;
  try {
    file = engine::gfx::ReadDemoFile(path);
  } catch (const engine::gfx::DemoFileError& e) {
    // The reader's own messages name the file; the loader's fixed ones do not.
    const std::string message = e.what();
    const std::string named = "Demo file " + path + " ";
    std::cerr << "demoinfo: " << (message.compare(0, named.size(), named) == 0 ? "" : path + ": ") << message << "\n";
    return 1;
  }
  if (!Check(file, path)) return 1;

  std::string out = "{\"length\": " + std::to_string(file.length) + ", \"objects\": [";
  for (std::size_t i = 0; i < file.objects.size(); ++i) out += (i ? ", " : "") + ObjectJson(file.objects[i]);
  std::cout << out << "]}" << std::endl;
  return std::cout ? 0 : 1;
}
