#pragma once

#include "engine/api.h"

namespace engine {
namespace math {

// Small vector value types shared by the engine and the demo program. Plain members, copied by value.
// Equality is tolerant (absolute 0.001 per component) because the values come out of float arithmetic
// and the scene code compares positions it has computed along different paths.

class ENGINE_API Vector2f {
 public:
  Vector2f() : x(0.0f), y(0.0f) {}
  constexpr Vector2f(float ax, float ay) : x(ax), y(ay) {}

  void Assign(float ax, float ay) {
    x = ax;
    y = ay;
  }

  Vector2f& operator+=(const Vector2f& other);
  Vector2f& operator-=(const Vector2f& other);

  // Negates in place.
  void Invert();
  float Mag() const;
  float MagSquared() const;
  // Scales to unit length; the caller guarantees a non-zero vector.
  void Normalize();

  static float Dist(const Vector2f& a, const Vector2f& b);

  float x, y;
};

// Integer pair for pixel sizes and positions; always built from two values.
class ENGINE_API Vector2i {
 public:
  constexpr Vector2i(int ax, int ay) : x(ax), y(ay) {}

  int x, y;
};

class ENGINE_API Vector3f {
 public:
  Vector3f() : x(0.0f), y(0.0f), z(0.0f) {}
  constexpr Vector3f(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

  void Assign(float ax, float ay, float az) {
    x = ax;
    y = ay;
    z = az;
  }

  Vector3f& operator+=(const Vector3f& other);
  Vector3f& operator-=(const Vector3f& other);

  // Negated copy; Neg() is the same operation for call sites that read better with a name.
  Vector3f operator-() const;
  Vector3f Neg() const;
  // Negates in place.
  void Invert();
  float Mag() const;
  float MagSquared() const;
  // Scales to unit length; the caller guarantees a non-zero vector.
  void Normalize();
  float AddComponents() const;

  static float Dist(const Vector3f& a, const Vector3f& b);

  float x, y, z;
};

class ENGINE_API Vector4f {
 public:
  Vector4f() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
  constexpr Vector4f(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}
  constexpr Vector4f(const Vector3f& v, float aw) : x(v.x), y(v.y), z(v.z), w(aw) {}

  void Assign(float ax, float ay, float az, float aw) {
    x = ax;
    y = ay;
    z = az;
    w = aw;
  }

  Vector4f& operator+=(const Vector4f& other);
  Vector4f& operator-=(const Vector4f& other);

  // Length over all four components, w included.
  float Mag() const;
  float MagSquared() const;
  // Scales to unit length; the caller guarantees a non-zero vector.
  void Normalize();

  static float Dist(const Vector4f& a, const Vector4f& b);

  float x, y, z, w;
};

ENGINE_API Vector2f operator+(const Vector2f& a, const Vector2f& b);
ENGINE_API Vector2f operator-(const Vector2f& a, const Vector2f& b);
ENGINE_API Vector2f operator*(const Vector2f& a, float s);
ENGINE_API Vector2f operator*(float s, const Vector2f& a);
// Dot product.
ENGINE_API float operator*(const Vector2f& a, const Vector2f& b);
ENGINE_API bool operator==(const Vector2f& a, const Vector2f& b);

// Exact: integer components need no tolerance.
ENGINE_API bool operator==(const Vector2i& a, const Vector2i& b);

ENGINE_API Vector3f operator+(const Vector3f& a, const Vector3f& b);
ENGINE_API Vector3f operator-(const Vector3f& a, const Vector3f& b);
ENGINE_API Vector3f operator*(const Vector3f& a, float s);
ENGINE_API Vector3f operator*(float s, const Vector3f& a);
// Dot product.
ENGINE_API float operator*(const Vector3f& a, const Vector3f& b);
// Cross product.
ENGINE_API Vector3f operator^(const Vector3f& a, const Vector3f& b);
ENGINE_API bool operator==(const Vector3f& a, const Vector3f& b);

ENGINE_API Vector4f operator+(const Vector4f& a, const Vector4f& b);
ENGINE_API Vector4f operator-(const Vector4f& a, const Vector4f& b);
ENGINE_API Vector4f operator*(const Vector4f& a, float s);
ENGINE_API Vector4f operator*(float s, const Vector4f& a);
// Dot product over all four components.
ENGINE_API float operator*(const Vector4f& a, const Vector4f& b);
ENGINE_API bool operator==(const Vector4f& a, const Vector4f& b);

}  // namespace math
}  // namespace engine
