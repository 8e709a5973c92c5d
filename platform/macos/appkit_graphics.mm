#include "platform/macos/appkit_graphics.h"

#include "platform/macos/appkit_conversions.h"

namespace platform::macos {

AppKitImage::AppKitImage(platform::Size size)
    : image([[NSImage alloc] initWithSize:NSMakeSize(size.width, size.height)]) {
  [image setTemplate:NO];
}

platform::Size AppKitImage::size() const {
  const NSSize size = [image size];
  return {.width = static_cast<double>(size.width), .height = static_cast<double>(size.height)};
}

void AppKitImage::addStep(void (^step)(void)) { [pendingDrawing addObject:[step copy]]; }

NSImage* AppKitImage::finishedImage() {
  if ([pendingDrawing count] == 0) return image;
  NSArray<void (^)(void)>* steps = pendingDrawing;
  pendingDrawing = [NSMutableArray array];
  void (^drawing)(void) = ^{
    for (void (^step)(void) in steps) step();
  };
  [image lockFocus];
  // A message to a missing application or appearance would skip the drawing.
  NSAppearance* appearance = [NSApp effectiveAppearance];
  if (appearance != nil) {
    [appearance performAsCurrentDrawingAppearance:drawing];
  } else {
    drawing();
  }
  [image unlockFocus];
  return image;
}

void AppKitImage::fill(const platform::Color& color) {
  NSColor* fillColor = toNSColor(color);
  const NSSize size = [image size];
  addStep(^{
    NSGraphicsContext* context = [NSGraphicsContext currentContext];
    const NSCompositingOperation operation =
        context != nil ? [context compositingOperation] : NSCompositingOperationSourceOver;
    [fillColor setFill];
    NSRectFillUsingOperation(NSMakeRect(0, 0, size.width, size.height), operation);
  });
}

void AppKitImage::drawText(const std::string& text, platform::Point at, const platform::Font& font,
                           const platform::Color& color) {
  NSString* string = toNSString(text);
  NSDictionary<NSAttributedStringKey, id>* attributes = @{
    NSFontAttributeName : toNSFont(font),
    NSForegroundColorAttributeName : toNSColor(color),
  };
  addStep(^{
    [string drawAtPoint:NSMakePoint(at.x, at.y) withAttributes:attributes];
  });
}

double AppKitGraphics::textWidth(const std::string& text, const platform::Font& font) {
  NSDictionary<NSAttributedStringKey, id>* attributes = @{NSFontAttributeName : toNSFont(font)};
  return static_cast<double>([toNSString(text) sizeWithAttributes:attributes].width);
}

std::shared_ptr<platform::Image> AppKitGraphics::newImage(platform::Size size) {
  return std::make_shared<AppKitImage>(size);
}

}  // namespace platform::macos
