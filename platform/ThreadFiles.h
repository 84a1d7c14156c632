// The table of open files of one thread.
#pragma once

namespace trevix {

// Gives the calling thread a table of open files of its own, a copy of the process's table as it
// is now. Threads that share one table wait on its lock whenever two of them open or close a
// file at once; a thread that opens thousands of small files beside another runs faster alone.
// Afterwards, files the thread opens exist for it only: it must close them itself, and pass
// none of their descriptors to another thread. Files opened elsewhere after the call are not
// open for it. Returns false (and nothing changes) when the system refuses.
bool UseOwnFileTable();

} // namespace trevix
