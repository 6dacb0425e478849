#pragma once
// Native window checks on X11, in place of the window-handle calls of other platforms.

#include <QtGlobal>

namespace platform {

// Installs, once, an X error handler that logs the error and returns, instead of Xlib's default
// that ends the process (a window can vanish between a check and its use).
void installX11ErrorHandler();

// True when `window` names an existing X window (on libobs' X connection).
bool isNativeWindow(quintptr window);

// Size of the window's client area; false (and 0 x 0) when it is not a window.
bool nativeClientSize(quintptr window, int* width, int* height);

// The primary screen in physical pixels (Qt's primary screen, else the X default screen).
void primaryScreenSize(int* width, int* height);

} // namespace platform
