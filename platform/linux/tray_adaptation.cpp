#include "platform/linux/tray_adaptation.h"

#include <utility>

#include "platform/linux/dbus_strings.h"
#include "platform/linux/tray_pictures.h"

namespace platform::linuxdesktop {
namespace {

bool pictureIsStale(const TrayContent& content, const std::optional<TrayPresentation>& presentation,
                    TrayChanges changes) {
  if (changes.has(TrayChange::title) || changes.has(TrayChange::presentation)) return true;
  const TrayShape shape = presentation.value_or(TrayPresentation{}).shape;
  // In the square the reading is the picture, or was until it emptied.
  if (changes.has(TrayChange::compactReading) && shape == TrayShape::square) return true;
  // The compact picture does not show the image: nothing to redraw.
  return changes.has(TrayChange::image) && !showsCompactReading(content, shape);
}

VariantPtr picturesOf(const TrayContent& content,
                      const std::optional<TrayPresentation>& presentation) {
  // A picture before the presentation is known is seen by no host, and
  // drawing it would load fonts and caches the right picture may not need.
  if (!presentation) return VariantPtr{g_variant_ref_sink(newEmptyPixmaps())};
  return trayPicturesFor(content, *presentation);
}

void setLabel(const TrayContent& content, TrayView& view) {
  const std::vector<platform::CompactLine>& lines = content.compactReading;
  if (lines.empty()) {
    view.label = validUtf8(content.title);
    view.labelGuide = view.label;
    return;
  }
  std::string label;
  std::string guide;
  for (const platform::CompactLine& line : lines) {
    const char* separator = label.empty() ? "" : " ";
    label += separator + line.cue + line.text;
    guide += separator + line.cue + line.widest;
  }
  view.label = validUtf8(label);
  view.labelGuide = validUtf8(guide);
}

}  // namespace

TrayView trayViewOf(const TrayContent& content, std::string_view programName,
                    const std::optional<TrayPresentation>& presentation, TrayChanges changes,
                    const TrayView* previous) {
  const TrayPresentation shown = presentation.value_or(TrayPresentation{});
  TrayView view;
  view.title = validUtf8(content.title.empty() ? programName : content.title);
  view.toolTip = validUtf8(content.toolTip);
  view.pictures =
      previous == nullptr || !previous->pictures || pictureIsStale(content, presentation, changes)
          ? picturesOf(content, presentation)
          : VariantPtr{g_variant_ref(previous->pictures.get())};
  if (shown.themedIcon) view.iconName = validUtf8(content.themedIconName);
  if (shown.label) setLabel(content, view);
  return view;
}

TrayHost::TrayHost(GDBusConnection* connection, const platform::Environment& environment,
                   std::function<void()> changed)
    : changed(std::move(changed)),
      shapeFile(environment, [this] { this->changed(); }),
      hostWatch(
          connection,
          [this] {
            hostProgram.reset();
            this->changed();
          },
          [this](std::optional<std::string> program) {
            hostProgram = std::move(program);
            this->changed();
          }) {}

std::optional<TrayPresentation> TrayHost::presentation() const {
  if (!hostProgram) return std::nullopt;
  return presentationFor(*hostProgram, shapeFile.shape());
}

}  // namespace platform::linuxdesktop
