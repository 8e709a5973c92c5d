#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tools {

// Text that came from elsewhere (a bus client, the command line, an error
// message), made safe to print on a terminal: every control character is
// escaped, C0 and DEL as \n, \r, \t or \xHH, C1 (U+0080...U+009F) as \u0080,
// and so is every byte that is not part of valid UTF-8, as \xHH. Everything
// else, other UTF-8 included, stays as it is.
std::string escapedControls(std::string_view text);

// The text in double quotes, escaped as above, with '"' and '\' escaped too
// (\", \\), so that it reads back as one word.
std::string quoted(std::string_view text);

// Prints the escaped text and a newline on stream and flushes it, so that a
// reader of the output sees every line at once.
void printEscapedLine(std::FILE* stream, std::string_view text);

}  // namespace tools
