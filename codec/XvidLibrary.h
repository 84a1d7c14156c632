// The MPEG-4 codec library, loaded at run time by its file name. The library is never linked:
// without it MPEG-4 channels stay empty while everything else works.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace trevix {

inline constexpr const char* kXvidLibraryFile = "libxvidcore.so.4";
// Structure version handed to every call: the library's API 1.2.1.
inline constexpr int kXvidApiVersion = 0x010201;

class XvidLibrary {
public:
    using EntryPoint = int (*)(void* handle, int operation, void* param1, void* param2);

    // Loads fileName and resolves xvid_global, xvid_decore and xvid_encore; traces
    // "<file> not loaded" or "xvid_<name>_func error" and gives nothing on failure.
    static std::optional<XvidLibrary> Load(const std::string& fileName);

    // Initialises the library (global operation 0, CPU flags and debug 0); false on failure.
    bool InitGlobal() const;

    EntryPoint Global() const { return global_; }
    EntryPoint Decore() const { return decore_; }
    EntryPoint Encore() const { return encore_; }

private:
    struct Closer {
        void operator()(void* handle) const;
    };
    XvidLibrary() = default;

    std::unique_ptr<void, Closer> handle_;
    EntryPoint global_ = nullptr;
    EntryPoint decore_ = nullptr;
    EntryPoint encore_ = nullptr;
};

} // namespace trevix
