#pragma once
// Whether the program can open windows at all. Without a display Qt's xcb platform aborts the process
// with a long plug-in message; the program says what is missing instead, before Qt is started.

#include <functional>
#include <string>
#include <vector>

namespace lumora::app {

// The line to print when no window can be opened, or an empty string when one can. `environment` looks a
// variable up (nullptr when unset); `arguments` are the command line without the program name.
//
// A platform chosen by "-platform NAME" or QT_QPA_PLATFORM (a list such as "wayland;xcb" tries each) is
// used as chosen: "xcb" needs DISPLAY naming an X server that accepts connections (checked for local
// displays), "wayland" a compositor's socket; every other platform (offscreen, minimal, vnc, ...) needs no
// display. Without a choice Qt tries xcb, or Wayland first in a Wayland session.
std::string missingDisplayMessage(const std::function<const char*(const char*)>& environment,
                                  const std::vector<std::string>& arguments);

}  // namespace lumora::app
