#include "tools/meshgen/demoModels.h"

#include <algorithm>
#include <cmath>

#include "tools/meshgen/pixelFont.h"
#include "tools/meshgen/shapes.h"

namespace meshgen {

namespace {

// A fixed linear congruential sequence: the same city on every machine and compiler,
// which the standard distributions do not promise. Draw one value per statement, since
// the order operands are evaluated in is unspecified.
class Random {
 public:
  explicit Random(std::uint32_t seed) : state(seed) {}
  // In [0, 1).
  float Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) * (1.0f / 16777216.0f);
  }
  float Between(float low, float high) { return low + (high - low) * Next(); }

 private:
  std::uint32_t state;
};

int Storeys(float height) { return std::max(1, static_cast<int>(std::lround(height))); }

// Up to two small plant-room boxes on a roof spanning `low` to `high` in x and y at
// height `roof`, kept clear of the roof's edges.
void AddRooftop(Mesh& city, Random& random, const Vector3f& low, const Vector3f& high, float roof) {
  if (random.Next() >= 0.5f) return;
  const int count = random.Next() < 0.4f ? 2 : 1;
  for (int k = 0; k < count; ++k) {
    const float width = std::min(random.Between(0.2f, 0.5f), high.x - low.x - 0.2f);
    const float depth = std::min(random.Between(0.2f, 0.5f), high.y - low.y - 0.2f);
    const float tall = random.Between(0.2f, 0.7f);
    const float x = random.Between(low.x + 0.07f, high.x - 0.07f - width);
    const float y = random.Between(low.y + 0.07f, high.y - 0.07f - depth);
    city.Append(Box(Vector3f(x, y, roof), Vector3f(x + width, y + depth, roof + tall)));
  }
}

}  // namespace

Mesh PointsCube() { return Box(Vector3f(-0.125f, -0.125f, -0.125f), Vector3f(0.125f, 0.125f, 0.125f)); }

Mesh CityBlock() {
  constexpr int kGrid = 12;
  constexpr float kSpacing = 2.5f;
  constexpr float kHalfExtent = 0.5f * kGrid * kSpacing;
  Random random(0x0C17B10Cu);
  Mesh city;
  for (int row = 0; row < kGrid; ++row) {
    for (int column = 0; column < kGrid; ++column) {
      const float cx = (static_cast<float>(column) - 0.5f * (kGrid - 1)) * kSpacing;
      const float cy = (static_cast<float>(row) - 0.5f * (kGrid - 1)) * kSpacing;
      const float width = random.Between(1.2f, 2.2f);
      const float depth = random.Between(1.2f, 2.2f);
      // Taller towards the middle of the block, with the odd tower anywhere.
      const float middle = 1.0f - std::max(std::fabs(cx), std::fabs(cy)) / kHalfExtent;
      const float a = random.Next();
      const float b = random.Next();
      const float c = random.Next();
      float height = 2.0f + 6.0f * a * b + 4.0f * middle * c;
      if (random.Next() < 0.05f) height = random.Between(10.0f, 14.0f);
      height = std::min(height, 14.0f);

      Vector3f low(cx - 0.5f * width, cy - 0.5f * depth, 0.0f);
      Vector3f high(cx + 0.5f * width, cy + 0.5f * depth, height);
      if (height > 5.0f && random.Next() < 0.45f) {
        // A setback: the upper storeys stand back from the street on every side.
        const float split = height * random.Between(0.45f, 0.7f);
        city.Append(Box(low, Vector3f(high.x, high.y, split), Storeys(split)));
        const float inset = random.Between(0.15f, 0.35f);
        low = Vector3f(low.x + inset, low.y + inset, split);
        high = Vector3f(high.x - inset, high.y - inset, height);
        city.Append(Box(low, high, Storeys(height - split)));
      } else {
        city.Append(Box(low, high, Storeys(height)));
      }
      AddRooftop(city, random, low, high, height);
    }
  }
  const float slab = kHalfExtent + 0.5f;
  city.Append(Box(Vector3f(-slab, -slab, -0.4f), Vector3f(slab, slab, 0.0f)));
  return Unwelded(city);
}

Mesh Sofa(int seats, float seatWidth) {
  constexpr float kArm = 0.2f;
  const float half = 0.5f * static_cast<float>(seats) * seatWidth;
  Mesh sofa;
  // Parts overlap a little rather than touch, so no two of them share an edge.
  for (float side : {-1.0f, 1.0f}) {
    for (float y : {-0.35f, 0.35f}) {
      const float x = side * (half + 0.5f * kArm);
      sofa.Append(BevelledBox(Vector3f(x - 0.04f, y - 0.04f, 0.0f), Vector3f(x + 0.04f, y + 0.04f, 0.1f), 0.01f));
    }
    const float inner = side * (half - 0.01f), outer = side * (half + kArm);
    sofa.Append(BevelledBox(Vector3f(std::min(inner, outer), -0.45f, 0.1f),
                            Vector3f(std::max(inner, outer), 0.45f, 0.62f), 0.04f));
  }
  sofa.Append(BevelledBox(Vector3f(-half, -0.43f, 0.1f), Vector3f(half, 0.4f, 0.36f), 0.02f));
  sofa.Append(BevelledBox(Vector3f(-half, 0.24f, 0.1f), Vector3f(half, 0.44f, 0.85f), 0.03f));
  for (int k = 0; k < seats; ++k) {
    const float x0 = -half + static_cast<float>(k) * seatWidth + 0.005f;
    const float x1 = x0 + seatWidth - 0.01f;
    sofa.Append(BevelledBox(Vector3f(x0, -0.45f, 0.36f), Vector3f(x1, 0.26f, 0.52f), 0.05f));
    sofa.Append(BevelledBox(Vector3f(x0, 0.08f, 0.5f), Vector3f(x1, 0.27f, 0.82f), 0.045f));
  }
  return sofa;
}

Mesh PixelWord(const std::string& text, float height, float depth) {
  const PixelMask mask = WordMask(text);
  const float pitch = height / static_cast<float>(mask.height);
  // A narrow groove between pixels keeps them apart as blocks and keeps each one a
  // closed box of its own.
  const float gap = 0.06f * pitch;
  const float left = -0.5f * pitch * static_cast<float>(mask.width);
  Mesh word;
  for (int r = 0; r < mask.height; ++r) {
    for (int c = 0; c < mask.width; ++c) {
      if (!mask.At(c, r)) continue;
      const float x = left + pitch * static_cast<float>(c);
      const float z = pitch * static_cast<float>(mask.height - 1 - r);
      word.Append(BevelledBox(Vector3f(x + 0.5f * gap, -0.5f * depth, z),
                              Vector3f(x + pitch - 0.5f * gap, 0.5f * depth, z + pitch - gap), 0.15f * pitch));
    }
  }
  return word;
}

Mesh GroundPlane() { return Plane(200.0f, 10, 10.0f); }

Mesh Planet() { return UVSphere(1.0f, 48, 24); }

Mesh IntroFrame() {
  const std::vector<float> edges = {-1.1f, -1.025f, 1.025f, 1.1f};
  return TurnedAboutX(ExtrudedMask(PixelMask::FromRows({"###", "#.#", "###"}), edges, edges, -0.025f, 0.025f));
}

Mesh PostTrigger() {
  Mesh trigger;
  const Vector3f normal(0, 0, 1);
  for (int i = 0; i < 3; ++i) trigger.AddVertex(Vector3f(0, 0, 0), normal, Vector2f(0, 0));
  trigger.AddTriangle(0, 1, 2);
  return trigger;
}

const std::vector<MeshFile>& DemoMeshFiles() {
  static const std::vector<MeshFile> files = {
      {"points.demo_scene/Cubes.nbl", PointsCube},
      {"city.demo_scene/Cube.nbl", CityBlock},
      {"city.demo_scene/Sofa.nbl", [] { return Sofa(3, 0.6f); }},
      {"city.demo_scene/Ground.nbl", GroundPlane},
      {"credits.demo_scene/Sofa.nbl", [] { return Sofa(3, 0.6f); }},
      {"credits.demo_scene/Sofa.001.nbl", [] { return Sofa(1, 0.7f); }},
      {"credits.demo_scene/creditA.nbl", [] { return PixelWord("Orv", 1.4f, 0.4f); }},
      {"credits.demo_scene/and.nbl", [] { return PixelWord("and", 0.84f, 0.24f); }},
      {"credits.demo_scene/creditB.nbl", [] { return PixelWord("NEBLU", 1.4f, 0.4f); }},
      {"stars.demo_scene/Planet.nbl", Planet},
      {"intro.demo_scene/Frame.nbl", IntroFrame},
      {"intro.demo_scene/Post.nbl", PostTrigger},
      {"points.demo_scene/Post.nbl", PostTrigger},
      {"city.demo_scene/Post.nbl", PostTrigger},
      {"stars.demo_scene/Post.nbl", PostTrigger},
      {"credits.demo_scene/Post.nbl", PostTrigger},
  };
  return files;
}

}  // namespace meshgen
