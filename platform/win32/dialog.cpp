#include <cstdio>
#include <map>
#include <vector>

#include "platform/paths.h"
#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

// Fonts and bitmaps are small records kept for the life of the process; their handles
// are indices with a tag, never pointers, so a stale handle cannot crash the layer.
constexpr std::uintptr_t kFontTag = 0x50000;
constexpr std::uintptr_t kBitmapTag = 0x60000;
constexpr std::uintptr_t kIconTag = 0x30000;

struct Gdi {
  std::vector<Font> fonts;
  std::vector<Bitmap> bitmaps;
  std::map<int, std::size_t> bitmapResources;  // resource id -> index in bitmaps
  std::map<int, bool> missingResources;        // ids looked for beside the executable and not found
  std::map<int, Icon> icons;
};

Gdi& Objects() {
  static Gdi gdi;
  return gdi;
}

template <typename T>
const T* Lookup(const std::vector<T>& items, const void* handle, std::uintptr_t tag) {
  const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
  if (value < tag || value >= tag + items.size()) return nullptr;
  return &items[value - tag];
}

HBITMAP AddBitmap(Bitmap bitmap) {
  Gdi& gdi = Objects();
  gdi.bitmaps.push_back(std::move(bitmap));
  return reinterpret_cast<HBITMAP>(kBitmapTag + gdi.bitmaps.size() - 1);
}

// A resource the program did not register is read once from the executable's resource
// folder; a missing one is reported once and stays missing.
const std::size_t* BitmapResource(int id) {
  Gdi& gdi = Objects();
  auto it = gdi.bitmapResources.find(id);
  if (it != gdi.bitmapResources.end()) return &it->second;
  if (gdi.missingResources.count(id)) return nullptr;
  const std::string path = ExecutableResourcePath("bitmap", id, "bmp");
  Bitmap bitmap{};
  std::string error;
  if (path.empty() || !ReadBmpFile(path, &bitmap, &error)) {
    std::fprintf(stderr, "platform: bitmap resource %d (%s): %s\n", id, path.c_str(), error.c_str());
    gdi.missingResources[id] = true;
    return nullptr;
  }
  AddBitmap(std::move(bitmap));
  gdi.bitmapResources[id] = gdi.bitmaps.size() - 1;
  return &gdi.bitmapResources[id];
}

}  // namespace

const Font* FindFont(HFONT font) { return Lookup(Objects().fonts, font, kFontTag); }

const Bitmap* FindBitmap(HBITMAP bitmap) { return Lookup(Objects().bitmaps, bitmap, kBitmapTag); }

const Icon* FindIconResource(int id) {
  auto it = Objects().icons.find(id);
  return it == Objects().icons.end() ? nullptr : &it->second;
}

const Icon* FindIcon(HICON icon) {
  const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(icon);
  if (value < kIconTag || value > kIconTag + 0xFFFF) return nullptr;
  return FindIconResource(static_cast<int>(value - kIconTag));
}

}  // namespace win

void RegisterBitmapResource(int id, int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<std::size_t>(width) * height * 3) {
    std::fprintf(stderr, "platform: bitmap resource %d: %d x %d needs %d bytes of RGB\n", id, width, height,
                 width * height * 3);
    return;
  }
  win::Gdi& gdi = win::Objects();
  win::AddBitmap(win::Bitmap{width, height, rgb});
  gdi.bitmapResources[id] = gdi.bitmaps.size() - 1;
  gdi.missingResources.erase(id);
}

void RegisterIconResource(int id, int width, int height, const std::vector<std::uint8_t>& rgba) {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) {
    std::fprintf(stderr, "platform: icon resource %d: %d x %d needs %d bytes of RGBA\n", id, width, height,
                 width * height * 4);
    return;
  }
  win::Objects().icons[id] = win::Icon{width, height, rgba};
}

bool BitmapPixels(HBITMAP bitmap, std::vector<std::uint8_t>* rgb, int* width, int* height) {
  const win::Bitmap* b = win::FindBitmap(bitmap);
  if (!b || !rgb || !width || !height) return false;
  *rgb = b->rgb;
  *width = b->width;
  *height = b->height;
  return true;
}

bool CaptureWindow(HWND window, std::vector<std::uint8_t>* rgb, int* width, int* height) {
  win::Window* w = win::Find(window);
  if (!w || !rgb || !width || !height) return false;
  return win::FltkCapture(*w, rgb, width, height);
}

}  // namespace platform

void InitCommonControls() {}

HFONT CreateFontW(int height, int /*width*/, int /*escapement*/, int /*orientation*/, int weight, DWORD italic,
                  DWORD /*underline*/, DWORD /*strikeOut*/, DWORD /*charSet*/, DWORD /*outPrecision*/,
                  DWORD /*clipPrecision*/, DWORD /*quality*/, DWORD /*pitchAndFamily*/, LPCWSTR faceName) {
  platform::win::Gdi& gdi = platform::win::Objects();
  gdi.fonts.push_back(platform::win::Font{height, weight, italic != 0, faceName ? faceName : L""});
  return reinterpret_cast<HFONT>(platform::win::kFontTag + gdi.fonts.size() - 1);
}

BOOL DeleteObject(HGDIOBJ object) { return object ? TRUE : FALSE; }

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  if (!instance || !IS_INTRESOURCE(name)) return nullptr;
  const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  const std::size_t* index = platform::win::BitmapResource(id);
  return index ? reinterpret_cast<HBITMAP>(platform::win::kBitmapTag + *index) : nullptr;
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int /*cx*/, int /*cy*/, UINT flags) {
  if (type != IMAGE_BITMAP) {
    std::fprintf(stderr, "platform: LoadImageW: only bitmaps are implemented\n");
    return nullptr;
  }
  if (!(flags & LR_LOADFROMFILE)) return LoadBitmapW(instance, name);
  if (!name || IS_INTRESOURCE(name)) return nullptr;
  const std::string path = platform::NativePath(std::wstring(name));
  platform::win::Bitmap bitmap{};
  std::string error;
  if (!platform::win::ReadBmpFile(path, &bitmap, &error)) {
    std::fprintf(stderr, "platform: LoadImageW: %s: %s\n", path.c_str(), error.c_str());
    return nullptr;
  }
  return platform::win::AddBitmap(std::move(bitmap));
}

HWND GetDlgItem(HWND dialog, int id) {
  platform::win::Window* d = platform::win::Find(dialog);
  if (!d) return nullptr;
  for (HWND child : d->children) {
    if (platform::win::Window* c = platform::win::Find(child); c && c->id == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  platform::win::Window* c = platform::win::Find(control);
  return c && c->parent ? c->id : 0;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageW(control, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageW(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL EndDialog(HWND dialog, LONG_PTR /*result*/) {
  if (!IsWindow(dialog)) return FALSE;
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}
