#include "platform/macos/appkit_conversions.h"

namespace platform::macos {
namespace {

NSFontWeight toNSFontWeight(platform::FontWeight weight) {
  switch (weight) {
    case platform::FontWeight::medium:
      return NSFontWeightMedium;
    case platform::FontWeight::semibold:
      return NSFontWeightSemibold;
    case platform::FontWeight::regular:
      break;
  }
  return NSFontWeightRegular;
}

}  // namespace

NSString* toNSString(const std::string& text) {
  NSString* converted = [[NSString alloc] initWithBytes:text.data()
                                                 length:text.size()
                                               encoding:NSUTF8StringEncoding];
  return converted != nil ? converted : @"";
}

std::string toStdString(NSString* text) {
  const char* bytes = [text UTF8String];
  return bytes != nullptr ? std::string(bytes) : std::string();
}

NSFont* toNSFont(const platform::Font& font) {
  const CGFloat size = static_cast<CGFloat>(font.size);
  const NSFontWeight weight = toNSFontWeight(font.weight);
  if (font.face == platform::FontFace::monospacedDigitSystem) {
    return [NSFont monospacedDigitSystemFontOfSize:size weight:weight];
  }
  return [NSFont systemFontOfSize:size weight:weight];
}

NSColor* toNSColor(const platform::Color& color) {
  const auto alpha = static_cast<CGFloat>(color.alpha);
  if (color.red == color.green && color.green == color.blue) {
    return [NSColor colorWithCalibratedWhite:static_cast<CGFloat>(color.red) alpha:alpha];
  }
  return [NSColor colorWithCalibratedRed:static_cast<CGFloat>(color.red)
                                   green:static_cast<CGFloat>(color.green)
                                    blue:static_cast<CGFloat>(color.blue)
                                   alpha:alpha];
}

}  // namespace platform::macos
