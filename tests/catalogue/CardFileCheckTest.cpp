#include "catalogue/CardFileCheck.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace trevix;
using namespace trevix::test;
namespace fs = std::filesystem;

TEST(CardFileCheck, DataFilesBelowThirtyBytesAreDeletedFromThirtyOnTheyAreRead) {
    TempDir dir;
    const std::string short29 = P(dir.Write("a.vdd", std::string(29, 'x')));
    const std::string exact30 = P(dir.Write("b.vdd", std::string(30, 'x')));
    const std::string empty = P(dir.Write("c.log", ""));
    EXPECT_EQ(CheckDataFile(short29), FileCheck::Deleted);
    EXPECT_FALSE(Exists(short29));
    EXPECT_EQ(CheckDataFile(exact30), FileCheck::Passed);
    EXPECT_TRUE(Exists(exact30));
    EXPECT_EQ(CheckDataFile(empty), FileCheck::Deleted);
    EXPECT_EQ(CheckDataFile(P(dir.Path() / "missing.vdd")), FileCheck::Failed);
}

TEST(CardFileCheck, IndexFilesBelowTenBytesAreDeletedAndAMissingIndexPasses) {
    TempDir dir;
    const std::string short9 = P(dir.Write("a.vdx", std::string(9, 'x')));
    const std::string exact10 = P(dir.Write("b.vdx", std::string(10, 'x')));
    EXPECT_EQ(CheckIndexFile(short9), FileCheck::Deleted);
    EXPECT_FALSE(Exists(short9));
    EXPECT_EQ(CheckIndexFile(exact10), FileCheck::Passed);
    EXPECT_EQ(CheckIndexFile(P(dir.Path() / "missing.vdx")), FileCheck::Passed);
}

TEST(CardFileCheck, RefusesFoldersAndFifosWithoutWaiting) {
    TempDir dir;
    fs::create_directories(dir.Path() / "folder.vdd");
    EXPECT_EQ(CheckDataFile(P(dir.Path() / "folder.vdd")), FileCheck::Failed);
    EXPECT_TRUE(Exists(dir.Path() / "folder.vdd"));
    const std::string fifo = P(dir.Path() / "pipe.vdd");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(CheckDataFile(fifo), FileCheck::Failed); // a blocking open would hang here
    EXPECT_EQ(CheckCrashedFile(fifo), CrashCheck::Damaged);
    EXPECT_TRUE(Exists(fifo));
}

TEST(CardFileCheck, ShortFilesAreDeletedByTheCrashCheckOnlyWhenTheyAreMediaFiles) {
    TempDir dir;
    const std::string index = P(dir.Write("ch1/event/x.vdx", ""));
    const std::string audio = P(dir.Write("audio/event/x.ADD", "123456789"));
    const std::string settings = P(dir.Write("config/set.ini", "12345"));
    const std::string full = P(dir.Write("ch1/event/y.vdd", std::string(10, 'x')));
    EXPECT_EQ(CheckCrashedFile(index), CrashCheck::Deleted);
    EXPECT_FALSE(Exists(index));
    EXPECT_EQ(CheckCrashedFile(audio), CrashCheck::Deleted);
    EXPECT_EQ(CheckCrashedFile(settings), CrashCheck::Readable);
    EXPECT_TRUE(Exists(settings));
    EXPECT_EQ(CheckCrashedFile(full), CrashCheck::Readable);
    EXPECT_EQ(CheckCrashedFile(P(dir.Path() / "gone.vdd")), CrashCheck::Damaged);
    EXPECT_TRUE(IsRecorderMediaPath("/card/ch1/event/a.vdd"));
    EXPECT_FALSE(IsRecorderMediaPath("/card/memo/a.aud"));
}

namespace {

std::string PatternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + 3);
    return bytes;
}

// The bytes a read of length at offset must give from bytes.
std::string Expected(const std::string& bytes, std::uint64_t offset, std::size_t length) {
    return offset >= bytes.size() ? std::string() : bytes.substr(offset, length);
}

std::string Read(const CardFile& file, std::uint64_t offset, std::size_t length) {
    std::vector<std::uint8_t> out(length);
    const std::size_t got = file.ReadAt(offset, out);
    return std::string(reinterpret_cast<const char*>(out.data()), got);
}

} // namespace

// Reads served from the copies of a file's first and last bytes give what the file holds, for
// reads inside, across and beyond those stretches, in any order.
TEST(CardFile, ReadsGiveTheFileBytesWhereverTheyFall) {
    TempDir dir;
    constexpr std::size_t kWindow = CardFile::kWindowBytes;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{29}, kWindow - 1, kWindow, kWindow + 1,
          2 * kWindow - 1, 2 * kWindow + 5, std::size_t{4232}}) {
        const std::string bytes = PatternBytes(size);
        const std::string path = P(dir.Write("f" + std::to_string(size), bytes));
        const CardFile shared(path);
        ASSERT_TRUE(shared.IsOpen());
        for (const std::uint64_t offset :
             {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{size / 2},
              // size - 92 wraps around for small files: an offset far past any end.
              std::uint64_t{size > kWindow ? size - kWindow : 0}, std::uint64_t{size - 92},
              std::uint64_t{size > 0 ? size - 1 : 0}, std::uint64_t{size}, std::uint64_t{size + 3},
              std::uint64_t{kWindow - 1}, std::uint64_t{kWindow}})
            for (const std::size_t length : {std::size_t{1}, std::size_t{52}, std::size_t{92},
                                             std::size_t{161}, kWindow, kWindow + 1}) {
                const std::string want = Expected(bytes, offset, length);
                EXPECT_EQ(Read(shared, offset, length), want) << size << " " << offset;
                const CardFile fresh(path);
                EXPECT_EQ(Read(fresh, offset, length), want) << size << " " << offset;
            }
    }
}

TEST(CardFile, OpeningAnotherFileForgetsTheBytesReadOfTheFirst) {
    TempDir dir;
    const std::string first = P(dir.Write("ch1/event/a.vdd", std::string(600, 'a')));
    dir.Write("ch1/event/b.vdd", std::string(600, 'b'));
    CardFile file(first);
    EXPECT_EQ(Read(file, 0, 4), "aaaa");
    EXPECT_EQ(Read(file, 590, 4), "aaaa");

    // Opened by name inside its open folder.
    const int folder = ::open(P(dir.Path() / "ch1/event").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    ASSERT_TRUE(file.OpenIn(folder, "b.vdd"));
    EXPECT_EQ(file.Size(), 600u);
    EXPECT_EQ(Read(file, 0, 4), "bbbb");
    EXPECT_EQ(Read(file, 590, 4), "bbbb");
    EXPECT_FALSE(file.OpenIn(folder, "missing.vdd"));
    EXPECT_EQ(Read(file, 0, 4), "");
    ::close(folder);
}
