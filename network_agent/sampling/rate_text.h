#pragma once

#include <string>

namespace agent {

// Rate texts in decimal units: 1 KB is 1,000 bytes and 1 MB is 1,000,000.
// The unit is chosen on the unrounded rate and the number is then rounded as
// C printf rounds it, with "." as decimal separator and no digit grouping,
// whatever the process or global C++ locale. MB is the largest unit.

// The compact text drawn in the status bar; "0 B/s" for a rate that is not
// positive or not a number.
std::string menuRate(double bytesPerSecond);

// The tooltip's text; the same as menuRate except "0 KB/s" for a rate that
// is not positive or not a number.
std::string fullRate(double bytesPerSecond);

}  // namespace agent
