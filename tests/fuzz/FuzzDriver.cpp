// Replays a fuzz target over every file of the given folders (or files), so that the seed
// corpus and every crash found once stay tested in ordinary builds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path root(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(root, error)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error))
                if (entry.is_regular_file()) {
                    RunFile(entry.path());
                    ++count;
                }
        } else if (std::filesystem::is_regular_file(root, error)) {
            RunFile(root);
            ++count;
        }
    }
    // Empty input as well: the smallest case must hold too.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d inputs replayed\n", count);
    return 0;
}
