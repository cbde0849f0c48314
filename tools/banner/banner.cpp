// Draws the settings dialog's banner, bitmap resource 106 of the executables that show
// the dialog: 370 x 80, 24-bit, a dark night sky with the engine's name in a pixel font.
// Run at build time; nothing it writes is kept in the repository.
//
//   neblu_banner OUT.bmp

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 370;
constexpr int kHeight = 80;

struct Rgb {
  float r, g, b;
};

// 5 x 7 glyphs, top row first, most significant of the five bits on the left.
struct Glyph {
  char letter;
  std::uint8_t rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
};

const Glyph* Find(char letter) {
  for (const Glyph& g : kGlyphs) {
    if (g.letter == letter) return &g;
  }
  return nullptr;
}

class Canvas {
 public:
  Canvas() : pixels(kWidth * kHeight) {}

  Rgb& At(int x, int y) { return pixels[y * kWidth + x]; }

  void Blend(int x, int y, Rgb colour, float alpha) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    Rgb& p = At(x, y);
    p.r += (colour.r - p.r) * alpha;
    p.g += (colour.g - p.g) * alpha;
    p.b += (colour.b - p.b) * alpha;
  }

  // Text in the pixel font, each font pixel a scale x scale square; the fill runs from
  // `top` to `bottom` colour down the glyphs.
  void Text(const std::string& text, int x, int y, int scale, Rgb top, Rgb bottom, float alpha) {
    for (char letter : text) {
      if (const Glyph* g = Find(letter)) {
        for (int row = 0; row < 7; ++row) {
          for (int col = 0; col < 5; ++col) {
            if (!(g->rows[row] & (0x10 >> col))) continue;
            for (int dy = 0; dy < scale; ++dy) {
              const float t = static_cast<float>(row * scale + dy) / (7 * scale - 1);
              const Rgb c{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t,
                          top.b + (bottom.b - top.b) * t};
              for (int dx = 0; dx < scale; ++dx) Blend(x + col * scale + dx, y + row * scale + dy, c, alpha);
            }
          }
        }
      }
      x += 6 * scale;
    }
  }

  bool WriteBmp(const std::string& path) const {
    const int stride = (kWidth * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * kHeight);
    std::vector<std::uint8_t> file(54 + imageSize, 0);
    auto put32 = [&file](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, kWidth);
    put32(22, kHeight);  // positive: bottom row first
    file[26] = 1;
    file[28] = 24;
    put32(34, imageSize);
    put32(38, 2835);  // 72 dpi
    put32(42, 2835);
    for (int y = 0; y < kHeight; ++y) {
      std::uint8_t* row = &file[54 + static_cast<std::size_t>(kHeight - 1 - y) * stride];
      for (int x = 0; x < kWidth; ++x) {
        const Rgb& p = pixels[y * kWidth + x];
        row[x * 3 + 0] = Byte(p.b);
        row[x * 3 + 1] = Byte(p.g);
        row[x * 3 + 2] = Byte(p.r);
      }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
  }

 private:
  static std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(std::lround(std::fmin(255.f, std::fmax(0.f, v)))); }

  std::vector<Rgb> pixels;
};

void Draw(Canvas* canvas) {
  // Sky: a dark blue falling to near black, with two faint clouds of colour.
  struct Glow {
    float x, y, radius;
    Rgb colour;
  } glows[] = {{300, 20, 90, {70, 40, 110}}, {60, 70, 110, {20, 70, 90}}};
  for (int y = 0; y < kHeight; ++y) {
    const float t = static_cast<float>(y) / (kHeight - 1);
    for (int x = 0; x < kWidth; ++x) {
      Rgb p{20 - 12 * t, 24 - 14 * t, 42 - 24 * t};
      for (const Glow& g : glows) {
        const float d = std::hypot(x - g.x, (y - g.y) * 1.6f) / g.radius;
        const float w = d < 1 ? (1 - d) * (1 - d) * 0.45f : 0.f;
        p.r += g.colour.r * w;
        p.g += g.colour.g * w;
        p.b += g.colour.b * w;
      }
      canvas->At(x, y) = p;
    }
  }
  // Stars from a fixed sequence, so every build draws the same sky.
  std::uint32_t seed = 0x4E42u;
  auto next = [&seed]() {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int i = 0; i < 140; ++i) {
    const int x = static_cast<int>(next() % kWidth);
    const int y = static_cast<int>(next() % kHeight);
    const float brightness = 0.25f + static_cast<float>(next() % 1000) / 1000.f * 0.6f;
    canvas->Blend(x, y, Rgb{230, 235, 255}, brightness);
    if (brightness > 0.75f) {
      for (const auto& d : {std::pair<int, int>{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        canvas->Blend(x + d.first, y + d.second, Rgb{200, 210, 255}, brightness * 0.3f);
      }
    }
  }
  // The name with a soft shadow, a line under it, and what it is.
  canvas->Text("NEBLU", 26, 17, 6, Rgb{0, 0, 0}, Rgb{0, 0, 0}, 0.55f);
  canvas->Text("NEBLU", 24, 15, 6, Rgb{245, 247, 255}, Rgb{150, 185, 235}, 1.0f);
  for (int x = 24; x < 346; ++x) {
    const float fade = 1.0f - static_cast<float>(x - 24) / 322.f;
    canvas->Blend(x, 64, Rgb{90, 190, 210}, 0.2f + 0.6f * fade);
  }
  canvas->Text("DEMO ENGINE", 216, 43, 2, Rgb{150, 215, 230}, Rgb{100, 170, 200}, 1.0f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr, "usage: neblu_banner OUT.bmp\n"
                                              "Writes the settings dialog's 370 x 80 banner as a 24-bit BMP.\n");
    return argc == 2 ? 0 : 1;
  }
  Canvas canvas;
  Draw(&canvas);
  if (!canvas.WriteBmp(argv[1])) {
    std::fprintf(stderr, "neblu_banner: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
