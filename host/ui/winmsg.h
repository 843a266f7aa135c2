// Window messages, notification codes and small types of the host's windowing layer. The
// numbers are those of the Windows API the module's code was written against, so that
// "WM_COMMAND with the entry's command id" or "message 3050" mean the same here.
#pragma once

#include <cstdint>

#include "host/base/wintypes.h"

using UINT = unsigned;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// Window messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_MOUSEFIRST = 0x0200;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_MOUSELAST = 0x020D;
inline constexpr UINT WM_USER = 0x0400;

// Messages of the host and the module.
inline constexpr UINT WM_FIELD_ERROR = 3050;      // a dialog field was refused: wParam string id
inline constexpr UINT WM_CHOOSE_PATIENT = 4004;   // to the host's main window
inline constexpr UINT WM_START_OVERNITES = 4005;  // run the overnight (unattended) reports
inline constexpr UINT WM_OVERNITE_DONE = 4006;    // an unattended report is done

// Keys.
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_ESCAPE = 0x1B;

// System commands (WM_SYSCOMMAND).
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_MAXIMIZE = 0xF030;  // 61488
inline constexpr UINT SC_RESTORE = 0xF120;

// Show states (ShowWindow, and the state of an MDI child).
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_RESTORE = 9;

// Control notifications carried by WM_COMMAND.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT EN_KILLFOCUS = 0x0200;
inline constexpr UINT EN_CHANGE = 0x0300;

// Notifications carried by WM_NOTIFY.
inline constexpr UINT NM_CLICK = 0u - 2u;
inline constexpr UINT NM_DBLCLK = 0u - 3u;
inline constexpr UINT NM_RETURN = 0u - 4u;
inline constexpr UINT LVN_ITEMCHANGED = 0u - 101u;
inline constexpr UINT TCN_SELCHANGE = 0u - 551u;

// List views.
inline constexpr UINT LVM_FIRST = 0x1000;
inline constexpr UINT LVM_DELETEALLITEMS = LVM_FIRST + 9;
inline constexpr UINT LVM_SETCOLUMNWIDTH = LVM_FIRST + 30;
inline constexpr UINT LVM_SETVIEW = LVM_FIRST + 142;
inline constexpr int LV_VIEW_ICON = 0;
inline constexpr int LV_VIEW_DETAILS = 1;
inline constexpr int LV_VIEW_SMALLICON = 2;
inline constexpr int LV_VIEW_LIST = 3;
inline constexpr int LVNI_ALL = 0;
inline constexpr int LVNI_SELECTED = 2;

// Check states and menu flags.
inline constexpr int BF_UNCHECKED = 0;
inline constexpr int BF_CHECKED = 1;
inline constexpr UINT MF_BYCOMMAND = 0;
inline constexpr UINT MF_UNCHECKED = 0;
inline constexpr UINT MF_CHECKED = 8;

inline constexpr UINT LOWORD(WPARAM w) {
    return static_cast<UINT>(w & 0xFFFF);
}
inline constexpr UINT HIWORD(WPARAM w) {
    return static_cast<UINT>((w >> 16) & 0xFFFF);
}
inline constexpr WPARAM MAKEWPARAM(UINT low, UINT high) {
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

// The header of a WM_NOTIFY message.
struct NMHDR {
    TWindow* hwndFrom = nullptr;
    UINT idFrom = 0;
    UINT code = 0;
};

// A message as the host's message loop hands it to PreProcessMsg.
struct MSG {
    TWindow* hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A colour (the host's TColor).
struct TColor {
    unsigned char r = 0, g = 0, b = 0;
};
inline constexpr TColor TColorLtGray{192, 192, 192};

// A rectangle in dialog units (templates) or pixels (views).
struct TRect {
    int x = 0, y = 0, w = 0, h = 0;
};
