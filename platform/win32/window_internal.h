#pragma once

// The layer's own record of every window, shared by the Win32-shaped calls and the
// native back ends (SDL2 windows, dialog-toolkit windows). Not exported: the engine
// sees HWNDs only. Everything here runs on the thread that makes the windows.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"

struct SDL_Window;

namespace platform {
namespace win {

enum class ControlKind { NotAControl, Static, Button, ListBox };

// State of a control; the dialog toolkit's widget only mirrors it.
struct ControlState {
  ControlKind kind = ControlKind::NotAControl;
  bool checked = false;               // check boxes
  std::vector<std::wstring> items;    // list boxes
  int selection = -1;                 // list boxes: -1 for none
  HBITMAP image = nullptr;            // SS_BITMAP statics
  HFONT font = nullptr;
};

struct Window;

// What a top-level window is shown with. Each call mirrors a change the layer has
// already made to its record; a back end never changes the record behind the layer's
// back except through the Post* helpers below.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual void SetVisible(Window& window, bool visible) = 0;
  virtual void SetTitle(Window& window) = 0;
  // The record's client rectangle moved or changed size.
  virtual void SetBounds(Window& window) = 0;
  virtual void SetTopmost(Window& window, bool topmost) = 0;
  // A control was created, changed state or text, or is about to be destroyed.
  virtual void ControlCreated(Window& parent, Window& control) = 0;
  virtual void ControlChanged(Window& control) = 0;
  virtual void ControlDestroyed(Window& control) = 0;
  virtual void FocusControl(Window& control) = 0;
  virtual void Redraw(Window& window) = 0;
  // The size of the native window, for tests.
  virtual bool NativeSize(const Window& window, int* width, int* height) const = 0;
  // Input as the native system would deliver it; false where the back end leaves it
  // to the layer (then the layer makes the message itself).
  virtual bool InjectKey(Window& window, UINT vk, bool down) = 0;
  virtual bool InjectMouseMove(Window& window, int x, int y) = 0;
  virtual bool InjectMouseButton(Window& window, Window* control, int button, bool down, int x, int y) = 0;
  virtual bool InjectClose(Window& window) = 0;
};

struct Window {
  HWND handle = nullptr;
  std::wstring className;
  WNDPROC proc = nullptr;  // null for controls: the layer answers their messages
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;
  HICON icon = nullptr;  // the class icon
  HINSTANCE instance = nullptr;  // as given to CreateWindowExW
  int id = 0;
  std::wstring text;
  // Client rectangle: for a top-level window in screen coordinates; for a control in
  // its parent's client coordinates. Controls have no frame.
  int x = 0, y = 0, width = 0, height = 0;
  bool visible = false;
  bool topmost = false;
  bool enabled = true;
  bool destroying = false;
  std::vector<HWND> children;
  ControlState control;
  std::unique_ptr<Backend> backend;  // top-level windows with a display
  bool keyDown[256] = {};            // for the repeat bit of WM_KEYDOWN
  bool mouseSeen = false;
};

Window* Find(HWND handle);
Window* TopLevelOf(Window& window);

// Frame sizes of a style: left, top, right, bottom thickness of the frame around the
// client area.
void FrameMetrics(DWORD style, DWORD exStyle, int* left, int* top, int* right, int* bottom);

// Queue helpers for the back ends and the layer itself.
DWORD MessageTime();
void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostKey(Window& window, UINT vk, bool down, int scanCode);
void PostMouseMove(Window& window, int x, int y);
void PostMouseButton(Window& window, int button, bool down, int x, int y);
void PostClose(Window& window);
// Turns a Ctrl-C or SIGTERM since the last call into close requests for every top-level
// window (a quit message when there is none); the handlers are installed on the first call
// unless the program asked for them at load (PLATFORM_PROGRAM_CLOSES_ON_INTERRUPT).
void DeliverInterrupt();
// Whether a Ctrl-C or SIGTERM waits for DeliverInterrupt, for loops that pump no messages
// (a message box's).
bool InterruptPending();
// Notifications from a control to its parent (WM_COMMAND), posted in input order.
void Notify(Window& control, WORD code);
// The layer's own input cursor position (screen coordinates) for headless windows.
void SetCursor(int x, int y);
POINT CursorPos();

// A control's message handler (controls have no window procedure of their own).
LRESULT ControlMessage(Window& control, UINT message, WPARAM wParam, LPARAM lParam);
// Click handling shared by headless windows and the widgets: a list box row, a button.
void ClickControl(Window& control, int x, int y);

void SetFocusWindow(HWND window);
HWND FocusWindow();

// Native event sources drained by the queue; each is a no-op until its back end starts.
void PumpSdl();
bool SdlActive();
void WaitSdl(int milliseconds);
void PumpFltk(double waitSeconds);
bool FltkActive();

// Key translation: an SDL keycode (SDL_Keycode) to a virtual-key code (0: no such key),
// and back for injected keys.
UINT VirtualKeyFromSdl(std::int32_t sdlKeycode);
std::int32_t SdlKeyFromVirtualKey(UINT vk);

// Back end factories. Null when the native window cannot be made (the reason goes to
// standard error); the window then stays headless.
std::unique_ptr<Backend> MakeSdlBackend(Window& window);
std::unique_ptr<Backend> MakeFltkBackend(Window& window);
bool FltkDisplayAvailable();
// Hands the device's GL seam the surfaces of SDL windows; once, at the first SDL window.
void RegisterSdlGlSurfaces();
// The SDL_Window of a window made with a GL-capable SDL window, else null.
void* SdlWindowHandle(HWND window);
// A GL context lives in the SDL window (`native`, an SDL_Window*) from Hold to Release.
// A window destroyed in between is only hidden, and goes at the Release: the device's
// objects outlive a window (its close box), and deleting them needs their context
// current, which GL allows only on a drawable that still exists.
void HoldSdlWindowForContext(void* native);
void ReleaseSdlWindowForContext(void* native);
// Fullscreen where no window manager acts on SDL's request (x11_fullscreen.cpp): the
// windowed place is remembered before a window goes fullscreen, and the window is moved
// over the display, or back, whenever its fullscreen state or visibility changes.
void RememberWindowedPlace(SDL_Window* window);
void ForgetWindowedPlace(SDL_Window* window);
void FollowFullscreenState(SDL_Window* window);
// The client size the X server gives the window now; false when it is not an X11 window.
bool X11ClientSize(SDL_Window* window, int* width, int* height);
// A lost X connection ends the program as a lost device does (x11_connection.cpp);
// watched from the first window made on it. Once lost, nothing may ask the server
// anything (SDL would wait for its answer forever): the teardown leaves windows alone.
void WatchDisplayConnection(SDL_Window* window);
bool DisplayLost();
bool SdlVideoAvailable();

// Font record behind an HFONT.
struct Font {
  int height;
  int weight;
  bool italic;
  std::wstring face;
};
const Font* FindFont(HFONT font);

// Bitmap behind an HBITMAP: width * height * 3 bytes, top row first.
struct Bitmap {
  int width;
  int height;
  std::vector<std::uint8_t> rgb;
};
const Bitmap* FindBitmap(HBITMAP bitmap);
// An uncompressed 24- or 32-bit .bmp file; false, with the reason, for anything else.
bool ReadBmpFile(const std::string& path, Bitmap* bitmap, std::string* error);
// Where a resource of the executable lives on this system, since an ELF file carries no
// resource section: "<executable>.res/<type>/<id>.<ext>" beside the executable, or the
// same under PREFIX/share/NAME for an installed program (ExecutableFilePath).
std::string ExecutableResourcePath(const std::string& type, int id, const std::string& extension);
// Icon resources: width * height * 4 bytes (RGBA), top row first; null when missing.
struct Icon {
  int width;
  int height;
  std::vector<std::uint8_t> rgba;
};
const Icon* FindIconResource(int id);
const Icon* FindIcon(HICON icon);

void SdlShowCursor(bool show);
// The pointer in screen coordinates while SDL video runs.
bool SdlGlobalCursor(POINT* point);
// The primary display's modes and desktop mode through SDL; false without SDL video.
bool SdlDisplayModes(std::vector<DisplayMode>* modes);
bool SdlDesktopMode(DisplayMode* mode);

// Message boxes through the dialog toolkit; false when it cannot show one.
bool FltkMessageBox(const std::wstring& text, const std::wstring& caption, UINT type, int* result);
bool FltkCapture(Window& window, std::vector<std::uint8_t>* rgb, int* width, int* height);

}  // namespace win
}  // namespace platform
