// The overlay's input glue, fed synthesised SDL events with no display and no SDL video:
// what ImGui sees, and which events the program would no longer see.

#include <SDL.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include <cstring>
#include <functional>
#include <memory>

#include "platform/overlay/input.h"

namespace {

class OverlayInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.Fonts->Build();
    io.DisplaySize = ImVec2(320, 240);
    input_ = std::make_unique<platform::OverlayInput>();
  }
  void TearDown() override {
    input_.reset();
    ImGui::DestroyContext(context_);
  }

  // One frame as the overlay builds it: a panel over (50,50)-(150,150), with a text field
  // holding the keyboard focus when `typing`.
  void Frame(bool typing = false) {
    input_->BeginFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(50, 50));
    ImGui::SetNextWindowSize(ImVec2(100, 100));
    ImGui::Begin("panel");
    if (typing) {
      if (!focused_) ImGui::SetKeyboardFocusHere();
      focused_ = true;
      ImGui::InputText("##text", text_, sizeof text_);
    }
    ImGui::End();
    ImGui::Render();
  }
  // Frames until the text field is active (a frame or two after the focus request).
  void StartTyping() {
    for (int i = 0; i < 4 && !ImGui::GetIO().WantCaptureKeyboard; ++i) Frame(true);
    ASSERT_TRUE(ImGui::GetIO().WantCaptureKeyboard);
  }

  bool Feed(const std::function<void(SDL_Event&)>& fill) {
    SDL_Event e{};
    fill(e);
    return input_->Feed(e);
  }
  bool Motion(int x, int y) {
    return Feed([&](SDL_Event& e) { e.type = SDL_MOUSEMOTION, e.motion.x = x, e.motion.y = y; });
  }
  bool Button(Uint8 button, bool down, int x = 0, int y = 0) {
    return Feed([&](SDL_Event& e) {
      e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
      e.button.button = button, e.button.x = x, e.button.y = y;
    });
  }
  bool Key(SDL_Scancode scancode, bool down, Uint16 mod = KMOD_NONE, bool repeat = false) {
    return Feed([&](SDL_Event& e) {
      e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
      e.key.repeat = repeat ? 1 : 0, e.key.keysym.scancode = scancode, e.key.keysym.mod = mod;
    });
  }
  bool Text(const char* utf8) {
    return Feed([&](SDL_Event& e) { e.type = SDL_TEXTINPUT, std::strcpy(e.text.text, utf8); });
  }
  bool Wheel(float x, float y, bool flipped = false) {
    return Feed([&](SDL_Event& e) {
      e.type = SDL_MOUSEWHEEL, e.wheel.preciseX = x, e.wheel.preciseY = y;
      e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    });
  }
  bool Window(Uint8 event) {
    return Feed([&](SDL_Event& e) { e.type = SDL_WINDOWEVENT, e.window.event = event; });
  }

  ImGuiContext* context_ = nullptr;
  std::unique_ptr<platform::OverlayInput> input_;
  char text_[64] = {};
  bool focused_ = false;
};

TEST_F(OverlayInputTest, MouseReachesImGuiInItsOwnButtonOrder) {
  ImGuiIO& io = ImGui::GetIO();
  Motion(60, 70);
  EXPECT_EQ(60.0f, io.MousePos.x);
  EXPECT_EQ(70.0f, io.MousePos.y);
  // SDL counts left, middle, right; ImGui left, right, middle.
  const Uint8 sdl[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2};
  for (int b = 0; b < 5; ++b) {
    Button(sdl[b], true, 80, 90);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i == b, io.MouseDown[i]) << "SDL button " << int{sdl[b]} << ", ImGui " << i;
    EXPECT_EQ(80.0f, io.MousePos.x) << "a click says where it is, moved to or not";
    Button(sdl[b], false, 80, 90);
    Frame();
    Frame();
  }
  Wheel(0, 2);
  Wheel(1, 1);
  Wheel(2, 1, true);  // "natural" scrolling: SDL reports it reversed
  input_->BeginFrame();
  EXPECT_EQ(2.0f, io.MouseWheel);
  EXPECT_EQ(-1.0f, io.MouseWheelH);
  input_->BeginFrame();
  EXPECT_EQ(0.0f, io.MouseWheel) << "a turn lasts one frame";
  Window(SDL_WINDOWEVENT_LEAVE);
  EXPECT_FALSE(ImGui::IsMousePosValid(&io.MousePos));
}

// ImGui 1.86 reads input as state: a press released before the next frame would be lost.
TEST_F(OverlayInputTest, APressReleasedBeforeTheFrameStillCountsForThatFrame) {
  const int a = ImGui::GetKeyIndex(ImGuiKey_A);
  Button(SDL_BUTTON_LEFT, true);
  Button(SDL_BUTTON_LEFT, false);
  Key(SDL_SCANCODE_A, true);
  Key(SDL_SCANCODE_A, false);
  Frame();
  EXPECT_TRUE(ImGui::IsMouseClicked(ImGuiMouseButton_Left));
  EXPECT_TRUE(ImGui::IsKeyPressed(a));
  Frame();
  EXPECT_TRUE(ImGui::IsMouseReleased(ImGuiMouseButton_Left));
  EXPECT_FALSE(ImGui::IsKeyDown(a));
}

// A whole drag between two slow frames (press, moves, release) reaches ImGui in order:
// pressed where it was pressed, held where it moved to, then released.
TEST_F(OverlayInputTest, ADragBetweenTwoFramesIsShownOverThreeInOrder) {
  ImGuiIO& io = ImGui::GetIO();
  Frame();
  Motion(60, 60);
  Button(SDL_BUTTON_LEFT, true, 60, 60);
  for (int x = 70; x <= 100; x += 10) Motion(x, 60);
  Button(SDL_BUTTON_LEFT, false, 100, 60);
  Frame();
  EXPECT_TRUE(ImGui::IsMouseClicked(ImGuiMouseButton_Left));
  EXPECT_EQ(60.0f, io.MousePos.x) << "pressed where the press was";
  Frame();
  EXPECT_TRUE(io.MouseDown[0]);
  EXPECT_EQ(100.0f, io.MousePos.x) << "held where the moves took it";
  Frame();
  EXPECT_TRUE(ImGui::IsMouseReleased(ImGuiMouseButton_Left));
  EXPECT_EQ(100.0f, io.MousePos.x);
  Frame();
  EXPECT_FALSE(io.MouseDown[0]);
  // Moves and clicks that one frame can show in order wait for nothing.
  Motion(70, 70);
  Button(SDL_BUTTON_LEFT, true, 70, 70);
  EXPECT_TRUE(io.MouseDown[0]);
  EXPECT_EQ(70.0f, io.MousePos.x);
}

TEST_F(OverlayInputTest, KeysCarryTheirModifiers) {
  ImGuiIO& io = ImGui::GetIO();
  const struct {
    Uint16 mod;
    int flag;
  } cases[] = {{KMOD_LCTRL, ImGuiKeyModFlags_Ctrl}, {KMOD_RCTRL, ImGuiKeyModFlags_Ctrl},
               {KMOD_LSHIFT, ImGuiKeyModFlags_Shift}, {KMOD_RSHIFT, ImGuiKeyModFlags_Shift},
               {KMOD_LALT, ImGuiKeyModFlags_Alt}, {KMOD_RALT, ImGuiKeyModFlags_Alt},
               {KMOD_LGUI, ImGuiKeyModFlags_Super}, {KMOD_RGUI, ImGuiKeyModFlags_Super},
               {KMOD_LCTRL | KMOD_RSHIFT, ImGuiKeyModFlags_Ctrl | ImGuiKeyModFlags_Shift}};
  for (const auto& c : cases) {
    Key(SDL_SCANCODE_C, true, c.mod | KMOD_NUM);
    Frame();
    EXPECT_TRUE(io.KeysDown[SDL_SCANCODE_C]);
    EXPECT_EQ(c.flag, io.KeyMods) << "SDL mod " << c.mod << " (num lock is no modifier to ImGui)";
    Key(SDL_SCANCODE_C, false, KMOD_NUM);
    Frame();
    EXPECT_EQ(ImGuiKeyModFlags_None, io.KeyMods);
  }
}

TEST_F(OverlayInputTest, TextAndEditingKeysReachAFocusedField) {
  StartTyping();
  Text("n\xc3\xa9");  // "né", UTF-8 as SDL sends it
  Text("bl");
  Frame(true);
  Key(SDL_SCANCODE_BACKSPACE, true);
  Frame(true);
  Key(SDL_SCANCODE_BACKSPACE, false);
  Frame(true);
  EXPECT_STREQ("n\xc3\xa9" "b", text_);
  // Ctrl+A, then typing replaces the lot: the editing shortcuts are mapped.
  Key(SDL_SCANCODE_A, true, KMOD_LCTRL);
  Frame(true);
  Key(SDL_SCANCODE_A, false, KMOD_LCTRL);
  Key(SDL_SCANCODE_LCTRL, false);
  Text("x");
  Frame(true);
  EXPECT_STREQ("x", text_);
}

TEST_F(OverlayInputTest, TakesOnlyWhatImGuiWantsAndNeverWindowEvents) {
  Frame();
  Motion(100, 100);
  Frame();
  EXPECT_TRUE(Motion(101, 100)) << "over the panel";
  EXPECT_TRUE(Wheel(0, 1));
  EXPECT_TRUE(Button(SDL_BUTTON_LEFT, true, 101, 100));
  EXPECT_TRUE(Button(SDL_BUTTON_LEFT, false, 101, 100));
  EXPECT_FALSE(Key(SDL_SCANCODE_SPACE, true)) << "no field wants the keyboard";
  EXPECT_FALSE(Key(SDL_SCANCODE_SPACE, false));
  EXPECT_FALSE(Window(SDL_WINDOWEVENT_FOCUS_GAINED));
  Motion(250, 200);
  // The click's press, its release and the move reach ImGui a frame each.
  for (int i = 0; i < 3; ++i) Frame();
  EXPECT_FALSE(Motion(251, 200)) << "away from the panel";
  EXPECT_FALSE(Wheel(0, 1));
  EXPECT_FALSE(Button(SDL_BUTTON_RIGHT, true, 251, 200));
  EXPECT_FALSE(Button(SDL_BUTTON_RIGHT, false, 251, 200));
  StartTyping();
  EXPECT_TRUE(Key(SDL_SCANCODE_SPACE, true));
  EXPECT_TRUE(Key(SDL_SCANCODE_SPACE, true, KMOD_NONE, true));
  EXPECT_TRUE(Text(" "));
  EXPECT_TRUE(Key(SDL_SCANCODE_SPACE, false));
}

// The program sees every release whose press it saw, and none whose press it did not.
TEST_F(OverlayInputTest, AReleaseGoesWhereItsPressWent) {
  Frame();
  EXPECT_FALSE(Key(SDL_SCANCODE_F5, true));  // the program's key
  StartTyping();
  EXPECT_FALSE(Key(SDL_SCANCODE_F5, true, KMOD_NONE, true)) << "its repeats too";
  EXPECT_FALSE(Key(SDL_SCANCODE_F5, false)) << "the program saw F5 go down";
  EXPECT_TRUE(Key(SDL_SCANCODE_B, true));  // typed into the field
  Frame();
  Frame();
  ASSERT_FALSE(ImGui::GetIO().WantCaptureKeyboard);
  EXPECT_TRUE(Key(SDL_SCANCODE_B, false)) << "the program never saw B go down";
}

TEST_F(OverlayInputTest, LosingFocusReleasesWhatIsHeld) {
  ImGuiIO& io = ImGui::GetIO();
  Key(SDL_SCANCODE_A, true);
  Button(SDL_BUTTON_LEFT, true);
  Frame();
  ASSERT_TRUE(io.KeysDown[SDL_SCANCODE_A]);
  Window(SDL_WINDOWEVENT_FOCUS_LOST);
  Frame();
  EXPECT_FALSE(io.KeysDown[SDL_SCANCODE_A]);
  EXPECT_FALSE(io.MouseDown[0]);
}

}  // namespace
