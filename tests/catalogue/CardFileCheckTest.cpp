#include "catalogue/CardFileCheck.h"
#include "platform/CardPath.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

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

// One way the scan and the summaries open a file.
struct OpenWay {
    const char* name;
    CardFile::Listed listed;
    bool byPath = false;
    std::uint64_t copyWhole = 0;
};

constexpr std::array kOpenWays = {
    OpenWay{"path", CardFile::Listed::Unknown, true},
    OpenWay{"unknown", CardFile::Listed::Unknown},
    OpenWay{"regular", CardFile::Listed::Regular},
    OpenWay{"unsized", CardFile::Listed::RegularUnsized},
    OpenWay{"whole", CardFile::Listed::Regular, false, 1 << 20},
};

bool OpenThatWay(CardFile& file, const OpenWay& way, int folder, const std::string& path) {
    const bool opened = way.byPath ? file.Open(path)
                                   : file.OpenIn(folder, std::string(NameOfPath(path)), way.listed);
    if (way.copyWhole > 0)
        file.CopyWhole(way.copyWhole);
    return opened;
}

class Folder {
public:
    explicit Folder(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_DIRECTORY)) {}
    ~Folder() { ::close(fd_); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

} // namespace

// Reads served from the copies of a file's bytes (whole, or its first and last bytes) give what
// the file holds, for reads inside, across and beyond those stretches, in any order, however the
// file was opened.
TEST(CardFile, ReadsGiveTheFileBytesWhereverTheyFall) {
    TempDir dir;
    const Folder folder(dir.Path());
    ASSERT_GE(folder.Fd(), 0);
    constexpr std::size_t kWindow = CardFile::kWindowBytes;
    constexpr std::size_t kWhole = CardFile::kWholeFileBytes;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{29}, kWindow - 1,
                                   kWindow, kWindow + 1, 2 * kWindow - 1, 2 * kWindow + 5,
                                   std::size_t{4232}, kWhole, kWhole + 1, std::size_t{20000}}) {
        const std::string bytes = PatternBytes(size);
        const std::string path = P(dir.Write(std::to_string(size) + ".bin", bytes));
        for (const OpenWay& way : kOpenWays) {
            CardFile shared;
            ASSERT_TRUE(OpenThatWay(shared, way, folder.Fd(), path)) << way.name;
            for (const std::uint64_t offset :
                 {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{size / 2},
                  // size - 92 wraps around for small files: an offset far past any end.
                  std::uint64_t{size > kWindow ? size - kWindow : 0}, std::uint64_t{size - 92},
                  std::uint64_t{size > 0 ? size - 1 : 0}, std::uint64_t{size},
                  std::uint64_t{size + 3}, std::uint64_t{kWindow - 1}, std::uint64_t{kWindow}})
                for (const std::size_t length : {std::size_t{1}, std::size_t{52}, std::size_t{92},
                                                 std::size_t{161}, kWindow, kWindow + 1}) {
                    const std::string want = Expected(bytes, offset, length);
                    EXPECT_EQ(Read(shared, offset, length), want)
                        << way.name << " " << size << " " << offset << " " << length;
                    CardFile fresh;
                    ASSERT_TRUE(OpenThatWay(fresh, way, folder.Fd(), path));
                    EXPECT_EQ(Read(fresh, offset, length), want)
                        << way.name << " " << size << " " << offset << " " << length;
                }
            EXPECT_EQ(shared.Size(), size) << way.name;
        }
    }
}

// A file copied whole on request gives all its bytes at once; one too large for the request,
// or read before the request, is not copied whole.
TEST(CardFile, GivesTheWholeFileOnlyWhenItWasCopiedWhole) {
    TempDir dir;
    const std::string bytes = PatternBytes(20000);
    const std::string path = P(dir.Write("a.log", bytes));
    CardFile file(path);
    file.CopyWhole(bytes.size());
    EXPECT_TRUE(file.Whole().empty()); // nothing read yet
    EXPECT_EQ(Read(file, 0, 1), bytes.substr(0, 1));
    const std::span<const std::uint8_t> whole = file.Whole();
    EXPECT_EQ(std::string(whole.begin(), whole.end()), bytes);

    CardFile tooLarge(path);
    tooLarge.CopyWhole(bytes.size() - 1);
    EXPECT_EQ(Read(tooLarge, 0, 1), bytes.substr(0, 1));
    EXPECT_TRUE(tooLarge.Whole().empty());
    CardFile plain(path);
    EXPECT_EQ(Read(plain, 0, 1), bytes.substr(0, 1));
    EXPECT_TRUE(plain.Whole().empty());
}

// A file opened without its size knows whether it is too short from its first bytes, and asks
// for its size when they come short.
TEST(CardFile, AFileOpenedWithoutItsSizeStillTellsShortFiles) {
    TempDir dir;
    const Folder folder(dir.Path());
    dir.Write("a.vdd", std::string(29, 'x'));
    dir.Write("b.vdd", std::string(30, 'x'));
    dir.Write("c.vdd", std::string(1000, 'x'));
    for (const auto& [name, size] : {std::pair{"a.vdd", 29}, {"b.vdd", 30}, {"c.vdd", 1000}}) {
        CardFile file;
        ASSERT_TRUE(file.OpenIn(folder.Fd(), name, CardFile::Listed::RegularUnsized));
        EXPECT_EQ(file.IsShorterThan(30), size < 30) << name;
        EXPECT_EQ(file.IsShorterThan(1000), size < 1000) << name;
        EXPECT_EQ(file.IsShorterThan(1001), true) << name;
        EXPECT_EQ(file.Size(), static_cast<std::uint64_t>(size));
    }
    CardFile unopened;
    EXPECT_EQ(CheckDataFile(unopened, P(dir.Path()), "a.vdd"), FileCheck::Failed);
    CardFile shortFile;
    ASSERT_TRUE(shortFile.OpenIn(folder.Fd(), "a.vdd", CardFile::Listed::RegularUnsized));
    EXPECT_EQ(CheckDataFile(shortFile, P(dir.Path()), "a.vdd"), FileCheck::Deleted);
    EXPECT_FALSE(Exists(dir.Path() / "a.vdd"));
}

// A name listed as a regular file may be something else by the time it is opened: it is refused
// as the system's own answer would have refused it, and never deleted.
TEST(CardFile, AFifoPutInPlaceOfAListedFileIsRefusedAndKept) {
    TempDir dir;
    const Folder folder(dir.Path());
    const std::string fifo = P(dir.Path() / "x.vdd");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const CardFile::Listed listed :
         {CardFile::Listed::Unknown, CardFile::Listed::Regular, CardFile::Listed::RegularUnsized}) {
        CardFile data;
        data.OpenIn(folder.Fd(), "x.vdd", listed);
        EXPECT_EQ(CheckDataFile(data, P(dir.Path()), "x.vdd"), FileCheck::Failed);
        EXPECT_FALSE(data.IsOpen());
        CardFile index;
        index.OpenIn(folder.Fd(), "x.vdd", listed);
        EXPECT_EQ(FinishIndexCheck(ReadForCheck(index, kMinIndexFileBytes), P(dir.Path()), "x.vdd"),
                  FileCheck::Passed);
        EXPECT_TRUE(Exists(fifo));
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
