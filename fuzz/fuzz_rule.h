#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

// Ends the run when a documented rule does not hold for a result. libFuzzer
// keeps the input as a crash, so a wrong answer fails the target like a
// memory fault does.
#define FUZZ_RULE(condition) \
  ((condition) ? static_cast<void>(0) : ::fuzz::ruleBroken(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void ruleBroken(const char* rule, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, rule);
  std::abort();
}

// The bytes as text, without a copy.
inline std::string_view textOf(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline bool isAsciiDigit(char character) { return character >= '0' && character <= '9'; }

}  // namespace fuzz
