#include "platform/MappedFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <unistd.h>

namespace trevix {
namespace {

TEST(MappedFile, MapsWholeFilesAndReportsWhyNot) {
    test::TempDir dir;
    MappedFile mapping;
    EXPECT_FALSE(mapping.Open((dir.Path() / "missing").string()));
    EXPECT_EQ(mapping.LastError(), MappedFile::Error::Open);
    EXPECT_FALSE(mapping.Open(dir.Write("empty", "").string()));
    EXPECT_EQ(mapping.LastError(), MappedFile::Error::Empty);
    EXPECT_FALSE(mapping.Open(dir.Str()));
    ASSERT_TRUE(mapping.Open(dir.Write("five", "12345").string()));
    EXPECT_EQ(mapping.Bytes().size(), 5u);
    EXPECT_EQ(mapping.Bytes()[4], '5');
}

TEST(MappedFile, ReadingPastAFileCutShortAfterMappingEndsTheReadNotTheProcess) {
    test::TempDir dir;
    const auto path = dir.Write("big", std::string(3 * 4096, 'x'));
    MappedFile mapping;
    ASSERT_TRUE(mapping.Open(path.string()));
    ASSERT_EQ(::truncate(path.c_str(), 10), 0);
    volatile std::uint8_t sum = 0;
    const auto bytes = mapping.Bytes();
    auto readAll = [&] {
        for (std::size_t i = 0; i < bytes.size(); i += 4096)
            sum = static_cast<std::uint8_t>(sum + bytes[i]);
    };
    EXPECT_FALSE(ReadMappingGuarded(readAll));
    auto readStart = [&] { sum = bytes[0]; };
    EXPECT_TRUE(ReadMappingGuarded(readStart)); // the guard is ready for the next read
}

TEST(BufferedReader, ReadsAcrossWindowsAndShortAtTheEnd) {
    std::vector<std::uint8_t> data(200000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    const MemoryBytes source(data);
    BufferedReader reader(source);
    std::array<std::uint8_t, 69> record{};
    for (std::uint64_t offset : {0ull, 65530ull, 131000ull, 100ull, 199931ull}) {
        ASSERT_TRUE(reader.ReadExact(offset, record)) << offset;
        EXPECT_EQ(record[68], static_cast<std::uint8_t>((offset + 68) * 7));
    }
    EXPECT_FALSE(reader.ReadExact(199932, record));
    EXPECT_FALSE(reader.ReadExact(~0ull - 10, record));
    std::vector<std::uint8_t> large(70000);
    EXPECT_TRUE(reader.ReadExact(1000, large));
}

TEST(ReadOnlyFile, SeesAFileShrinkWhileOpen) {
    test::TempDir dir;
    const auto path = dir.Write("f", std::string(1000, 'a'));
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path.string()));
    std::filesystem::resize_file(path, 100);
    EXPECT_EQ(file.Size(), 100u);
    std::array<std::uint8_t, 200> out{};
    EXPECT_EQ(file.ReadAt(0, out), 100u);
    EXPECT_FALSE(file.ReadExact(0, out));
}

} // namespace
} // namespace trevix
