// The capture path alone, with nothing drawn: frames of the demo (a capture's PNG files,
// in turn, so that the encoders see a moving picture) copied into the swap chain's back
// buffer and presented, COUNT presents in all. The layer reads each present back and
// hands it to the PNG writer or to ffmpeg, as -capture or -video on this program's own
// command line say, exactly as it does for the demo. Prints the frames a second from the
// first present to the last frame written (the writer drained, ffmpeg finished), and
// the CPU time a frame of every thread, ffmpeg's included.
//   capture_path FRAMES_DIR COUNT -capture DIR | -video FILE.mp4 [-fps N]
// With NEBLU_CAPTURE_SINK=null the frames are neither read back nor written: the copy
// and the present alone, what the path costs without capturing.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <stb/stb_image.h>
#include <sys/resource.h>

#include "platform/capture/session.h"
#include "platform/command_line.h"
#include "platform/d3d10.h"
#include "platform/win32.h"

PLATFORM_PROGRAM_HAS_ITS_OWN_HELP;

namespace {

// CPU seconds of this process and of its children that have ended (ffmpeg, once the
// capture has finished).
double CpuSeconds() {
  double total = 0.0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    total += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  }
  return total;
}

template <typename T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool help = argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-help");
  if (argc < 3) {
    std::fprintf(help ? stdout : stderr,
                 "usage: capture_path FRAMES_DIR COUNT -capture DIR | -video FILE.mp4 [-fps N]\n"
                 "Presents the PNG frames of FRAMES_DIR in turn, COUNT times in all, with nothing drawn, and\n"
                 "prints how fast the capture switches after them read back and wrote them.\n");
    return help ? 0 : 2;
  }
  const int count = std::atoi(argv[2]);
  std::vector<std::string> files;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], code)) {
    if (entry.path().extension() == ".png") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  if (files.empty() || count <= 0) {
    std::fprintf(stderr, "capture_path: %s\n",
                 files.empty() ? (std::string(argv[1]) + ": no PNG files there").c_str() : "COUNT must be positive");
    return 1;
  }
  int width = 0, height = 0;
  std::vector<stbi_uc*> frames;
  for (const std::string& file : files) {
    int w = 0, h = 0, channels = 0;
    frames.push_back(stbi_load(file.c_str(), &w, &h, &channels, 4));
    if (!frames.back() || (width && (w != width || h != height))) {
      std::fprintf(stderr, "capture_path: %s: %s\n", file.c_str(),
                   frames.back() ? "not the size of the first frame" : stbi_failure_reason());
      return 1;
    }
    width = w;
    height = h;
  }
  platform::ForceHeadless(true);

  DXGI_SWAP_CHAIN_DESC desc = {};
  desc.BufferDesc = {static_cast<UINT>(width), static_cast<UINT>(height), {60, 1}, DXGI_FORMAT_R8G8B8A8_UNORM,
                     DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED, DXGI_MODE_SCALING_UNSPECIFIED};
  desc.SampleDesc = {1, 0};
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 1;
  desc.Windowed = TRUE;
  IDXGISwapChain* chain = nullptr;
  ID3D10Device* device = nullptr;
  ID3D10Texture2D* backBuffer = nullptr;
  std::vector<ID3D10Texture2D*> pictures(frames.size(), nullptr);
  D3D10_TEXTURE2D_DESC pictureDesc = {};
  pictureDesc.Width = static_cast<UINT>(width);
  pictureDesc.Height = static_cast<UINT>(height);
  pictureDesc.MipLevels = 1;
  pictureDesc.ArraySize = 1;
  pictureDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  pictureDesc.SampleDesc = {1, 0};
  pictureDesc.Usage = D3D10_USAGE_DEFAULT;
  pictureDesc.BindFlags = D3D10_BIND_SHADER_RESOURCE;
  if (FAILED(D3D10CreateDeviceAndSwapChain(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION, &desc,
                                           &chain, &device)) ||
      FAILED(chain->GetBuffer(0, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(&backBuffer)))) {
    std::fprintf(stderr, "capture_path: no device or swap chain at %dx%d\n", width, height);
    return 1;
  }
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const D3D10_SUBRESOURCE_DATA initial = {frames[i], static_cast<UINT>(width) * 4, 0};
    if (FAILED(device->CreateTexture2D(&pictureDesc, &initial, &pictures[i]))) {
      std::fprintf(stderr, "capture_path: no texture for %s\n", files[i].c_str());
      return 1;
    }
    stbi_image_free(frames[i]);
  }

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const double cpuAtStart = CpuSeconds();
  for (int i = 0; i < count; ++i) {
    device->CopyResource(backBuffer, pictures[static_cast<std::size_t>(i) % pictures.size()]);
    chain->Present(0, 0);
  }
  platform::EndCapture();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuAtStart;
  std::printf("capture_path: %d frames of %dx%d in %.3f s: %.1f frames a second, %.2f ms a frame, cpu %.2f ms a frame\n",
              count, width, height, seconds, count / seconds, seconds * 1e3 / count, cpu * 1e3 / count);
  for (ID3D10Texture2D*& picture : pictures) Release(picture);
  Release(backBuffer);
  Release(device);
  Release(chain);
  return 0;
}
