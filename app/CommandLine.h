// The viewer's command line: its only option is "/debug", found without regard to case anywhere
// in the line (also inside a longer word such as "/debugger"). Nothing else is read.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace trevix {

// The arguments after the program's name joined by single spaces, as one command line.
std::string JoinCommandLine(std::span<const std::string> arguments);

// True when the lower-cased line contains "/debug".
bool HasDebugOption(std::string_view commandLine);

} // namespace trevix
