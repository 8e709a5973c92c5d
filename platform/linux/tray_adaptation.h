#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gio/gio.h>

#include "platform/environment.h"
#include "platform/graphics.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/tray_host_watch.h"
#include "platform/linux/tray_presentation.h"
#include "platform/linux/tray_shape_file.h"
#include "platform/status_bar.h"

namespace platform::linuxdesktop {

class TextEngine;

// The tray-host adaptation: everything that differs from one tray host to
// another lives behind this header. Its parts:
//
// - TrayHostWatch and programOfProcess: which program hosts the tray;
// - tray_presentation.cpp: the table of known hosts and what each is given
//   (TrayPresentation); a new host is a row there;
// - TrayShapeFile: the user's choice of shape, which overrides the host's;
// - tray_pictures.h with compact_pixmap.h and title_pixmap.h: the picture of
//   each shape;
// - trayViewOf below: which property shows what on the current host (the
//   label, its guide, the themed icon) and which change makes the picture
//   stale.
//
// The status item knows none of these rules: it keeps the button's content,
// asks trayViewOf for the host-facing values once per change and serves them.
//
// To adapt to a new host: add its row to the table in tray_presentation.cpp.
// A new way of showing an item: a field in TrayPresentation (with its value
// in each row), read by trayViewOf for the texts and the icon's name, or by
// trayPicturesFor for the pictures; a new input from the agent: a field in
// TrayContent, set by SniButton, with its TrayChange.

// What an item shows, as its button was told: the whole input of the
// host-facing values.
struct TrayContent {
  std::string title;
  // A status bar button's default font: the system font at the bar's size.
  platform::Font font{platform::FontFace::system, 14.0, platform::FontWeight::regular};
  std::string toolTip;
  // The image a host may show; null when none is set or its position hides it.
  std::shared_ptr<platform::Image> image;
  std::vector<platform::CompactLine> compactReading;
  std::string themedIconName;
  // What draws the title and the compact reading: the platform's one text
  // engine, which its images share. Without one neither is drawn.
  std::shared_ptr<TextEngine> textEngine;
};

// The parts of the content, and the presentation, that may have changed.
enum class TrayChange : unsigned {
  image = 1U << 0U,
  // The title's text or font.
  title = 1U << 1U,
  compactReading = 1U << 2U,
  toolTip = 1U << 3U,
  themedIconName = 1U << 4U,
  presentation = 1U << 5U,
};

// A set of TrayChange.
class TrayChanges {
 public:
  TrayChanges() = default;
  // Everything: nothing is reused.
  static TrayChanges all() { return TrayChanges{~0U}; }
  void add(TrayChange change) { bits |= static_cast<unsigned>(change); }
  bool has(TrayChange change) const { return (bits & static_cast<unsigned>(change)) != 0; }
  bool empty() const { return bits == 0; }

 private:
  explicit TrayChanges(unsigned bits) : bits(bits) {}
  unsigned bits = 0;
};

// The item's host-facing values on one host, every text valid UTF-8.
struct TrayView {
  // Title: the button's title, or the program's name when it has none.
  std::string title;
  std::string toolTip;
  // IconPixmap, an a(iiay) (see trayPicturesFor); never null once built.
  VariantPtr pictures;
  // IconName: the themed icon, only for hosts that draw no pixmap.
  std::string iconName;
  // XAyatanaLabel and XAyatanaLabelGuide; both undeclared while the label is
  // empty, since MATE hides an item whose label is declared empty.
  std::string label;
  std::string labelGuide;
};

// The view of the content on a host with the presentation (absent while the
// host is being identified: no picture then, since no host sees one). Only
// what the changes make stale is rebuilt; the rest, the picture above all, is
// taken from `previous` (null: everything is built).
//
// The label is the compact reading's lines (cue and text, one space apart)
// with the widest texts as its guide, or else the title for both; none where
// the presentation wants none. The picture is stale after a change of title,
// of presentation, of compact reading where the square shows it, and of image
// where the picture is not the compact reading.
TrayView trayViewOf(const TrayContent& content, std::string_view programName,
                    const std::optional<TrayPresentation>& presentation, TrayChanges changes,
                    const TrayView* previous);

// The tray host as one process sees it: the watcher's owner and the user's
// shape file, followed for as long as this lives, and the presentation they
// make.
class TrayHost {
 public:
  // changed runs whenever presentation() may have changed.
  TrayHost(GDBusConnection* connection, const platform::Environment& environment,
           std::function<void()> changed);

  // Absent while the watcher's owner is being identified or there is none.
  std::optional<TrayPresentation> presentation() const;

 private:
  std::function<void()> changed;
  // Absent while the watcher's owner is being identified or there is none;
  // then the program's name, absent when it cannot be told.
  std::optional<std::optional<std::string>> hostProgram;
  TrayShapeFile shapeFile;
  TrayHostWatch hostWatch;
};

}  // namespace platform::linuxdesktop
