#include "platform/fake/fake_status_bar.h"

#include "platform/fake/fake_application.h"

namespace platform::fake {
namespace {

const char* weightName(FontWeight weight) {
  switch (weight) {
    case FontWeight::regular:
      return "regular";
    case FontWeight::medium:
      return "medium";
    case FontWeight::semibold:
      return "semibold";
  }
  return "?";
}

std::uint64_t maskForEventType(int type) {
  if (type == kEventTypeLeftMouseUp) return kEventMaskLeftMouseUp;
  if (type == kEventTypeRightMouseUp) return kEventMaskRightMouseUp;
  if (type == kEventTypeOtherMouseUp) return kEventMaskOtherMouseUp;
  return 0;
}

}  // namespace

void FakeMenu::addItem(const std::string& title, std::function<void()> action,
                       const std::string& keyEquivalent, bool enabled) {
  log.add("menu.addItem(" + title + ", " + (action ? "action" : "none") + ", \"" + keyEquivalent +
          "\", " + (enabled ? "enabled" : "disabled") + ")");
  entries.push_back({title, std::move(action), keyEquivalent, enabled, false});
}

void FakeMenu::addSeparator() {
  log.add("menu.addSeparator");
  entries.push_back({"", nullptr, "", false, true});
}

bool FakeMenu::choose(const std::string& title) {
  for (const Entry& entry : entries) {
    if (entry.separator || entry.title != title) continue;
    if (!entry.enabled || !entry.action) return false;
    std::function<void()> action = entry.action;
    action();
    return true;
  }
  return false;
}

void FakeButton::setImage(std::shared_ptr<Image> newImage) {
  if (newImage) {
    const Size size = newImage->size();
    log.add("button.setImage(" + formatNumber(size.width) + "x" + formatNumber(size.height) + ")");
  } else {
    log.add("button.setImage(none)");
  }
  image = std::move(newImage);
}

void FakeButton::setImagePosition(ImagePosition position) {
  log.add("button.setImagePosition(" + std::to_string(static_cast<int>(position)) + ")");
  imagePosition = position;
}

void FakeButton::setTitle(const std::string& newTitle) {
  log.add("button.setTitle(" + newTitle + ")");
  title = newTitle;
}

void FakeButton::setFont(const Font& newFont) {
  log.add(std::string("button.setFont(") +
          (newFont.face == FontFace::system ? "system " : "monospacedDigitSystem ") +
          formatNumber(newFont.size) + " " + weightName(newFont.weight) + ")");
  font = newFont;
}

void FakeButton::setToolTip(const std::string& newToolTip) {
  log.add("button.setToolTip(" + newToolTip + ")");
  toolTip = newToolTip;
}

void FakeButton::setAction(std::function<void()> newAction) {
  log.add("button.setAction");
  action = std::move(newAction);
}

void FakeButton::sendActionOn(std::uint64_t mask) {
  log.add("button.sendActionOn(" + std::to_string(mask) + ")");
  actionMask = mask;
}

void FakeButton::performClick() {
  log.add("button.performClick");
  if (FakeMenu* menu = item.attachedMenu()) {
    log.add("menu.open");
    if (whileMenuOpen) whileMenuOpen(*menu);
    log.add("menu.close");
    return;
  }
  if (action) {
    std::function<void()> copy = action;
    copy();
  }
}

void FakeButton::release(Event event) {
  if (FakeMenu* menu = item.attachedMenu()) {
    log.add("menu.open");
    if (whileMenuOpen) whileMenuOpen(*menu);
    log.add("menu.close");
    return;
  }
  if ((actionMask & maskForEventType(event.type)) == 0 || !action) return;
  std::function<void()> copy = action;
  application.withCurrentEvent(event, copy);
}

FakeStatusItem::FakeStatusItem(bool withButton, FakeApplication& application, CallLog& log)
    : buttonObject(withButton ? std::make_unique<FakeButton>(*this, application, log) : nullptr),
      log(log) {}

void FakeStatusItem::setLength(double newLength) {
  log.add("item.setLength(" + formatNumber(newLength) + ")");
  currentLength = newLength;
}

void FakeStatusItem::setVisible(bool newVisible) {
  log.add(std::string("item.setVisible(") + (newVisible ? "true" : "false") + ")");
  visible = newVisible;
}

void FakeStatusItem::setMenu(std::shared_ptr<Menu> newMenu) {
  log.add(std::string("item.setMenu(") + (newMenu ? "menu" : "none") + ")");
  menu = std::move(newMenu);
}

void FakeStatusItem::setSecondaryClickMenu(std::shared_ptr<Menu> newMenu) {
  log.add(std::string("item.setSecondaryClickMenu(") + (newMenu ? "menu" : "none") + ")");
  secondaryClickMenu = std::move(newMenu);
}

std::shared_ptr<StatusItem> FakeStatusBar::statusItem(double length) {
  log.add("statusItem(" + formatNumber(length) + ")");
  auto item = std::make_shared<FakeStatusItem>(itemsHaveButtons, application, log);
  item->currentLength = length;
  items.push_back(item);
  return item;
}

std::shared_ptr<Menu> FakeStatusBar::newMenu() {
  log.add("newMenu");
  return std::make_shared<FakeMenu>(log);
}

}  // namespace platform::fake
