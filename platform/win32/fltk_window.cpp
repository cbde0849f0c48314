// Windows that hold controls, and message boxes, on FLTK. The layer's records stay the
// truth (items, selection, check state); the widgets mirror them, and a user's click
// updates the record and posts the control's notification, in input order with keys.

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/fl_ask.H>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

struct Toolkit {
  bool opened = false;
  int windows = 0;
  std::map<std::uintptr_t, Fl_Widget*> widgets;  // control -> widget
  // Windows shown since the last pump. A dialog is made visible before its controls are
  // created and its lists filled (that can take a while: the lists ask the device); were
  // it mapped then, the user would look at an undrawn window until the message loop
  // runs. It is mapped at the first pump instead and drawn at once, whole.
  std::set<Fl_Window*> toShow;
};

Toolkit& Fltk() {
  static Toolkit toolkit;
  return toolkit;
}

HWND HandleOf(Fl_Widget* widget) { return static_cast<HWND>(widget->user_data()); }

Fl_Widget* WidgetOf(HWND control) {
  auto it = Fltk().widgets.find(reinterpret_cast<std::uintptr_t>(control));
  return it == Fltk().widgets.end() ? nullptr : it->second;
}

// The system colour behind dialog backgrounds and buttons.
const Fl_Color kButtonFace = fl_rgb_color(240, 240, 240);

UINT VirtualKeyFromFltk(int key) {
  if (key >= 'a' && key <= 'z') return static_cast<UINT>(key - 'a' + 'A');
  if (key >= '0' && key <= '9') return static_cast<UINT>(key);
  if (key > FL_F && key <= FL_F + 12) return VK_F1 + static_cast<UINT>(key - FL_F - 1);
  switch (key) {
    case ' ': return VK_SPACE;
    case FL_Escape: return VK_ESCAPE;
    case FL_Tab: return VK_TAB;
    case FL_Enter: case FL_KP_Enter: return VK_RETURN;
    case FL_BackSpace: return VK_BACK;
    case FL_Left: return VK_LEFT;
    case FL_Up: return VK_UP;
    case FL_Right: return VK_RIGHT;
    case FL_Down: return VK_DOWN;
    case FL_Home: return VK_HOME;
    case FL_End: return VK_END;
    case FL_Page_Up: return VK_PRIOR;
    case FL_Page_Down: return VK_NEXT;
    case FL_Insert: return VK_INSERT;
    case FL_Delete: return VK_DELETE;
    case FL_Shift_L: case FL_Shift_R: return VK_SHIFT;
    case FL_Control_L: case FL_Control_R: return VK_CONTROL;
    case FL_Alt_L: case FL_Alt_R: return VK_MENU;
    default: return 0;
  }
}

int FltkKeyFromVirtualKey(UINT vk) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<int>(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return static_cast<int>(vk);
  if (vk >= VK_F1 && vk <= VK_F12) return FL_F + 1 + static_cast<int>(vk - VK_F1);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_ESCAPE: return FL_Escape;
    case VK_TAB: return FL_Tab;
    case VK_RETURN: return FL_Enter;
    case VK_BACK: return FL_BackSpace;
    case VK_LEFT: return FL_Left;
    case VK_UP: return FL_Up;
    case VK_RIGHT: return FL_Right;
    case VK_DOWN: return FL_Down;
    case VK_SHIFT: return FL_Shift_L;
    case VK_CONTROL: return FL_Control_L;
    case VK_MENU: return FL_Alt_L;
    default: return 0;
  }
}

// Keys become key messages for the focused control before FLTK sees them, and Tab is
// kept from FLTK altogether: focus moves only through IsDialogMessageW, as the dialog's
// loop expects.
int Dispatch(int event, Fl_Window* window) {
  if ((event == FL_KEYDOWN || event == FL_KEYUP) && window && window->user_data()) {
    Window* dialog = Find(static_cast<HWND>(window->user_data()));
    if (dialog) {
      Window* target = dialog;
      if (Window* focus = Find(FocusWindow()); focus && TopLevelOf(*focus) == dialog) target = focus;
      const UINT vk = VirtualKeyFromFltk(Fl::event_key());
      if (vk) PostKey(*target, vk, event == FL_KEYDOWN, 0);
      if (vk == VK_TAB) return 1;
    }
  }
  return Fl::handle_(event, window);
}

void Open() {
  Toolkit& toolkit = Fltk();
  if (toolkit.opened) return;
  toolkit.opened = true;
  fl_open_display();
  Fl::visible_focus(1);
  Fl::event_dispatch(Dispatch);
}

class DialogWindow : public Fl_Double_Window {
 public:
  DialogWindow(int x, int y, int w, int h) : Fl_Double_Window(x, y, w, h) {}
};

// Keeps the layer's focus in step when a click moves FLTK's focus.
template <typename Base>
class Tracked : public Base {
 public:
  Tracked(int x, int y, int w, int h) : Base(x, y, w, h) {}
  int handle(int event) override {
    if (event == FL_FOCUS) SetFocusWindow(HandleOf(this));
    return Base::handle(event);
  }
};

void OnClose(Fl_Widget* widget, void*) {
  if (Window* w = Find(HandleOf(widget))) PostClose(*w);
}

void OnButton(Fl_Widget* widget, void*) {
  Window* c = Find(HandleOf(widget));
  if (!c) return;
  if (c->control.kind == ControlKind::Button && (c->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
    c->control.checked = static_cast<Fl_Button*>(widget)->value() != 0;
  }
  Notify(*c, BN_CLICKED);
}

void OnList(Fl_Widget* widget, void*) {
  Window* c = Find(HandleOf(widget));
  if (!c) return;
  const int line = static_cast<Fl_Hold_Browser*>(widget)->value();
  if (line <= 0) return;
  c->control.selection = line - 1;
  Notify(*c, LBN_SELCHANGE);
}

// A named face goes to the font matcher under its own name, so it gets the closest
// family installed ("Times New Roman" finds a metric-compatible serif where one is
// installed); each face and style takes one of the toolkit's free font slots.
Fl_Font NamedFont(const std::wstring& face, bool bold, bool italic) {
  static std::map<std::string, Fl_Font> slots;
  // The toolkit reads the first character as the style: ' ' plain, 'B' bold, 'I'
  // italic, 'P' both.
  const char style = bold && italic ? 'P' : bold ? 'B' : italic ? 'I' : ' ';
  const std::string name = style + Utf8FromWide(face);
  auto it = slots.find(name);
  if (it != slots.end()) return it->second;
  const Fl_Font slot = static_cast<Fl_Font>(FL_FREE_FONT + slots.size());
  // The toolkit keeps the pointer: the name lives as long as the map's key.
  it = slots.emplace(name, slot).first;
  Fl::set_font(slot, it->first.c_str());
  return slot;
}

void ApplyFont(Fl_Widget* widget, HFONT handle) {
  const Font* font = FindFont(handle);
  Fl_Font face = FL_HELVETICA;
  int size = 12;
  if (font) {
    const bool bold = font->weight >= 600;
    if (!font->face.empty()) {
      face = NamedFont(font->face, bold, font->italic);
    } else {
      if (bold) face += FL_BOLD;
      if (font->italic) face += FL_ITALIC;
    }
    // A positive height counts the whole cell, internal leading included; a negative
    // one the characters alone, which is what FLTK sizes by.
    size = font->height < 0 ? -font->height : (font->height > 0 ? font->height - font->height / 5 : 12);
  }
  widget->labelfont(face);
  widget->labelsize(size);
  if (auto* browser = dynamic_cast<Fl_Browser*>(widget)) {
    browser->textfont(face);
    browser->textsize(size);
  }
}

Fl_Widget* MakeWidget(Window& c) {
  const int x = c.x, y = c.y, w = std::max(1, c.width), h = std::max(1, c.height);
  switch (c.control.kind) {
    case ControlKind::Static: {
      auto* box = new Fl_Box(x, y, w, h);
      box->box(FL_NO_BOX);
      const DWORD type = c.style & 0x1F;
      Fl_Align align = FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP;
      align |= type == SS_CENTER ? 0 : type == SS_RIGHT ? FL_ALIGN_RIGHT : FL_ALIGN_LEFT;
      box->align(align);
      return box;
    }
    case ControlKind::Button: {
      Fl_Button* button;
      if ((c.style & BS_TYPEMASK) == BS_AUTOCHECKBOX || (c.style & BS_TYPEMASK) == BS_CHECKBOX) {
        button = new Tracked<Fl_Check_Button>(x, y, w, h);
      } else {
        button = new Tracked<Fl_Button>(x, y, w, h);
        button->color(kButtonFace);
      }
      button->callback(OnButton);
      return button;
    }
    case ControlKind::ListBox: {
      auto* list = new Tracked<Fl_Hold_Browser>(x, y, w, h);
      list->color(FL_WHITE);
      list->when(FL_WHEN_CHANGED);
      list->callback(OnList);
      if (c.style & WS_VSCROLL) {
        list->has_scrollbar((c.style & LBS_DISABLENOSCROLL) ? Fl_Browser_::VERTICAL_ALWAYS : Fl_Browser_::VERTICAL);
      } else {
        list->has_scrollbar(0);
      }
      return list;
    }
    default:
      return nullptr;
  }
}

void Sync(Window& c, Fl_Widget* widget) {
  widget->resize(c.x, c.y, std::max(1, c.width), std::max(1, c.height));
  if (c.visible) {
    widget->show();
  } else {
    widget->hide();
  }
  if (c.enabled) {
    widget->activate();
  } else {
    widget->deactivate();
  }
  widget->visible_focus((c.style & WS_TABSTOP) ? 1 : 0);
  ApplyFont(widget, c.control.font);
  switch (c.control.kind) {
    case ControlKind::Static: {
      widget->copy_label(Utf8FromWide(c.text).c_str());
      delete widget->image();
      widget->image(nullptr);
      if (const Bitmap* bitmap = FindBitmap(c.control.image)) {
        // Fl_RGB_Image keeps a pointer to the pixels: the record lives as long as the process.
        widget->image(new Fl_RGB_Image(bitmap->rgb.data(), bitmap->width, bitmap->height, 3));
        widget->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT | FL_ALIGN_CLIP);
      }
      break;
    }
    case ControlKind::Button: {
      auto* button = static_cast<Fl_Button*>(widget);
      button->copy_label(Utf8FromWide(c.text).c_str());
      if ((c.style & BS_TYPEMASK) == BS_AUTOCHECKBOX || (c.style & BS_TYPEMASK) == BS_CHECKBOX) {
        button->value(c.control.checked ? 1 : 0);
      }
      break;
    }
    case ControlKind::ListBox: {
      auto* list = static_cast<Fl_Hold_Browser*>(widget);
      bool same = list->size() == static_cast<int>(c.control.items.size());
      for (int i = 0; same && i < list->size(); ++i) {
        same = std::strcmp(list->text(i + 1), Utf8FromWide(c.control.items[i]).c_str()) == 0;
      }
      if (!same) {
        list->clear();
        // '@' starts a formatting code in FLTK's browser; none of ours use one.
        list->format_char(0);
        for (const std::wstring& item : c.control.items) list->add(Utf8FromWide(item).c_str());
      }
      list->deselect();
      if (c.control.selection >= 0) list->select(c.control.selection + 1);
      break;
    }
    default:
      break;
  }
  widget->redraw();
}

class FltkBackend : public Backend {
 public:
  explicit FltkBackend(Window& w) : window(new DialogWindow(w.x, w.y, std::max(1, w.width), std::max(1, w.height))) {
    window->end();
    window->user_data(w.handle);
    window->callback(OnClose);
    window->color(kButtonFace);
    window->copy_label(Utf8FromWide(w.text).c_str());
    ++Fltk().windows;
  }
  ~FltkBackend() override {
    Fltk().toShow.erase(window);
    window->hide();
    // Controls still standing here (a process that ends while its dialog is up, during
    // static teardown) go with the window; the toolkit frees the widgets but not their
    // pictures. Their entries in the widget map are left alone: that map may already
    // be gone, and DestroyWindow removes every control before its window.
    for (int i = 0; i < window->children(); ++i) {
      Fl_Widget* child = window->child(i);
      delete child->image();
      child->image(nullptr);
    }
    delete window;
    --Fltk().windows;
    Fl::check();
  }
  FltkBackend(const FltkBackend&) = delete;
  FltkBackend& operator=(const FltkBackend&) = delete;

  void SetVisible(Window&, bool visible) override {
    if (visible) {
      if (!window->shown()) Fltk().toShow.insert(window);
    } else {
      Fltk().toShow.erase(window);
      window->hide();
    }
  }
  void SetTitle(Window& w) override { window->copy_label(Utf8FromWide(w.text).c_str()); }
  void SetBounds(Window& w) override { window->resize(w.x, w.y, std::max(1, w.width), std::max(1, w.height)); }
  void SetTopmost(Window&, bool) override {}
  void ControlCreated(Window&, Window& control) override {
    Fl_Widget* widget = MakeWidget(control);
    if (!widget) return;
    widget->user_data(control.handle);
    window->add(widget);
    Fltk().widgets[reinterpret_cast<std::uintptr_t>(control.handle)] = widget;
    Sync(control, widget);
  }
  void ControlChanged(Window& control) override {
    if (Fl_Widget* widget = WidgetOf(control.handle)) Sync(control, widget);
  }
  void ControlDestroyed(Window& control) override {
    Fl_Widget* widget = WidgetOf(control.handle);
    if (!widget) return;
    Fltk().widgets.erase(reinterpret_cast<std::uintptr_t>(control.handle));
    window->remove(widget);
    if (widget->image()) delete widget->image();
    Fl::delete_widget(widget);
  }
  void FocusControl(Window& control) override {
    if (Fl_Widget* widget = WidgetOf(control.handle)) widget->take_focus();
  }
  void Redraw(Window&) override {
    window->redraw();
    Fl::flush();
  }
  bool NativeSize(const Window&, int* width, int* height) const override {
    *width = window->w();
    *height = window->h();
    return true;
  }
  bool InjectKey(Window&, UINT vk, bool down) override {
    const int key = FltkKeyFromVirtualKey(vk);
    if (!key) return false;
    Fl::e_keysym = key;
    Fl::e_text = const_cast<char*>("");
    Fl::e_length = 0;
    Fl::handle(down ? FL_KEYDOWN : FL_KEYUP, window);
    return true;
  }
  bool InjectMouseMove(Window&, int x, int y) override {
    SetPointer(x, y, 0);
    Fl::handle(FL_MOVE, window);
    return true;
  }
  bool InjectMouseButton(Window&, Window* control, int button, bool down, int x, int y) override {
    if (control) {
      x += control->x;
      y += control->y;
    }
    const int flag = button == 0 ? FL_BUTTON1 : button == 1 ? FL_BUTTON3 : FL_BUTTON2;
    SetPointer(x, y, down ? flag : 0);
    Fl::e_keysym = FL_Button + (button == 0 ? 1 : button == 1 ? 3 : 2);
    Fl::e_clicks = 0;
    Fl::e_is_click = down ? 0 : 1;
    Fl::handle(down ? FL_PUSH : FL_RELEASE, window);
    return true;
  }
  bool InjectClose(Window&) override {
    window->do_callback();
    return true;
  }

  void SetPointer(int x, int y, int state) {
    Fl::e_x = x;
    Fl::e_y = y;
    Fl::e_x_root = window->x() + x;
    Fl::e_y_root = window->y() + y;
    Fl::e_state = state;
  }

  DialogWindow* window;
};

}  // namespace

bool FltkDisplayAvailable() {
  // FLTK speaks X11 only; it needs a display SDL could open too.
  const char* display = std::getenv("DISPLAY");
  return display && *display && HasDisplay();
}

bool FltkActive() { return Fltk().opened; }

void PumpFltk(double waitSeconds) {
  if (!Fltk().opened) return;
  if (!Fltk().toShow.empty()) {
    const std::set<Fl_Window*> windows = std::move(Fltk().toShow);
    Fltk().toShow.clear();
    for (Fl_Window* window : windows) {
      window->show();
      // Drawn as soon as the server has mapped it, so that what anyone reads back from
      // the window (a capture, the screen) from now on is the whole dialog.
      window->wait_for_expose();
    }
    Fl::flush();
  }
  if (waitSeconds > 0) {
    Fl::wait(waitSeconds);
  } else {
    Fl::check();
  }
}

std::unique_ptr<Backend> MakeFltkBackend(Window& w) {
  if (!FltkDisplayAvailable()) {
    std::fprintf(stderr, "platform: window \"%s\" holds controls, which need an X11 display: it cannot show\n",
                 Utf8FromWide(w.text).c_str());
    return nullptr;
  }
  Open();
  return std::make_unique<FltkBackend>(w);
}

bool FltkCapture(Window& w, std::vector<std::uint8_t>* rgb, int* width, int* height) {
  auto* backend = dynamic_cast<FltkBackend*>(w.backend.get());
  if (!backend) return false;
  Fl_Window* window = backend->window;
  Fl_Image_Surface surface(window->w(), window->h());
  surface.set_current();
  surface.draw(window);
  std::unique_ptr<Fl_RGB_Image> image(surface.image());
  Fl_Display_Device::display_device()->set_current();
  if (!image || image->d() < 3) return false;
  *width = image->w();
  *height = image->h();
  const int depth = image->d();
  const int stride = image->ld() ? image->ld() : image->w() * depth;
  const auto* pixels = reinterpret_cast<const std::uint8_t*>(image->data()[0]);
  rgb->resize(static_cast<std::size_t>(*width) * *height * 3);
  for (int row = 0; row < *height; ++row) {
    for (int col = 0; col < *width; ++col) {
      for (int k = 0; k < 3; ++k) {
        (*rgb)[(static_cast<std::size_t>(row) * *width + col) * 3 + k] = pixels[row * stride + col * depth + k];
      }
    }
  }
  return true;
}

namespace {

// Ctrl-C or SIGTERM while a message box waits closes the box as its close box would
// (fl_choice then answers with its first button), and the signal goes on to close the
// program's windows at the next message pump. Looked for on a timer: the signal may
// have been taken by another thread, and the box's loop would not wake for it.
constexpr double kInterruptCheckSeconds = 0.05;

void CloseBoxOnInterrupt(void*) {
  if (InterruptPending()) {
    if (Fl_Window* box = Fl::modal()) box->hide();
    return;
  }
  Fl::repeat_timeout(kInterruptCheckSeconds, CloseBoxOnInterrupt);
}

}  // namespace

bool FltkMessageBox(const std::wstring& text, const std::wstring& caption, UINT type, int* result) {
  if (!FltkDisplayAvailable()) return false;
  Open();
  const std::string message = Utf8FromWide(text);
  fl_message_title(Utf8FromWide(caption).c_str());
  Fl::add_timeout(kInterruptCheckSeconds, CloseBoxOnInterrupt);
  struct StopChecking {
    ~StopChecking() { Fl::remove_timeout(CloseBoxOnInterrupt); }
  } stopChecking;
  switch (type & 0xF) {
    case 1:  // MB_OKCANCEL
      *result = fl_choice("%s", "Cancel", "OK", nullptr, message.c_str()) == 1 ? 1 : 2;
      break;
    case 4:  // MB_YESNO
      *result = fl_choice("%s", "No", "Yes", nullptr, message.c_str()) == 1 ? 6 : 7;
      break;
    default:
      fl_alert("%s", message.c_str());
      *result = 1;
      break;
  }
  return true;
}

}  // namespace win
}  // namespace platform
