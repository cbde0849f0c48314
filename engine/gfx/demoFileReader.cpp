#include "engine/gfx/demoFileReader.h"

#include <boost/filesystem/operations.hpp>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/gfx/byteReader.h"
#include "platform/paths.h"

namespace engine {
namespace gfx {

namespace {

// The smallest records the file can hold, so that a count is refused as soon as the
// bytes left could not possibly hold that many records.
constexpr std::size_t MinObjectBytes = 4 * 4 + 6 * 4 + 4;  // four empty strings, location, rotation, curve count
constexpr std::size_t MinCurveBytes = 3 * 4 + 4;           // three empty strings, key count
constexpr std::size_t KeyBytes = 6 * 4;

class Reader {
 public:
  Reader(const std::string& bytes, const std::string& path_) : in(bytes), path(path_) {}

  DemoFile Read() {
    std::int32_t magic = 0;
    if (!in.ReadInt(magic) || static_cast<std::uint32_t>(magic) != DemoFileMagic) {
      throw DemoFileError("Not NEBLU Demo file format");
    }
    DemoFile file;
    std::int32_t objectCount = 0;
    Int(objectCount, "the header");
    Int(file.length, "the header");
    // The program times its parts by the length; one that runs backwards would move
    // every later part's start.
    if (file.length < 0)
      throw DemoFileError("Demo file " + path + " holds a negative running time in its header (" +
                          std::to_string(file.length) + " frames)");
    if (objectCount > 0) {
      Fits(objectCount, MinObjectBytes, "objects", "the header");
      file.objects.resize(static_cast<std::size_t>(objectCount));
      for (std::int32_t i = 0; i < objectCount; ++i) ReadObject(file.objects[i], i);
    }
    return file;
  }

 private:
  void ReadObject(DemoObject& object, std::int32_t index) {
    where = "object " + std::to_string(index + 1);
    String(object.type);
    String(object.name);
    where = "object " + std::to_string(index + 1) + " (\"" + object.name + "\")";
    String(object.mesh);
    String(object.parent);
    Floats(object.location, 3);
    Floats(object.rotation, 3);
    std::int32_t curveCount = 0;
    Int(curveCount, where);
    if (curveCount < 0) object.negativeCurveCount = curveCount;
    if (curveCount <= 0) return;
    Fits(curveCount, MinCurveBytes, "curves", where);
    object.curves.resize(static_cast<std::size_t>(curveCount));
    for (auto& curve : object.curves) ReadCurve(curve);
  }

  void ReadCurve(DemoCurve& curve) {
    String(curve.channel);
    const std::string curveWhere = "curve " + curve.channel + " of " + where;
    String(curve.interpolation);
    String(curve.extrapolation);
    std::int32_t keyCount = 0;
    Int(keyCount, curveWhere);
    if (keyCount <= 0) return;
    Fits(keyCount, KeyBytes, "keys", curveWhere);
    curve.keys.resize(static_cast<std::size_t>(keyCount));
    for (auto& key : curve.keys) {
      float values[6];
      Floats(values, 6);
      key = DemoKey{values[0], values[1], values[2], values[3], values[4], values[5]};
    }
  }

  void Int(std::int32_t& value, const std::string& context) {
    if (!in.ReadInt(value)) EndsEarly(context);
  }

  void Floats(float* values, int count) {
    for (int i = 0; i < count; ++i) {
      std::int32_t bits = 0;
      if (!in.ReadInt(bits)) EndsEarly(where);
      std::memcpy(&values[i], &bits, 4);
    }
  }

  void String(std::string& text) {
    std::int32_t length = 0;
    Int(length, where);
    if (length < 0) throw DemoFileError("Demo file " + path + " holds a negative string length in " + where);
    Fits(length, 1, "bytes of text", where);
    text.resize(static_cast<std::size_t>(length));
    if (length > 0) in.Read(&text[0], text.size());
  }

  void Fits(std::int32_t count, std::size_t size, const char* what, const std::string& context) {
    if (!in.Has(count, size)) {
      throw DemoFileError("Demo file " + path + " holds a count of " + std::to_string(count) + " " + what + " in " +
                          context + ", more than its " + std::to_string(in.Left()) + " remaining bytes");
    }
  }

  [[noreturn]] void EndsEarly(const std::string& context) {
    throw DemoFileError("Demo file " + path + " ends early, in " + context);
  }

  ByteReader in;
  const std::string& path;
  std::string where = "the header";
};

}  // namespace

DemoFile ParseDemoFile(const std::string& bytes, const std::string& path) { return Reader(bytes, path).Read(); }

DemoFile ReadDemoFile(const std::string& path) {
  const std::string native = platform::NativePath(path);
  // Only a file is opened. A folder opens as a stream here, where the system the format
  // comes from refuses to open it, and a FIFO would block the open for ever: either way
  // there is no demo file at the path.
  boost::system::error_code notThere;
  std::ifstream file;
  if (boost::filesystem::is_regular_file(native, notThere)) file.open(native, std::ios::binary);
  if (!file.is_open()) throw DemoFileError("No such demo file found");
  std::string bytes;
  // A read error (a folder opens, then fails to read) comes out of the stream buffer as
  // an exception, whatever the stream's exception mask says.
  try {
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    throw DemoFileError("Demo file " + path + " could not be read");
  }
  if (file.bad()) throw DemoFileError("Demo file " + path + " could not be read");
  return ParseDemoFile(bytes, path);
}

int DemoInterpolationOf(const std::string& text) {
  if (text == "Bezier") return static_cast<int>(DemoInterpolation::Bezier);
  if (text == "Linear") return static_cast<int>(DemoInterpolation::Linear);
  if (text == "Constant") return static_cast<int>(DemoInterpolation::Constant);
  return -1;
}

int DemoExtrapolationOf(const std::string& text) {
  if (text == "Constant") return 0;
  if (text == "Cyclic") return 2;
  if (text == "Cyclic_extrapolation") return 3;
  return -1;
}

std::string UnsupportedInterpolationMessage(const std::string& text) {
  return text + " interpolation type not supported.";
}

std::string UnsupportedExtrapolationMessage(const std::string& text) {
  return text + " extrapolation type not supported.";
}

}  // namespace gfx
}  // namespace engine
