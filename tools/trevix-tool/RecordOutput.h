// Helpers shared by the subcommands that print recorder records.
#pragma once

#include "recorder/RecorderTime.h"

#include <span>
#include <string>
#include <vector>

namespace trevix::tool {

// The map type of --map-type, else the viewer settings of the working directory.
int MapTypeOption(std::span<const std::string> args);

// Recorder fields as "YYYY-MM-DD HH:MM:SS.mmm", as they stand.
std::string TimeText(const SYSTEMTIME& time);

// The normal data files of path's channel on the card at root, in the file list's order, with
// path spelled as given: the list a normal load takes.
std::vector<std::string> NormalListOfChannel(const std::string& root, const std::string& path);

// The float as its shortest decimal form, so 0.001f prints as 0.001.
double Shortest(float value);

} // namespace trevix::tool
