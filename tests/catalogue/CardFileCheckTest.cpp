#include "catalogue/CardFileCheck.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
