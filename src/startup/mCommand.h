// The quoted-argument parser. Only text between double quotes counts.
#pragma once

#include <string>
#include <vector>

#include "platform/Host.h"

namespace mdb {

// Slot k holds argument k; after N arguments the list has slots 0 to N + 1.
using ArgumentList = std::vector<std::wstring>;

// Slot `index`, or "" past the end of the list.
const std::wstring& ArgumentAt(const ArgumentList& list, std::size_t index);

// Splits `text` into `list` (expected empty); true when at least one quoted
// argument was found. Pure: no logging.
bool SplitQuotedArguments(const std::wstring& text, ArgumentList& list);

// Reads the command line, logs it as "CmdL$=" and splits it.
bool GetCmdLine(IHost& host, ArgumentList& list);

// The Access generation `text` picks outside its double quotes, where the
// parser looks at nothing: the release after the first "/access:" (any
// letter case) that stands as a word of its own, e.g. "2003" for
// `/access:2003 "C:\Data\A.mdb"`; "" when it picks none. Pure.
std::wstring PickedRelease(const std::wstring& text);

}  // namespace mdb
