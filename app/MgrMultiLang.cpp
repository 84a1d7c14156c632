#include "app/Lang.h"

namespace trevix {

// Provisional: no language file is chosen yet, so every lookup yields its English default.
std::string Lang(std::string_view, std::string_view, std::string_view englishDefault) {
    return std::string(englishDefault);
}

} // namespace trevix
