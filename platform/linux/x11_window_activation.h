#pragma once

#include <cstdint>

namespace platform::linuxdesktop {

// Asks the window manager of the X11 display named by DISPLAY to activate
// every top-level window (_NET_CLIENT_LIST) whose _NET_WM_PID is the process
// id, in the order the window manager lists them, so the newest ends on top.
// The request says it comes from an application (source indication 1) at no
// particular time: a window manager that guards against focus stealing may
// mark the window as demanding attention instead. Without a display, without
// a window manager that lists its clients, or when built without libxcb,
// nothing happens. Connects for the call only; returns the number of windows
// asked for.
int activateWindowsOf(std::int32_t pid);

}  // namespace platform::linuxdesktop
