#include "platform/linux/tray_presentation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include <glib.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/proc_file.h"

namespace platform::linuxdesktop {
namespace {

constexpr int kMateIconHeight = 25;
constexpr int kGnomeIconHeight = 16;

struct KnownHost {
  std::string_view program;
  TrayPresentation presentation;
};

// As measured: MATE keeps an icon's shape but shows a label in its place,
// in the theme's text colour whatever the panel's (1.2:1 on a dark panel),
// so it gets the wide picture and no label; at its default size it takes a
// 25 pixel high pixmap when offered one, and otherwise scales the 22 pixel
// one. Xfce's systray (in the plugin wrapper) and LXQt squeeze icons into a
// square; the ayatana indicator service draws no pixmap, only a themed icon
// beside the label; Waybar and tray-view keep the shape. GNOME Shell's
// AppIndicator extension scales every icon into a 16 pixel square, where
// digits are 5 pixels high, and shows the label beside it in the bar's own
// text colour: the label carries the reading, the picture only its symbol.
// Plasma squeezes icons into a 22 pixel square and shows no label; its
// tray's watcher is served by kded5, or by plasmashell itself.
constexpr KnownHost kKnownHosts[] = {
    {"mate-panel", {TrayShape::wide, false, false, kMateIconHeight}},
    {"notification-area-applet", {TrayShape::wide, false, false, kMateIconHeight}},
    {"xfce4-panel", {TrayShape::square, true, false}},
    {"wrapper-2.0", {TrayShape::square, true, false}},
    {"lxqt-panel", {TrayShape::square, true, false}},
    {"ayatana-indicator-application-service", {TrayShape::square, true, true}},
    {"waybar", {TrayShape::wide, true, false}},
    {"tray-view", {TrayShape::wide, true, false}},
    {"kded5", {TrayShape::square, false, false}},
    {"plasmashell", {TrayShape::square, false, false}},
    {"gnome-shell", {TrayShape::square, true, false, kGnomeIconHeight, true}},
};

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool sameLetters(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Room for /proc's comm, which keeps the first 15 bytes of a name.
constexpr std::size_t kCommSize = 64;
// /proc's comm keeps the first 15 bytes of a name.
constexpr std::size_t kCommLength = 15;

bool names(std::string_view program, std::string_view known) {
  return program == known || (program.size() == kCommLength && known.starts_with(program));
}

}  // namespace

TrayPresentation presentationFor(std::optional<std::string_view> hostProgram,
                                 std::optional<TrayShape> userShape) {
  TrayPresentation presentation;
  for (const KnownHost& host : kKnownHosts) {
    if (hostProgram && names(*hostProgram, host.program)) presentation = host.presentation;
  }
  if (userShape) presentation.shape = *userShape;
  return presentation;
}

std::optional<std::string> programOfProcess(unsigned processId) {
  const std::string folder = "/proc/" + std::to_string(processId);
  const GCharPtr target{g_file_read_link((folder + "/exe").c_str(), nullptr)};
  if (target) {
    const GCharPtr name{g_path_get_basename(target.get())};
    // A replaced executable reads "name (deleted)".
    std::string_view program{name.get()};
    if (const auto cut = program.find(" (deleted)"); cut != std::string_view::npos) {
      program = program.substr(0, cut);
    }
    if (!program.empty()) return std::string{program};
  }
  std::array<char, kCommSize> buffer{};
  const auto comm = readFileHead((folder + "/comm").c_str(), buffer);
  if (!comm) return std::nullopt;
  std::string_view program = *comm;
  while (!program.empty() && program.back() == '\n') program.remove_suffix(1);
  if (program.empty()) return std::nullopt;
  return std::string{program};
}

std::optional<TrayShape> parseTrayShape(std::string_view text) {
  text = trimmed(text);
  if (sameLetters(text, "wide")) return TrayShape::wide;
  if (sameLetters(text, "square")) return TrayShape::square;
  return std::nullopt;
}

}  // namespace platform::linuxdesktop
