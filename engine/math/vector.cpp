#include "engine/math/vector.h"

#include <cmath>

namespace engine {
namespace math {

namespace {

constexpr float kEqualTolerance = 0.001f;

bool Near(float a, float b) { return std::fabs(a - b) < kEqualTolerance; }

}  // namespace

// ---- Vector2f ----

Vector2f& Vector2f::operator+=(const Vector2f& other) {
  x += other.x;
  y += other.y;
  return *this;
}

Vector2f& Vector2f::operator-=(const Vector2f& other) {
  x -= other.x;
  y -= other.y;
  return *this;
}

void Vector2f::Invert() {
  x = -x;
  y = -y;
}

float Vector2f::Mag() const { return std::sqrt(MagSquared()); }

float Vector2f::MagSquared() const { return x * x + y * y; }

void Vector2f::Normalize() {
  const float inv = 1.0f / Mag();
  x *= inv;
  y *= inv;
}

float Vector2f::Dist(const Vector2f& a, const Vector2f& b) { return (a - b).Mag(); }

Vector2f operator+(const Vector2f& a, const Vector2f& b) { return Vector2f(a.x + b.x, a.y + b.y); }

Vector2f operator-(const Vector2f& a, const Vector2f& b) { return Vector2f(a.x - b.x, a.y - b.y); }

Vector2f operator*(const Vector2f& a, float s) { return Vector2f(a.x * s, a.y * s); }

Vector2f operator*(float s, const Vector2f& a) { return a * s; }

float operator*(const Vector2f& a, const Vector2f& b) { return a.x * b.x + a.y * b.y; }

bool operator==(const Vector2f& a, const Vector2f& b) { return Near(a.x, b.x) && Near(a.y, b.y); }

// ---- Vector2i ----

bool operator==(const Vector2i& a, const Vector2i& b) { return a.x == b.x && a.y == b.y; }

// ---- Vector3f ----

Vector3f& Vector3f::operator+=(const Vector3f& other) {
  x += other.x;
  y += other.y;
  z += other.z;
  return *this;
}

Vector3f& Vector3f::operator-=(const Vector3f& other) {
  x -= other.x;
  y -= other.y;
  z -= other.z;
  return *this;
}

Vector3f Vector3f::operator-() const { return Vector3f(-x, -y, -z); }

Vector3f Vector3f::Neg() const { return -*this; }

void Vector3f::Invert() {
  x = -x;
  y = -y;
  z = -z;
}

float Vector3f::Mag() const { return std::sqrt(MagSquared()); }

float Vector3f::MagSquared() const { return x * x + y * y + z * z; }

void Vector3f::Normalize() {
  const float inv = 1.0f / Mag();
  x *= inv;
  y *= inv;
  z *= inv;
}

float Vector3f::AddComponents() const { return x + y + z; }

float Vector3f::Dist(const Vector3f& a, const Vector3f& b) { return (a - b).Mag(); }

Vector3f operator+(const Vector3f& a, const Vector3f& b) { return Vector3f(a.x + b.x, a.y + b.y, a.z + b.z); }

Vector3f operator-(const Vector3f& a, const Vector3f& b) { return Vector3f(a.x - b.x, a.y - b.y, a.z - b.z); }

Vector3f operator*(const Vector3f& a, float s) { return Vector3f(a.x * s, a.y * s, a.z * s); }

Vector3f operator*(float s, const Vector3f& a) { return a * s; }

float operator*(const Vector3f& a, const Vector3f& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3f operator^(const Vector3f& a, const Vector3f& b) {
  return Vector3f(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

bool operator==(const Vector3f& a, const Vector3f& b) { return Near(a.x, b.x) && Near(a.y, b.y) && Near(a.z, b.z); }

// ---- Vector4f ----

Vector4f& Vector4f::operator+=(const Vector4f& other) {
  x += other.x;
  y += other.y;
  z += other.z;
  w += other.w;
  return *this;
}

Vector4f& Vector4f::operator-=(const Vector4f& other) {
  x -= other.x;
  y -= other.y;
  z -= other.z;
  w -= other.w;
  return *this;
}

float Vector4f::Mag() const { return std::sqrt(MagSquared()); }

float Vector4f::MagSquared() const { return x * x + y * y + z * z + w * w; }

void Vector4f::Normalize() {
  const float inv = 1.0f / Mag();
  x *= inv;
  y *= inv;
  z *= inv;
  w *= inv;
}

float Vector4f::Dist(const Vector4f& a, const Vector4f& b) { return (a - b).Mag(); }

Vector4f operator+(const Vector4f& a, const Vector4f& b) {
  return Vector4f(a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w);
}

Vector4f operator-(const Vector4f& a, const Vector4f& b) {
  return Vector4f(a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w);
}

Vector4f operator*(const Vector4f& a, float s) { return Vector4f(a.x * s, a.y * s, a.z * s, a.w * s); }

Vector4f operator*(float s, const Vector4f& a) { return a * s; }

float operator*(const Vector4f& a, const Vector4f& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

bool operator==(const Vector4f& a, const Vector4f& b) {
  return Near(a.x, b.x) && Near(a.y, b.y) && Near(a.z, b.z) && Near(a.w, b.w);
}

}  // namespace math
}  // namespace engine
