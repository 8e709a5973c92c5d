#include "platform/posix/unique_handle.h"

#include <unistd.h>

namespace platform::posix {

// close() is not retried on EINTR: on Linux the descriptor is released
// whatever close() reports, and a retry could close a reused number.
void FdCloser::operator()(pointer fd) const { ::close(fd.value); }

}  // namespace platform::posix
