#pragma once

// Controls for windows made with WS_EX_CONTROLPARENT: static text and pictures, push
// buttons, check boxes and list boxes, created with CreateWindowExW by class name and
// driven by their messages. Their state (items, selection, check) lives in the layer, so
// the same messages work headless; with a display they are widgets of the dialog toolkit
// and a user's click changes that state and notifies the parent with WM_COMMAND.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/win32/types.h"

// Static control styles.
constexpr DWORD SS_LEFT = 0x00000000;
constexpr DWORD SS_CENTER = 0x00000001;
constexpr DWORD SS_RIGHT = 0x00000002;
constexpr DWORD SS_BITMAP = 0x0000000E;
constexpr UINT STM_SETIMAGE = 0x0172;
constexpr UINT STM_GETIMAGE = 0x0173;
constexpr WPARAM IMAGE_BITMAP = 0;

// Button styles, messages, states and notifications.
constexpr DWORD BS_PUSHBUTTON = 0x00000000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x00000001;
constexpr DWORD BS_CHECKBOX = 0x00000002;
constexpr DWORD BS_AUTOCHECKBOX = 0x00000003;
constexpr DWORD BS_TYPEMASK = 0x0000000F;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;
constexpr WORD BN_CLICKED = 0;

// List box styles, messages and notifications.
constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_DISABLENOSCROLL = 0x1000;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
constexpr LRESULT LB_ERR = -1;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;

// Font weights, character sets, precisions and qualities for CreateFontW.
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD DEFAULT_CHARSET = 1;

// LoadImageW flags.
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADFROMFILE = 0x0010;

// Nothing to set up: the controls are always available.
PLATFORM_API void InitCommonControls();

// A font for WM_SETFONT. A positive height is the cell height, a negative one the
// character height; the face picks the nearest family the toolkit has (serif, sans,
// monospace), a weight of 600 or more makes it bold.
PLATFORM_API HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                               DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                               DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);
// Fonts and bitmaps live as long as the process; deleting one is accepted and ignored.
PLATFORM_API BOOL DeleteObject(HGDIOBJ object);

// Bitmap resources of the executable: those registered with
// platform::RegisterBitmapResource, else the file "<executable>.res/bitmap/<id>.bmp"
// beside the executable (24- or 32-bit, uncompressed); null when neither exists.
// LoadImageW also reads such a .bmp file with LR_LOADFROMFILE.
PLATFORM_API HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
PLATFORM_API HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags);

PLATFORM_API HWND GetDlgItem(HWND dialog, int id);
PLATFORM_API int GetDlgCtrlID(HWND control);
PLATFORM_API LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_API BOOL CheckDlgButton(HWND dialog, int id, UINT check);
PLATFORM_API UINT IsDlgButtonChecked(HWND dialog, int id);
// Hides the dialog; the caller's own loop decides when it is over.
PLATFORM_API BOOL EndDialog(HWND dialog, LONG_PTR result);

namespace platform {

// Resources of the executable, which on this system are supplied by the program at
// start-up instead of being linked into it. `rgb` holds width * height * 3 bytes, top
// row first.
PLATFORM_API void RegisterBitmapResource(int id, int width, int height, const std::vector<std::uint8_t>& rgb);
PLATFORM_API void RegisterIconResource(int id, int width, int height, const std::vector<std::uint8_t>& rgba);

// The pixels behind a bitmap handle: width * height * 3 bytes, top row first. False for
// a handle that is not a bitmap.
PLATFORM_API bool BitmapPixels(HBITMAP bitmap, std::vector<std::uint8_t>* rgb, int* width, int* height);

// The client area of a window holding controls, drawn by the dialog toolkit as it shows
// on screen: width * height * 3 bytes, top row first. False without a display.
PLATFORM_API bool CaptureWindow(HWND window, std::vector<std::uint8_t>* rgb, int* width, int* height);

}  // namespace platform
