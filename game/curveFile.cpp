#include "game/curveFile.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/math/matrix.h"
#include "platform/paths.h"

namespace orv {

using engine::math::Matrix3x3;
using engine::math::Vector3f;

namespace {

constexpr std::size_t kIntBytes = 4;
constexpr std::size_t kPointBytes = 9 * 4;   // three float triples
constexpr std::size_t kObjectFixedBytes = 6 * 4;  // location and rotation

// Reads the file image front to back. Every count is checked against the bytes left
// before anything is read or allocated for it, so a broken file ends in a message, never
// in a read past the data or an allocation the file cannot back.
class Reader {
 public:
  Reader(const std::string& bytes, const std::string& name)
      : data(reinterpret_cast<const unsigned char*>(bytes.data())), size(bytes.size()), source(name) {}

  std::size_t Left() const { return size - at; }

  // Raises unless `bytes` more are left; `what` says what they were to hold.
  void Need(std::size_t bytes, const std::string& what) const {
    if (bytes <= Left()) return;
    throw CurveFileError(source + " ends early: " + what + " needs " + std::to_string(bytes) + " bytes at offset " +
                         std::to_string(at) + ", but only " + std::to_string(Left()) + " are left");
  }

  std::int32_t Int(const std::string& what) {
    Need(kIntBytes, what);
    const std::uint32_t bits = Bits();
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // A count that must not be negative.
  std::int32_t Count(const std::string& what) {
    const std::int32_t value = Int(what);
    if (value < 0) throw CurveFileError(source + ": " + what + " is negative (" + std::to_string(value) + ")");
    return value;
  }

  // The caller has checked that the bytes are there.
  float Float() {
    const std::uint32_t bits = Bits();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  Vector3f Vector() {
    const float x = Float();
    const float y = Float();
    const float z = Float();
    return Vector3f(x, y, z);
  }

  std::string Text(std::size_t length) {
    std::string text(reinterpret_cast<const char*>(data + at), length);
    at += length;
    return text;
  }

  const std::string& Source() const { return source; }

 private:
  std::uint32_t Bits() {
    const unsigned char* b = data + at;
    at += 4;
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }

  const unsigned char* data;
  std::size_t size;
  std::size_t at = 0;
  const std::string& source;
};

Curve ReadCurve(Reader& in, const Matrix3x3& rotation, const Vector3f& location, const std::string& where) {
  const std::int32_t count = in.Count("the point count of " + where);
  // p points and p - 1 lengths; computed in 64 bits, a count below 2^31 cannot overflow.
  const std::uint64_t points = static_cast<std::uint64_t>(count);
  const std::uint64_t bytes = points * kPointBytes + (points >= 2 ? (points - 1) * 4 : 0);
  if (bytes > in.Left())
    throw CurveFileError(in.Source() + " ends early: " + where + " has " + std::to_string(count) +
                         " points, which need " + std::to_string(bytes) + " bytes, but only " +
                         std::to_string(in.Left()) + " are left");

  Curve curve;
  curve.points.resize(points);
  for (CurvePoint& point : curve.points) {
    point.left = in.Vector() * rotation + location;
    point.knot = in.Vector() * rotation + location;
    point.right = in.Vector() * rotation + location;
  }
  if (points >= 2) {
    curve.lengths.resize(points - 1);
    float sum = 0.0f;
    for (float& length : curve.lengths) {
      sum += in.Float();
      length = sum;
    }
  }
  return curve;
}

}  // namespace

CurveSet ParseCurves(const std::string& bytes, const std::string& source) {
  if (bytes.size() < 4 || bytes.compare(0, 4, "CURV") != 0) throw CurveFileError("Not a curve file");
  Reader in(bytes, source);
  in.Text(4);

  CurveSet curves;
  const std::int32_t objects = in.Count("the object count");
  // Each object consumes bytes or raises, so even a huge count ends at the end of the data.
  for (std::int32_t object = 0; object < objects; ++object) {
    const std::string where = "object " + std::to_string(object + 1) + " of " + std::to_string(objects);
    const std::int32_t nameLength = in.Count("the name length of " + where);
    in.Need(static_cast<std::size_t>(nameLength), "the name of " + where);
    const std::string name = in.Text(static_cast<std::size_t>(nameLength));

    in.Need(kObjectFixedBytes, "the location and rotation of " + where);
    const Vector3f location = in.Vector();
    const Vector3f angles = in.Vector();
    Matrix3x3 rotation = Matrix3x3::Identity;
    rotation.ToXRot(angles.x);
    rotation.ToYRot(angles.y);
    rotation.ToZRot(angles.z);

    const std::int32_t count = in.Count("the curve count of " + where);
    std::vector<Curve>& list = curves[name];
    for (std::int32_t c = 0; c < count; ++c)
      list.push_back(ReadCurve(in, rotation, location, "curve " + std::to_string(c + 1) + " of " + where));
  }
  return curves;
}

CurveSet ReadCurves(const std::string& path) {
  const std::string native = platform::NativePath(path);
  // A folder opens like a file here but cannot be read as one, and a FIFO blocks the open.
  if (!platform::IsRegularFile(native)) throw CurveFileError("No such file found");
  std::ifstream file(native, std::ios::binary);
  if (!file) throw CurveFileError("No such file found");
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return ParseCurves(bytes, path);
}

Vector3f EvaluateCurve(const Curve& curve, int segment, float t) {
  if (segment < 0 || static_cast<std::size_t>(segment) + 1 >= curve.points.size())
    throw std::out_of_range("EvaluateCurve: segment " + std::to_string(segment) + " of a curve with " +
                            std::to_string(curve.points.size()) + " points");
  const CurvePoint& from = curve.points[static_cast<std::size_t>(segment)];
  const CurvePoint& to = curve.points[static_cast<std::size_t>(segment) + 1];
  const float u = 1.0f - t;
  return from.knot * (u * u * u) + from.right * (3.0f * t * u * u) + to.left * (3.0f * t * t * u) +
         to.knot * (t * t * t);
}

std::vector<float> SampleColourRamp(const CurveSet& curves) {
  constexpr int kSegments = 8;
  constexpr int kSamples = 32;
  const auto object = curves.find("Curve");
  if (object == curves.end() || object->second.empty())
    throw CurveFileError("The colour ramp needs a curve of the object \"Curve\", and the curve file has none");
  const Curve& curve = object->second.front();
  if (curve.points.size() < kSegments + 1)
    throw CurveFileError("The colour ramp needs " + std::to_string(kSegments + 1) +
                         " points on the first curve of \"Curve\", which has " + std::to_string(curve.points.size()));

  std::vector<float> ramp;
  ramp.reserve(kSegments * kSamples * 4);
  for (int s = 0; s < kSegments; ++s) {
    for (int i = 0; i < kSamples; ++i) {
      const Vector3f colour = EvaluateCurve(curve, s, static_cast<float>(i) / kSamples);
      ramp.push_back(colour.x);
      ramp.push_back(colour.y);
      ramp.push_back(colour.z);
      ramp.push_back(static_cast<float>(s) / 8.0f + static_cast<float>(i) / 256.0f);
    }
  }
  return ramp;
}

}  // namespace orv
