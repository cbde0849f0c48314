#include "game/proceduralGeometry.h"

#include <cmath>
#include <cstdint>

#include "game/meshBuilding.h"
#include "game/randomTable.h"

namespace orv {

using namespace build;

namespace {

constexpr float kPi = 3.14159265f;

// Keys into the random table are formed in int arithmetic where they can go negative; the
// table wraps them as their two's complement bit pattern.
std::uint32_t Key(int value) { return static_cast<std::uint32_t>(value); }

float Float(int value) { return static_cast<float>(value); }

// Walks an N x N grid of quads in z = 0, rows (j) outer and columns (i) inner, writing the
// positions and indices; edge(k) is the coordinate of the k-th grid line, the same for x
// and y, and cell(i, j, base) fills the other streams of the cell's four vertices. The
// mesh's streams are made by the caller, in the order the material lists them.
template <class Edge, class Cell>
void FillGrid(engine::gfx::LoadMesh& mesh, Float3* position, int n, Edge edge, Cell cell) {
  std::uint32_t* index = NewIndices(mesh);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const std::uint32_t base = 4u * static_cast<std::uint32_t>(j * n + i);
      const float x0 = edge(i), x1 = edge(i + 1), y0 = edge(j), y1 = edge(j + 1);
      position[base + 0] = {x0, y0, 0.0f};
      position[base + 1] = {x0, y1, 0.0f};
      position[base + 2] = {x1, y1, 0.0f};
      position[base + 3] = {x1, y0, 0.0f};
      index = QuadIndices(index, base);
      cell(i, j, base, x0, y0);
    }
  }
}

// The four corners of a billboard as offset signs, in the order its texture coordinates
// run.
constexpr Float2 kBillboardCorner[4] = {{-1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}};
constexpr Float2 kBillboardTexCoord[4] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};

// A mesh of `count` billboards: POSITION (the centre, from place), TEXCOORD 0 (the corner)
// and TEXCOORD 1 (the corner offset: half size h, third component from third(k)).
template <class Place, class Third>
MeshPtr Billboards(int count, float h, Place place, Third third) {
  MeshPtr mesh = NewMesh(4 * count, 6 * count);
  Float3* position = NewStream<Float3>(*mesh, "POSITION", 0);
  Float2* texCoord = NewStream<Float2>(*mesh, "TEXCOORD", 0);
  Float3* offset = NewStream<Float3>(*mesh, "TEXCOORD", 1);
  std::uint32_t* index = NewIndices(*mesh);
  for (int k = 0; k < count; ++k) {
    const std::uint32_t base = 4u * static_cast<std::uint32_t>(k);
    const Float3 centre = place(k);
    const float z = third(k);
    for (std::uint32_t v = 0; v < 4; ++v) {
      position[base + v] = centre;
      texCoord[base + v] = kBillboardTexCoord[v];
      offset[base + v] = {kBillboardCorner[v].x * h, kBillboardCorner[v].y * h, z};
    }
    index = QuadIndices(index, base);
  }
  return mesh;
}

// Bubble pieces: the fixed offsets and patch coordinates of the nine vertices, and the
// eight triangles of the 3 x 3 patch around the centre vertex 2.
constexpr Float3 kBubbleNormal[9] = {{-1, 1, 0}, {0, 1, 0},  {0, 0, -1}, {-1, 0, 0},  {1, 1, 0},
                                     {1, 0, 0},  {1, -1, 0}, {0, -1, 0}, {-1, -1, 0}};
constexpr Float2 kBubbleTexCoord[9] = {{0.0f, 1.0f}, {0.5f, 1.0f}, {0.5f, 0.5f}, {0.0f, 0.5f}, {1.0f, 1.0f},
                                       {1.0f, 0.5f}, {1.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.0f}};
constexpr std::uint32_t kBubbleIndices[24] = {0, 1, 3, 1, 2, 3, 1, 4, 2, 4, 5, 2,
                                              2, 5, 7, 5, 6, 7, 3, 2, 8, 2, 7, 8};

}  // namespace

MeshPtr MakePointsCube() {
  constexpr int kN = 256;
  MeshPtr mesh = NewMesh(4 * kN * kN, 6 * kN * kN);
  Float3* position = NewStream<Float3>(*mesh, "POSITION", 0);
  Float2* corner = NewStream<Float2>(*mesh, "TEXCOORD", 0);
  Float2* centre = NewStream<Float2>(*mesh, "TEXCOORD", 1);
  std::uint32_t* ring = NewStream<std::uint32_t>(*mesh, "TEXCOORD", 2);
  FillGrid(
      *mesh, position, kN, [](int k) { return (Float(k) / 128.0f - 1.0f) * 10.0f; },
      [&](int i, int j, std::uint32_t base, float, float) {
        const Float2 middle = {(Float(i) + 0.5f) / 256.0f, -(Float(j) + 0.5f) / 256.0f};
        const auto number = static_cast<std::uint32_t>(((i - 128) * (i - 128) + (j - 128) * (j - 128)) / 70 + 10);
        const Float2 corners[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        for (std::uint32_t v = 0; v < 4; ++v) {
          corner[base + v] = corners[v];
          centre[base + v] = middle;
          ring[base + v] = number;
        }
      });
  return mesh;
}

MeshPtr MakeIntroGrid() {
  constexpr int kN = 64;
  MeshPtr mesh = NewMesh(4 * kN * kN, 6 * kN * kN);
  Float3* position = NewStream<Float3>(*mesh, "POSITION", 0);
  Float2* texCoord = NewStream<Float2>(*mesh, "TEXCOORD", 0);
  std::uint32_t* random = NewStream<std::uint32_t>(*mesh, "TEXCOORD", 1);
  FillGrid(
      *mesh, position, kN, [](int k) { return Float(k) / 32.0f - 1.0f; },
      [&](int i, int j, std::uint32_t base, float x0, float y0) {
        const Float2 lowerLeft = {(x0 + 1.0f) / 2.0f, -(y0 + 1.0f) / 2.0f};
        const std::uint32_t value = randomInt(Key(140 * j * j + 217 * i)) & 63u;
        for (std::uint32_t v = 0; v < 4; ++v) {
          texCoord[base + v] = lowerLeft;
          random[base + v] = value;
        }
      });
  return mesh;
}

BubblesAndFlashes MakeBubblesAndFlashes() {
  constexpr int kPieces = 16 * 16 * 16;
  constexpr float kCell = 0.078125f;  // 20 / 256

  MeshPtr flashes = NewMesh(4 * kPieces, 6 * kPieces);
  Float3* flashPosition = NewStream<Float3>(*flashes, "POSITION", 0);
  Float3* flashTexCoord = NewStream<Float3>(*flashes, "TEXCOORD", 0);
  std::uint32_t* flashIndex = NewIndices(*flashes);

  MeshPtr bubbles = NewMesh(9 * kPieces, 24 * kPieces);
  Float3* bubblePosition = NewStream<Float3>(*bubbles, "POSITION", 0);
  Float3* bubbleNormal = NewStream<Float3>(*bubbles, "NORMAL", 0);
  Float2* bubbleTexCoord = NewStream<Float2>(*bubbles, "TEXCOORD", 0);
  std::uint32_t* bubbleIndex = NewIndices(*bubbles);

  for (int i = 0; i < 16; ++i) {
    for (int j = 0; j < 16; ++j) {
      for (int k = 0; k < 16; ++k) {
        const auto p = static_cast<std::uint32_t>(256 * i + 16 * j + k);
        const std::uint32_t r = randomInt(77789u * i + 1164778u * j + 111u * k) & 0xFFFu;
        const int column = static_cast<int>(r & 63u), row = static_cast<int>((r >> 6) & 63u);
        const float x = Float(column - 32) * kCell, y = Float(row - 32) * kCell;
        const float z = -3.4f * randomFloat(Key(1337 * (row - 32) + 17789 * (column - 32)));

        const std::uint32_t flash = 4 * p;
        // A phase per flash, from a part of the table the placement keys do not favour.
        const float phase = randomFloat(7u * p + 3u);
        const Float3 corners[4] = {{x, y, 0}, {x, y + kCell, 0}, {x + kCell, y + kCell, 0}, {x + kCell, y, 0}};
        const Float2 uv[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        for (std::uint32_t v = 0; v < 4; ++v) {
          flashPosition[flash + v] = corners[v];
          flashTexCoord[flash + v] = {uv[v].x, uv[v].y, phase};
        }
        flashIndex = QuadIndices(flashIndex, flash);

        const std::uint32_t piece = 9 * p;
        const Float3 middle = {x + kCell / 2.0f, y + kCell / 2.0f, z};
        for (std::uint32_t v = 0; v < 9; ++v) {
          bubblePosition[piece + v] = middle;
          bubbleNormal[piece + v] = kBubbleNormal[v];
          bubbleTexCoord[piece + v] = kBubbleTexCoord[v];
        }
        for (std::uint32_t offset : kBubbleIndices) *bubbleIndex++ = piece + offset;
      }
    }
  }
  return {std::move(bubbles), std::move(flashes)};
}

MeshPtr MakeElectric() {
  constexpr int kQuads = 512;
  return Billboards(
      kQuads, 0.1f * std::sqrt(2.0f),
      [](int q) {
        const float t = Float(q) / 512.0f;
        const float f = 1.0f - Float(q) * 0.0017578126f;
        const float radius = 4.0f * f * f * f;
        const float angle = (6.0f * Float(q) * kPi / 512.0f) / (2.0f - t);
        return Float3{radius * std::sin(angle), radius * std::cos(angle), -3.0f * Float(q) / 512.0f};
      },
      [](int q) { return Float(q) / 512.0f; });
}

MeshPtr MakeStars() {
  constexpr int kStars = 1024;
  return Billboards(
      kStars, 1.5f * std::sqrt(2.0f),
      [](int k) {
        const auto key = static_cast<std::uint32_t>(k);
        const float theta = Float(k) * kPi / 1024.0f;
        const float phi = kPi * randomFloat(key);
        const float r = 200.0f + 80.0f * randomFloat(key + 100u);
        return Float3{r * std::cos(theta), r * std::sin(theta) * std::cos(phi), r * std::sin(theta) * std::sin(phi)};
      },
      [](int k) { return Float(k) / 1024.0f; });
}

MeshPtr MakeSmoke() {
  constexpr int kPuffs = 128;
  MeshPtr mesh = NewMesh(4 * kPuffs, 6 * kPuffs);
  Float3* position = NewStream<Float3>(*mesh, "POSITION", 0);
  Float2* texCoord = NewStream<Float2>(*mesh, "TEXCOORD", 0);
  Float4* offset = NewStream<Float4>(*mesh, "TEXCOORD", 1);
  std::uint32_t* index = NewIndices(*mesh);
  for (int k = 0; k < kPuffs; ++k) {
    // Five table entries per puff, well away from the keys the other generators use most.
    const std::uint32_t key = 50000u + 5u * static_cast<std::uint32_t>(k);
    const Float3 centre = {(randomFloat(key) - 0.5f) * 8.0f, (randomFloat(key + 1) - 0.5f) * 4.0f,
                           -2.0f - 6.0f * randomFloat(key + 2)};
    const float h = 0.75f + 1.5f * randomFloat(key + 3);
    const float phase = randomFloat(key + 4);
    const std::uint32_t base = 4u * static_cast<std::uint32_t>(k);
    for (std::uint32_t v = 0; v < 4; ++v) {
      position[base + v] = centre;
      texCoord[base + v] = kBillboardTexCoord[v];
      offset[base + v] = {kBillboardCorner[v].x * h, kBillboardCorner[v].y * h, phase, Float(k) / 128.0f};
    }
    index = QuadIndices(index, base);
  }
  return mesh;
}

}  // namespace orv
