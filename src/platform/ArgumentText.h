// The argument text of a raw Windows command line: what follows the program
// name. Portable, so the whole way from the raw line to the argument list
// can be tested and fuzzed off Windows.
#pragma once

#include <string>

namespace mdb {

// Skips the program name of a raw command line by the rules Windows uses to
// split it (a leading double quote runs the name to the next one, otherwise
// it ends at the first blank or tab), and the blanks and tabs after it.
// Never fails; a line holding only a name gives "".
std::wstring ArgumentTextOf(const std::wstring& rawCommandLine);

}  // namespace mdb
