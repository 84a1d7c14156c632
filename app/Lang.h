// Text lookup: every user-visible text is looked up by section, key and the English default of
// its call site in the active language file.
#pragma once

#include <string>
#include <string_view>

namespace trevix {

// The text of key in section of the active language file, or englishDefault; the two
// characters backslash and n become a line break. Thread-safe.
std::string Lang(std::string_view section, std::string_view key, std::string_view englishDefault);

} // namespace trevix
