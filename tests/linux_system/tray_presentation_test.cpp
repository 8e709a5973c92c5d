#include "platform/linux/tray_presentation.h"

#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

namespace platform::linuxdesktop {
namespace {

TEST(TrayPresentationTest, MeasuredHostsAreKnownAndUnknownOnesGetTheSquareWithALabel) {
  const TrayPresentation wide{TrayShape::wide, true, false};
  const TrayPresentation square{TrayShape::square, true, false};
  const TrayPresentation mate{TrayShape::wide, false, false, 25};
  const TrayPresentation plasma{TrayShape::square, false, false};
  // The host's program, the user's shape and what they give.
  using Case = std::tuple<std::optional<std::string>, std::optional<TrayShape>, TrayPresentation>;
  const Case cases[] = {
      {"notification-area-applet", {}, mate},
      {"mate-panel", {}, mate},
      {"wrapper-2.0", {}, square},
      {"lxqt-panel", {}, square},
      {"waybar", {}, wide},
      {"ayatana-indicator-application-service", {}, {TrayShape::square, true, true}},
      // /proc's comm: the first 15 bytes.
      {"ayatana-indicat", {}, {TrayShape::square, true, true}},
      {"ayatana-indica", {}, square},
      {"kded5", {}, plasma},
      {"plasmashell", {}, plasma},
      {"some-tray", {}, square},
      // The label beside a 16 px symbol.
      {"gnome-shell", {}, {TrayShape::square, true, false, 16, true}},
      {std::nullopt, {}, square},
      {"", {}, square},
      {"waybar", TrayShape::square, square},
      {"mate-panel", TrayShape::square, {TrayShape::square, false, false, 25}},
      {"kded5", TrayShape::wide, {TrayShape::wide, false, false}},
  };
  for (const auto& [host, userShape, expected] : cases) {
    EXPECT_EQ(presentationFor(host, userShape), expected) << host.value_or("(unknown)");
  }
}

TEST(TrayPresentationTest, ShapeTextIsWideOrSquareInAnyCaseAndAnythingElseIsNoChoice) {
  const std::pair<const char*, std::optional<TrayShape>> cases[] = {
      {"wide", TrayShape::wide},
      {" Square\t", TrayShape::square},
      {"WIDE", TrayShape::wide},
      {"auto", std::nullopt},
      {"", std::nullopt},
      {"squares", std::nullopt},
      {"wide square", std::nullopt},
  };
  for (const auto& [text, shape] : cases) EXPECT_EQ(parseTrayShape(text), shape) << text;
}

}  // namespace
}  // namespace platform::linuxdesktop
