// A whole engine run, headless: the window and its device, the standing modules, a
// resource script with one resource of every kind but meshes, the music for a few
// passes, then a window close that ends the run. The script around it reads the log.
//   engine_run   (from a folder holding data/)

#include <cstdio>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/input.h"
#include "engine/core/kernel.h"
#include "engine/core/resourceManager.h"
#include "engine/core/screen.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/sceneInfo.h"
#include "engine/wrapper.h"
#include "platform/d3dx10.h"
#include "platform/win32.h"

namespace {

using engine::core::CWin32Window;

// Closes the window after a few passes, as a user would.
class CloseAfterPasses : public engine::core::Module {
 public:
  explicit CloseAfterPasses(int passes_) : passes(passes_) {
    name = L"CloseAfterPasses";
    priority = 200;
  }
  bool Start() override { return true; }
  void Update() override {
    if (--passes == 0) platform::InjectCloseRequest(CWin32Window::Get()->hWnd);
  }
  void Stop() override {}

 private:
  int passes;
};

// The texture the script loads, written with the device so the run needs no stored image.
bool WriteChecker() {
  const unsigned pixels[4] = {0xFF0000FFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF0000FFu};
  D3D10_TEXTURE2D_DESC desc = {};
  desc.Width = 2;
  desc.Height = 2;
  desc.MipLevels = 1;
  desc.ArraySize = 1;
  desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  desc.SampleDesc.Count = 1;
  desc.Usage = D3D10_USAGE_DEFAULT;
  desc.BindFlags = D3D10_BIND_SHADER_RESOURCE;
  D3D10_SUBRESOURCE_DATA data = {pixels, 8, 16};
  ID3D10Texture2D* texture = nullptr;
  if (FAILED(CWin32Window::Get()->device->CreateTexture2D(&desc, &data, &texture))) return false;
  const bool saved = SUCCEEDED(D3DX10SaveTextureToFileW(texture, D3DX10_IFF_PNG, L"data\\checker.png"));
  texture->Release();
  return saved;
}

}  // namespace

int main() {
  platform::ForceHeadless(true);
  engine::Logging(true);
  auto* screen = new engine::core::CScreen();
  CloseAfterPasses closer(5);
  try {
    engine::WindowSettings settings;
    settings.title = L"Orv";
    settings.width = 320;
    settings.height = 240;
    screen->Init(settings);
    engine::AddModule(screen, 1);
    engine::AddModule(new engine::core::InputUpdate(), 2);
    engine::AddModule(engine::gfx::SceneInfo::Get(), 12);
    if (!WriteChecker()) {
      std::fprintf(stderr, "engine_run: cannot write data/checker.png\n");
      return 1;
    }
    engine::core::ResourceManager::Get()->LoadResourceScript("data\\startup.resources");
    engine::AddModule(&closer, 10100);
    engine::StartApplication();
  } catch (const engine::core::Exception& e) {
    std::fprintf(stderr, "engine_run: %s (%s)\n", engine::core::ToNarrow(e.GetText()).c_str(),
                 engine::core::ToNarrow(e.GetFunction()).c_str());
    return 1;
  }
  return 0;
}
