#pragma once

#import <AppKit/AppKit.h>

#include <memory>
#include <string>

#include "platform/graphics.h"

namespace platform::macos {

// An NSImage of the given size in points, not a template image, so the
// status bar shows its colours as drawn. The drawing steps are kept until the
// image is wanted, then drawn in order with the image as the drawing
// destination once (one lockFocus) under the application's effective
// appearance once, whatever their number.
class AppKitImage final : public platform::Image {
 public:
  explicit AppKitImage(platform::Size size);

  platform::Size size() const override;
  // Fills the whole image with the current context's compositing operation,
  // source-over when there is no current context.
  void fill(const platform::Color& color) override;
  // drawAtPoint:withAttributes: with the font and the foreground colour alone.
  void drawText(const std::string& text, platform::Point at, const platform::Font& font,
                const platform::Color& color) override;

  // The image with every drawing step so far drawn.
  NSImage* finishedImage();

 private:
  void addStep(void (^step)(void));

  NSImage* image = nil;
  NSMutableArray<void (^)(void)>* pendingDrawing = [NSMutableArray array];
};

class AppKitGraphics final : public platform::Graphics {
 public:
  // sizeWithAttributes: with the font attribute alone.
  double textWidth(const std::string& text, const platform::Font& font) override;
  std::shared_ptr<platform::Image> newImage(platform::Size size) override;
};

}  // namespace platform::macos
