// Draws the settings dialog's banner, bitmap resource 106 of the executables that show
// the dialog: 370 x 80, 24-bit, a dark night sky with the engine's name in a pixel font;
// and the demo's desktop icon, a square of the same sky with the demo's name.
// Run at build time; nothing it writes is kept in the repository.
//
//   neblu_banner OUT.bmp
//   neblu_banner --icon NAME OUT.png

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

namespace {

constexpr int kBannerWidth = 370;
constexpr int kBannerHeight = 80;
constexpr int kIconSize = 128;

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
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
};

const Glyph* Find(char letter) {
  for (const Glyph& g : kGlyphs) {
    if (g.letter == letter) return &g;
  }
  return nullptr;
}

class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), pixels(static_cast<std::size_t>(width) * height) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb& At(int x, int y) { return pixels[y * width_ + x]; }

  void Blend(int x, int y, Rgb colour, float alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
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
    const int stride = (width_ * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height_);
    std::vector<std::uint8_t> file(54 + imageSize, 0);
    auto put32 = [&file](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width_);
    put32(22, height_);  // positive: bottom row first
    file[26] = 1;
    file[28] = 24;
    put32(34, imageSize);
    put32(38, 2835);  // 72 dpi
    put32(42, 2835);
    for (int y = 0; y < height_; ++y) {
      std::uint8_t* row = &file[54 + static_cast<std::size_t>(height_ - 1 - y) * stride];
      for (int x = 0; x < width_; ++x) {
        const Rgb& p = pixels[y * width_ + x];
        row[x * 3 + 0] = Byte(p.b);
        row[x * 3 + 1] = Byte(p.g);
        row[x * 3 + 2] = Byte(p.r);
      }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
  }

  bool WritePng(const std::string& path) const {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (const Rgb& p : pixels) {
      rgb.push_back(Byte(p.r));
      rgb.push_back(Byte(p.g));
      rgb.push_back(Byte(p.b));
    }
    return stbi_write_png(path.c_str(), width_, height_, 3, rgb.data(), width_ * 3) != 0;
  }

 private:
  static std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(std::lround(std::fmin(255.f, std::fmax(0.f, v)))); }

  const int width_;
  const int height_;
  std::vector<Rgb> pixels;
};

// The night sky both pictures stand on: a dark blue falling to near black, two faint
// clouds of colour placed as fractions of the picture, and stars from a fixed sequence,
// so every build draws the same sky.
void DrawSky(Canvas* canvas, int starCount) {
  const int width = canvas->Width(), height = canvas->Height();
  struct Glow {
    float x, y, radius;
    Rgb colour;
  } glows[] = {{300.f * width / 370, 20.f * height / 80, 90, {70, 40, 110}},
                {60.f * width / 370, 70.f * height / 80, 110, {20, 70, 90}}};
  for (int y = 0; y < height; ++y) {
    const float t = static_cast<float>(y) / (height - 1);
    for (int x = 0; x < width; ++x) {
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
  std::uint32_t seed = 0x4E42u;
  auto next = [&seed]() {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int i = 0; i < starCount; ++i) {
    const int x = static_cast<int>(next() % static_cast<std::uint32_t>(width));
    const int y = static_cast<int>(next() % static_cast<std::uint32_t>(height));
    const float brightness = 0.25f + static_cast<float>(next() % 1000) / 1000.f * 0.6f;
    canvas->Blend(x, y, Rgb{230, 235, 255}, brightness);
    if (brightness > 0.75f) {
      for (const auto& d : {std::pair<int, int>{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        canvas->Blend(x + d.first, y + d.second, Rgb{200, 210, 255}, brightness * 0.3f);
      }
    }
  }
}

// The name, with a soft shadow and a fading line under it, centred in a square.
void DrawIcon(Canvas* canvas, const std::string& name) {
  DrawSky(canvas, 70);
  const int scale = name.size() <= 3 ? 6 : 4;
  const int textWidth = static_cast<int>(name.size()) * 6 * scale - scale;
  const int x = (canvas->Width() - textWidth) / 2;
  const int y = (canvas->Height() - 7 * scale) / 2 - 6;
  canvas->Text(name, x + 2, y + 2, scale, Rgb{0, 0, 0}, Rgb{0, 0, 0}, 0.55f);
  canvas->Text(name, x, y, scale, Rgb{245, 247, 255}, Rgb{150, 185, 235}, 1.0f);
  const int lineY = y + 7 * scale + 8;
  for (int lx = x; lx < x + textWidth; ++lx) {
    const float fade = 1.0f - static_cast<float>(lx - x) / textWidth;
    canvas->Blend(lx, lineY, Rgb{90, 190, 210}, 0.2f + 0.6f * fade);
    canvas->Blend(lx, lineY + 1, Rgb{90, 190, 210}, 0.1f + 0.3f * fade);
  }
}

void Draw(Canvas* canvas) {
  DrawSky(canvas, 140);
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
  if (argc == 4 && std::strcmp(argv[1], "--icon") == 0) {
    std::string name = argv[2];
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    Canvas icon(kIconSize, kIconSize);
    DrawIcon(&icon, name);
    if (!icon.WritePng(argv[3])) {
      std::fprintf(stderr, "neblu_banner: cannot write %s\n", argv[3]);
      return 1;
    }
    return 0;
  }
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: neblu_banner OUT.bmp\n"
                 "       neblu_banner --icon NAME OUT.png\n"
                 "Writes the settings dialog's 370 x 80 banner as a 24-bit BMP, or a demo's 128 x 128\n"
                 "desktop icon (the banner's sky with NAME in capitals) as a PNG.\n");
    return argc == 2 ? 0 : 1;
  }
  Canvas canvas(kBannerWidth, kBannerHeight);
  Draw(&canvas);
  if (!canvas.WriteBmp(argv[1])) {
    std::fprintf(stderr, "neblu_banner: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
