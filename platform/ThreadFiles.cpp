#include "platform/ThreadFiles.h"

#include <sched.h>

namespace trevix {

bool UseOwnFileTable() {
    return ::unshare(CLONE_FILES) == 0;
}

} // namespace trevix
