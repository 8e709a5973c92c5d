#pragma once

#include <string>

namespace agent {

// Rate texts in decimal units: 1 KB is 1,000 bytes and 1 MB is 1,000,000.
// The unit is chosen on the unrounded rate and the number is then rounded as
// C printf rounds it, with "." as decimal separator and no digit grouping,
// whatever the process or global C++ locale. MB is the largest unit.

// The compact text drawn in the status bar; "0 B/s" for a rate that is not
// positive or not a finite number.
std::string menuRate(double bytesPerSecond);

// The tooltip's text; the same as menuRate except "0 KB/s" for a rate that
// is not positive or not a finite number.
std::string fullRate(double bytesPerSecond);

// At most four characters for a tray's small square or label: the rate in
// KB, MB or GB, the unit as its letter, one decimal below 10 ("1.2M", "340K",
// "0.5K"), "999G" at most; "0" alone below 50 bytes a second or for a rate
// that is not a number ("0K" would read as "OK").
std::string compactRate(double bytesPerSecond);

// A text at least as wide as any compactRate in a proportional font.
inline constexpr const char* kWidestCompactRate = "888M";

}  // namespace agent
