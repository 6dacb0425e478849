#pragma once
// What libobs needs of this platform before and around its start: the X11 display for the EGL
// renderer, the graphics module, the modules the program may load, and where libobs log lines go.

#include <string>
#include <vector>

namespace platform {

// Opens (once per process) the X connection libobs renders through and hands it to libobs with
// the X11 EGL platform. Must run before obs_startup; false when no X display can be opened
// (libobs must not start then).
bool prepareObsPlatform();
// Takes the connection back from libobs after obs_shutdown; it stays open for a later start.
void releaseObsPlatform();
// The X display given to libobs (null before prepareObsPlatform); also used for window checks.
void* obsX11Display();

// The libobs graphics module of this platform.
const char* obsGraphicsModule();

// Names of the libobs modules the program uses. Loading every module found is not an option: some
// of them build widgets or call a frontend that does not exist here and abort the process.
const std::vector<std::string>& obsModuleWhitelist();
// Opens and initialises each whitelisted module found in libobs' module paths; returns how many
// were loaded. The caller finishes with obs_post_load_modules.
int loadObsModuleWhitelist();

// Where libobs log lines end up: the text and a newline to standard error, kept together.
void writeDebuggerLine(const char* text);

} // namespace platform
