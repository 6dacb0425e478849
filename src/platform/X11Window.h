#pragma once
// Native window checks on X11, in place of the window-handle calls of other platforms.

#include <QtGlobal>

namespace platform {

// Installs the process's X error handler, which logs the error and returns, instead of Xlib's
// default that ends the process (a window can vanish between a check and its use). Qt puts a
// handler of its own in place when it connects, so this may be called again later; it stays the
// one handler of the process.
void installX11ErrorHandler();

// Catches the X errors of the requests made on this thread while it lives: every read of another
// program's window goes through one, as that window may be gone or malformed at any moment.
// Errors caught here are not logged. `display` is an Xlib Display*.
class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(void* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;
    // Waits for the server's answers to everything sent so far; the error code of the last failed
    // request since the trap was set (or since the last reset), 0 when none failed.
    int errorCode();
    bool failed() { return errorCode() != 0; }
    void reset();

private:
    void* display_;
};

// True when `window` names an existing X window (on libobs' X connection).
bool isNativeWindow(quintptr window);

// Size of the window's client area; false (and 0 x 0) when it is not a window.
bool nativeClientSize(quintptr window, int* width, int* height);

// Asks the X server to tell this program (Qt's connection) when the window becomes wholly covered
// or uncovered, keeping the events Qt selected on it; false when it is not a window.
bool watchCovering(quintptr window);
// For an xcb event seen by a native event filter: true when it tells that a window became wholly
// covered (`covered` true) or at least partly uncovered, with that window.
bool coveringReport(void* xcbEvent, quintptr* window, bool* covered);

// The primary screen in physical pixels (Qt's primary screen, else the X default screen).
void primaryScreenSize(int* width, int* height);

} // namespace platform
