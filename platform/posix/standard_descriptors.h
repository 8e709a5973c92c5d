#pragma once

namespace platform::posix {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Otherwise
// the next descriptor opened, a bus socket most likely, would take that
// number, and a library's warning written to "stderr", or a line read from
// "stdin", would tear into the bus traffic. Call it first thing in main.
void openMissingStandardDescriptors();

}  // namespace platform::posix
