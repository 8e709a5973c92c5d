#pragma once

#import <AppKit/AppKit.h>

#include <string>

#include "platform/graphics.h"

namespace platform::macos {

// The only crossings between the seam's C++ values and AppKit's objects.

// UTF-8 text and back; text that is not UTF-8 converts to an empty string.
NSString* toNSString(const std::string& text);
std::string toStdString(NSString* text);

// The system font of the size and weight, with monospaced digits when asked.
NSFont* toNSFont(const platform::Font& font);

// A calibrated colour: grey levels (red = green = blue) in the calibrated
// white space, like whiteColor and clearColor, others in calibrated RGB.
NSColor* toNSColor(const platform::Color& color);

}  // namespace platform::macos
