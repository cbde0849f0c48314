#include <SDL_keycode.h>

#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

struct KeyPair {
  SDL_Keycode sdl;
  UINT vk;
};

// Keys whose virtual-key code does not follow from their character. Left and right
// modifiers share one code, as the key messages report them.
constexpr KeyPair kKeys[] = {
    {SDLK_ESCAPE, VK_ESCAPE},      {SDLK_RETURN, VK_RETURN},       {SDLK_KP_ENTER, VK_RETURN},
    {SDLK_SPACE, VK_SPACE},        {SDLK_TAB, VK_TAB},             {SDLK_BACKSPACE, VK_BACK},
    {SDLK_LEFT, VK_LEFT},          {SDLK_UP, VK_UP},               {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},          {SDLK_LSHIFT, VK_SHIFT},        {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},      {SDLK_RCTRL, VK_CONTROL},       {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},          {SDLK_PAUSE, VK_PAUSE},         {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_PAGEUP, VK_PRIOR},       {SDLK_PAGEDOWN, VK_NEXT},       {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},          {SDLK_PRINTSCREEN, VK_SNAPSHOT}, {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},      {SDLK_KP_MULTIPLY, VK_MULTIPLY}, {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, VK_SUBTRACT},  {SDLK_KP_PERIOD, VK_DECIMAL},   {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_NUMLOCKCLEAR, VK_NUMLOCK}, {SDLK_SCROLLLOCK, VK_SCROLL}, {SDLK_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, VK_OEM_PLUS},    {SDLK_COMMA, VK_OEM_COMMA},     {SDLK_MINUS, VK_OEM_MINUS},
    {SDLK_PERIOD, VK_OEM_PERIOD},  {SDLK_SLASH, VK_OEM_2},         {SDLK_BACKQUOTE, VK_OEM_3},
    {SDLK_LEFTBRACKET, VK_OEM_4},  {SDLK_BACKSLASH, VK_OEM_5},     {SDLK_RIGHTBRACKET, VK_OEM_6},
    {SDLK_QUOTE, VK_OEM_7},
};

constexpr SDL_Keycode kFunctionKeys[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                         SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};
constexpr SDL_Keycode kKeypadDigits[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                         SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};

}  // namespace

UINT VirtualKeyFromSdl(std::int32_t key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>('0' + (key - SDLK_0));
  for (int i = 0; i < 12; ++i) {
    if (key == kFunctionKeys[i]) return VK_F1 + static_cast<UINT>(i);
  }
  for (int i = 0; i < 10; ++i) {
    if (key == kKeypadDigits[i]) return VK_NUMPAD0 + static_cast<UINT>(i);
  }
  for (const KeyPair& pair : kKeys) {
    if (pair.sdl == key) return pair.vk;
  }
  return 0;
}

std::int32_t SdlKeyFromVirtualKey(UINT vk) {
  if (vk >= 'A' && vk <= 'Z') return SDLK_a + static_cast<SDL_Keycode>(vk - 'A');
  if (vk >= '0' && vk <= '9') return SDLK_0 + static_cast<SDL_Keycode>(vk - '0');
  if (vk >= VK_F1 && vk <= VK_F12) return kFunctionKeys[vk - VK_F1];
  if (vk >= VK_NUMPAD0 && vk < VK_NUMPAD0 + 10) return kKeypadDigits[vk - VK_NUMPAD0];
  // The first entry wins: left modifiers, the main return key.
  for (const KeyPair& pair : kKeys) {
    if (pair.vk == vk) return pair.sdl;
  }
  return SDLK_UNKNOWN;
}

}  // namespace win
}  // namespace platform
