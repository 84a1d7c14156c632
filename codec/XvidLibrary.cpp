#include "codec/XvidLibrary.h"

#include "app/TraceLog.h"

#include <dlfcn.h>
#include <xvid.h>

namespace trevix {

void XvidLibrary::Closer::operator()(void* handle) const {
    if (handle != nullptr)
        ::dlclose(handle);
}

std::optional<XvidLibrary> XvidLibrary::Load(const std::string& fileName) {
    XvidLibrary library;
    library.handle_.reset(::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library.handle_) {
        TRACE("%s not loaded", fileName.c_str());
        return std::nullopt;
    }
    const auto resolve = [&](const char* name) {
        return reinterpret_cast<EntryPoint>(::dlsym(library.handle_.get(), name));
    };
    library.global_ = resolve("xvid_global");
    if (library.global_ == nullptr) {
        TRACE("xvid_global_func error");
        return std::nullopt;
    }
    library.decore_ = resolve("xvid_decore");
    if (library.decore_ == nullptr) {
        TRACE("xvid_decore_func error");
        return std::nullopt;
    }
    library.encore_ = resolve("xvid_encore");
    if (library.encore_ == nullptr) {
        TRACE("xvid_encore_func error");
        return std::nullopt;
    }
    return library;
}

bool XvidLibrary::InitGlobal() const {
    xvid_gbl_init_t init{};
    init.version = kXvidApiVersion;
    init.cpu_flags = 0;
    init.debug = 0;
    return global_(nullptr, XVID_GBL_INIT, &init, nullptr) >= 0;
}

} // namespace trevix
