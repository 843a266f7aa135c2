// Windows-style constants and small types that the module's code uses with the host's
// message boxes and windows. They keep the module's code close to the host interfaces
// it was written against, without any Windows header.
#pragma once

#include <cstdint>

// Message box buttons and icons (combined with |).
inline constexpr unsigned MB_OK = 0x0000;
inline constexpr unsigned MB_OKCANCEL = 0x0001;
inline constexpr unsigned MB_YESNOCANCEL = 0x0003;
inline constexpr unsigned MB_YESNO = 0x0004;
inline constexpr unsigned MB_ICONERROR = 0x0010;
inline constexpr unsigned MB_ICONHAND = MB_ICONERROR;
inline constexpr unsigned MB_ICONQUESTION = 0x0020;
inline constexpr unsigned MB_ICONWARNING = 0x0030;
inline constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
inline constexpr unsigned MB_ICONINFORMATION = 0x0040;
inline constexpr unsigned MB_BUTTONMASK = 0x000F;
inline constexpr unsigned MB_ICONMASK = 0x00F0;

// Message box answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The host's window classes (defined in host/ui/window.h and host/ui/dialog.h). Layers below
// the user interface only pass windows along, as the parent of what they show.
class TWindow;
class TDialog;
