// The availability check's negative control: case 0 must parse, case 1 uses
// what Apple's libc++ lacks before macOS 13.3 and case 2 holds what clang
// warns about; both must fail.
#include <charconv>

int printedLength() {
  char buffer[32];
#if VELMORA_BROKEN_CASE == 0
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, 15);
#elif VELMORA_BROKEN_CASE == 1
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, 1.5);
#else
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, 15);
  int unused = 0;
#endif
  return static_cast<int>(result.ptr - buffer);
}
