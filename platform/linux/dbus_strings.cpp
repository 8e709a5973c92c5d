#include "platform/linux/dbus_strings.h"

#include <glib.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop {

std::string validUtf8(std::string_view text) {
  const std::string_view untilNul = text.substr(0, text.find('\0'));
  const GCharPtr valid{g_utf8_make_valid(untilNul.data(), static_cast<gssize>(untilNul.size()))};
  return std::string{valid.get()};
}

}  // namespace platform::linuxdesktop
