// stillness [--fps N] [--parts S1,S2,...] [--threshold T] [--sheet OUT.png] [--every S] FRAMES_DIR
// Reads a capture's frames (FRAMES_DIR/frame000000.png ...) and prints, for each second,
// the mean absolute difference between consecutive frames (0 to 255, over red, green and
// blue), then the longest run of near-still frames (a difference below T) in each part
// (parts begin at the given second marks) and in the whole capture. --sheet writes one
// frame every S seconds side by side, eight to a row, as a contact sheet.

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: stillness [--fps N] [--parts S1,S2,...] [--threshold T] [--sheet OUT.png] [--every S] FRAMES_DIR\n"
    "Prints the mean absolute difference between consecutive frames of a capture, a line a\n"
    "second, and the longest run of near-still frames (difference below T, default 1 of\n"
    "255) in each part and in the whole capture. Parts begin at the seconds --parts lists\n"
    "(the first at 0). --sheet writes every S-th second's frame (default 3) as a contact\n"
    "sheet. Frames are FRAMES_DIR/frame000000.png on, as -capture frames writes them, at\n"
    "--fps a second (default 10). Exit status: 0 done, 1 unreadable frames, 2 bad usage.\n";

struct Frame {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

bool Load(const std::string& path, Frame* frame) {
  int w = 0, h = 0, channels = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> pixels(stbi_load(path.c_str(), &w, &h, &channels, 3), stbi_image_free);
  if (!pixels) return false;
  frame->width = w;
  frame->height = h;
  frame->rgb.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  return true;
}

double Difference(const Frame& a, const Frame& b) {
  if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 255;
  double sum = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(static_cast<int>(a.rgb[i]) - static_cast<int>(b.rgb[i]));
  return sum / static_cast<double>(a.rgb.size());
}

bool Number(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(*value);
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "stillness: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double fps = 10, threshold = 1, every = 3;
  std::vector<double> parts = {0};
  std::string sheet, folder;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    double value = 0;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if ((a == "--fps" || a == "--threshold" || a == "--every") && i + 1 < argc) {
      if (!Number(argv[++i], &value) || value <= 0) return Usage(a + " needs a number above 0");
      (a == "--fps" ? fps : a == "--threshold" ? threshold : every) = value;
    } else if (a == "--parts" && i + 1 < argc) {
      std::string list = argv[++i];
      for (std::size_t begin = 0; begin <= list.size();) {
        const std::size_t end = std::min(list.find(',', begin), list.size());
        if (!Number(list.substr(begin, end - begin).c_str(), &value) || value <= parts.back())
          return Usage("--parts needs rising seconds above 0, separated by commas");
        parts.push_back(value);
        begin = end + 1;
      }
    } else if (a == "--sheet" && i + 1 < argc) {
      sheet = argv[++i];
    } else if (!a.empty() && a[0] != '-' && folder.empty()) {
      folder = a;
    } else {
      return Usage("unexpected argument " + a);
    }
  }
  if (folder.empty()) return Usage("name the folder of frames");

  std::vector<double> differences;  // differences[k]: frame k against frame k - 1
  std::vector<Frame> picked;        // for the sheet
  Frame previous, current;
  for (int k = 0;; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%06d.png", k);
    if (!Load(folder + name, &current)) {
      if (k == 0) {
        std::fprintf(stderr, "stillness: %s%s: not a frame this tool reads\n", folder.c_str(), name);
        return 1;
      }
      break;
    }
    differences.push_back(k == 0 ? 0 : Difference(previous, current));
    const int stride = std::max(1, static_cast<int>(std::lround(every * fps)));
    if (!sheet.empty() && k % stride == 0) picked.push_back(current);
    std::swap(previous, current);
  }

  const std::size_t perSecond = static_cast<std::size_t>(std::max(1.0, std::round(fps)));
  std::printf("second  mean difference\n");
  for (std::size_t s = 0; s * perSecond < differences.size(); ++s) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t k = std::max<std::size_t>(1, s * perSecond); k < std::min(differences.size(), (s + 1) * perSecond); ++k, ++n)
      sum += differences[k];
    std::printf("%6zu  %.2f\n", s, n ? sum / static_cast<double>(n) : 0.0);
  }
  // The longest run of frames each within the threshold of the one before, per part.
  parts.push_back(static_cast<double>(differences.size()) / fps);
  double worst = 0;
  for (std::size_t p = 0; p + 1 < parts.size(); ++p) {
    const std::size_t first = static_cast<std::size_t>(std::ceil(parts[p] * fps - 1e-6));
    const std::size_t last = std::min(differences.size(), static_cast<std::size_t>(std::ceil(parts[p + 1] * fps - 1e-6)));
    std::size_t run = 0, longest = 0, longestEnd = first;
    for (std::size_t k = first + 1; k < last; ++k) {
      run = differences[k] < threshold ? run + 1 : 0;
      if (run > longest) longest = run, longestEnd = k;
    }
    const double seconds = static_cast<double>(longest) / fps;
    worst = std::max(worst, seconds);
    std::printf("part %zu (%.1f to %.1f s): longest near-still run %.1f s, ending at %.1f s\n", p + 1, parts[p],
                parts[p + 1], seconds, static_cast<double>(longestEnd) / fps);
  }
  std::printf("longest near-still run in the capture: %.1f s\n", worst);

  if (!sheet.empty() && !picked.empty()) {
    const int columns = 8, w = picked[0].width, h = picked[0].height;
    const int rows = static_cast<int>((picked.size() + columns - 1) / columns);
    std::vector<unsigned char> image(static_cast<std::size_t>(columns * w) * static_cast<std::size_t>(rows * h) * 3, 0);
    for (std::size_t i = 0; i < picked.size(); ++i) {
      if (picked[i].width != w || picked[i].height != h) continue;
      const int x0 = static_cast<int>(i % columns) * w, y0 = static_cast<int>(i / columns) * h;
      for (int y = 0; y < h; ++y)
        std::copy_n(&picked[i].rgb[static_cast<std::size_t>(y * w) * 3], static_cast<std::size_t>(w) * 3,
                    &image[(static_cast<std::size_t>(y0 + y) * static_cast<std::size_t>(columns * w) + static_cast<std::size_t>(x0)) * 3]);
    }
    if (!stbi_write_png(sheet.c_str(), columns * w, rows * h, 3, image.data(), columns * w * 3)) {
      std::fprintf(stderr, "stillness: %s: cannot be written\n", sheet.c_str());
      return 1;
    }
  }
  return 0;
}
