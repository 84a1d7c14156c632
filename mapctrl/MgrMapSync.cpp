#include "mapctrl/MgrMapSync.h"

namespace trevix {

CMgrMapSync::CMgrMapSync() = default;
CMgrMapSync::~CMgrMapSync() = default;

} // namespace trevix
