// Whole cards from the generator: the folder tree of each model, deterministic output, index
// records that match the data files, read back by the viewer's readers and decoded by its
// codecs, and every damage variant.
#include "tools/mkcard/CardWriter.h"
#include "tools/mkcard/Picture.h"
#include "tools/mkcard/DescText.h"
#include "tools/mkcard/WallClock.h"

#include "codec/CodecJpg.h"
#include "codec/CodecMpeg4.h"
#include "codec/G711.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoAdxFile.h"
#include "recorder/InfoLogFile.h"
#include "recorder/InfoVdxFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace trevix::mkcard {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

CardDesc SmallCard(std::string_view extra = {}) {
    CardDesc desc;
    const std::string text =
        "seed 5\n"
        "event pre=2 post=2 code=32 ext=2 fps=3 channels=12 audio=voice skew=1\n"
        "normal files=2 seconds=4 fps=2 channels=1 marker=5:1\n" +
        std::string(extra);
    EXPECT_EQ(ApplyDescText(text, desc), "");
    return desc;
}

WrittenCard Write(const CardDesc& desc, const TempDir& dir) {
    WrittenCard card = WriteCard(desc, dir.Path());
    EXPECT_TRUE(card.Ok()) << card.error;
    return card;
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    return recindex::Le32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at);
}

TEST(MkcardCard, TreeFollowsTheModel) {
    for (int model : {20, 22}) {
        SCOPED_TRACE(model);
        TempDir dir;
        CardDesc desc = SmallCard("memo channels=1234 size=360x240\n");
        desc.model = model;
        const WrittenCard card = Write(desc, dir);
        EXPECT_TRUE(IsRecorderFolder(dir.Str()));
        for (const fs::path& folder : CardFolders(model))
            EXPECT_TRUE(fs::is_directory(dir.Path() / folder)) << folder;
        EXPECT_EQ(fs::exists(dir.Path() / "ch4"), model != 20);
        EXPECT_EQ(fs::exists(dir.Path() / "memoaudio"), model != 20);

        ASSERT_EQ(card.memos.size(), 1u);
        const WrittenMemo& memo = card.memos[0];
        EXPECT_EQ(memo.audio.parent_path().filename(), model == 20 ? "memo" : "memoaudio");
        // The single memo folder keeps channel 1's picture only.
        for (int channel = 0; channel < 4; ++channel)
            EXPECT_EQ(memo.pictures[channel].empty(), model == 20 && channel > 0) << channel;
        const auto picture = MemoPictureForAudio(memo.audio.string(), 1);
        ASSERT_TRUE(picture);
        EXPECT_EQ(fs::path(*picture), memo.pictures[0]);

        const std::string set = ReadFile(card.setIni);
        EXPECT_NE(set.find("CARPULSETYPE=2\r\n"), std::string::npos);
        EXPECT_EQ(set.find("VERSIONID"), model == 20 ? std::string::npos : set.find("VERSIONID"));
        EXPECT_TRUE(fs::exists(card.sdidIni));
        EXPECT_TRUE(fs::exists(card.versionIni));
    }
}

TEST(MkcardCard, FilesOfOneRecordingShareTheirSerial) {
    TempDir dir;
    const WrittenCard card = Write(SmallCard(), dir);
    ASSERT_EQ(card.recordings.size(), 3u); // the event and the two files of the normal group
    const WrittenRecording& event = card.recordings[0];
    ASSERT_EQ(event.channels.size(), 2u);
    // Channel 2's title is stamped a second later; the serial still ties it to channel 1.
    EXPECT_NE(event.channels[0].data.filename(), event.channels[1].data.filename());
    const auto other = SameRecordingInChannel(event.channels[0].data.string(), 2);
    ASSERT_TRUE(other);
    EXPECT_EQ(fs::path(*other), event.channels[1].data);
    const auto audio = AudioOfRecording(event.channels[0].data.string());
    ASSERT_TRUE(audio && event.audio);
    EXPECT_EQ(fs::path(*audio), event.audio->data);
    // Serials follow the time order; the normal files follow each other without a gap.
    EXPECT_EQ(card.recordings[1].serial, event.serial + 1);
    EXPECT_EQ(card.recordings[2].serial, event.serial + 2);
    EXPECT_EQ(card.recordings[2].startWallMs, card.recordings[1].endWallMs);
    EXPECT_EQ(card.recordings[1].group, card.recordings[2].group);
}

TEST(MkcardCard, SameSeedSameBytesOtherSeedOtherDrive) {
    TempDir first, second, third;
    const CardDesc desc = SmallCard("memo size=360x240\n");
    const WrittenCard a = Write(desc, first);
    Write(desc, second);
    CardDesc otherDesc = desc;
    otherDesc.seed = 6;
    const WrittenCard c = Write(otherDesc, third);
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(first.Path())) {
        if (!entry.is_regular_file())
            continue;
        const fs::path relative = fs::relative(entry.path(), first.Path());
        EXPECT_EQ(ReadFile(entry.path()), ReadFile(second.Path() / relative)) << relative;
        ++files;
    }
    EXPECT_GT(files, 20);
    ASSERT_FALSE(a.logs.empty());
    EXPECT_NE(ReadFile(a.logs[0].path), ReadFile(c.logs[0].path));
}

TEST(MkcardCard, IndexRecordsMatchTheDataBlocks) {
    TempDir dir;
    const WrittenCard card =
        Write(SmallCard("event pre=1 post=1 codec=jpeg fps=2 channels=2\n"), dir);
    for (const WrittenRecording& recording : card.recordings)
        for (const WrittenChannel& channel : recording.channels) {
            SCOPED_TRACE(channel.data.string());
            const std::string data = ReadFile(channel.data);
            const std::string index = ReadFile(channel.index);
            const std::size_t count = channel.frames.size();
            ASSERT_GT(count, 0u);
            ASSERT_EQ(index.size(), count * 69 + 92);
            EXPECT_EQ(Le32(index, index.size() - 92), 0xFF0000A0u);
            EXPECT_EQ(Le32(index, index.size() - 92 + 10), count);
            std::uint32_t expectedOffset = 0;
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t offset = Le32(index, i * 69 + 5);
                const std::uint32_t size = Le32(index, i * 69 + 9);
                EXPECT_EQ(Le32(index, i * 69), 0xEE0000A1u);
                EXPECT_EQ(offset, expectedOffset);
                ASSERT_LE(std::size_t{offset} + size, data.size());
                EXPECT_EQ(data.substr(offset, 4), "\xFF\xD8\xFF\xFE");
                // The frame type sits in both the record and the frame header.
                EXPECT_EQ(index[i * 69 + 29], data[offset + 6 + 52]);
                expectedOffset = offset + size;
            }
            EXPECT_EQ(expectedOffset, data.size());
        }
}

TEST(MkcardCard, RecordingsReadBackThroughTheViewersReaders) {
    test::ScopedTimeZone zone("Asia/Seoul");
    TempDir dir;
    const WrittenCard card = Write(SmallCard(), dir);
    const WrittenRecording& event = card.recordings[0];
    const WrittenChannel& front = event.channels[0];

    CInfoVdxFile video;
    video.SetMapType(2);
    ASSERT_TRUE(video.Load(front.data.string()));
    ASSERT_EQ(video.m_nFrameCount, 12); // 4 s at 3 pictures a second
    EXPECT_EQ(video.m_nEventCode, 32);
    EXPECT_EQ(video.m_nEventCodeEx, 2);
    EXPECT_EQ(video.m_strSDID, "SD00000001");
    EXPECT_NEAR(video.GetFrameRate(), 3.0, 0.3);
    for (int i = 0; i < video.m_nFrameCount; ++i) {
        const FRAMEINFOVIDEO& f = video.m_pFrames[i];
        const std::int64_t ms = ToRecorderMs(f.stTime);
        EXPECT_EQ(f.byPhase, ms < ToRecorderMs(ToSystemTime(event.triggerWallMs)) ? 2 : 3) << i;
        EXPECT_EQ(f.gps.byGpsValid, 1) << "every position passes the strict map rule";
        EXPECT_EQ(f.byEventCodeEx, 2);
        EXPECT_EQ(f.byType, i % 3 == 0 ? 2 : 3) << "one intra picture a second";
    }

    // A normal file: event code 0 whatever the frames say, and the marker's frames flagged.
    CInfoVdxFile normal;
    ASSERT_TRUE(normal.Load(card.recordings[2].channels[0].data.string()));
    EXPECT_EQ(normal.m_nEventCode, 0);
    EXPECT_EQ(normal.m_pFrames[2].byFlags, 0x02); // second 5 of the group, 1 s into file 2
    EXPECT_EQ(normal.m_pFrames[2].byEventCode, 1);
    EXPECT_EQ(normal.m_pFrames[0].byPhase, 1);
    ASSERT_EQ(card.recordings[1].markers.size(), 1u);
    EXPECT_EQ(ReadEventMarkerCode(card.recordings[1].markers[0].string()), 1);
    EXPECT_EQ(TitleOfPath(card.recordings[1].markers[0].string()).substr(0, 10),
              RecorderTitle(card.recordings[2].title).Serial())
        << "serial of the file it is in";

    CInfoAdxFile audio;
    ASSERT_TRUE(audio.Load(event.audio->data.string()));
    ASSERT_EQ(audio.m_nFrameCount, 40);
    EXPECT_EQ(ToRecorderMs(audio.m_pFrames[39].stTime) - ToRecorderMs(audio.m_pFrames[0].stTime),
              3900);
    EXPECT_EQ(ToRecorderMs(audio.m_pFrames[0].stTime), ToRecorderMs(video.m_pFrames[0].stTime));

    ASSERT_EQ(card.logs.size(), 1u);
    CInfoLogFile log;
    log.SetMapType(2);
    ASSERT_EQ(log.Load(card.logs[0].path.string()), 1);
    ASSERT_EQ(log.m_nSampleCount, card.logs[0].samples);
    // The log sees the car where the pictures do.
    const LogSample& first = log.m_pSamples[0];
    EXPECT_EQ(first.llTime, ToRecorderMs(video.m_pFrames[0].stTime));
    EXPECT_EQ(first.byGpsValid, 1);
    const GPSINFO& gps = video.m_pFrames[0].gps;
    EXPECT_NEAR(first.dLat, gps.wLatDeg + (gps.wLatMin + gps.fLatSec / 60.0) / 60.0, 1e-5);
    EXPECT_NEAR(first.dLon, gps.wLonDeg + (gps.wLonMin + gps.fLonSec / 60.0) / 60.0, 1e-5);
}

TEST(MkcardCard, SoundIsToneOrVoice) {
    TempDir dir;
    const WrittenCard card = Write(SmallCard("event pre=1 post=1 channels=1 audio=tone\n"), dir);
    auto blockLevels = [](const fs::path& path) {
        const std::string data = ReadFile(path);
        std::vector<double> levels;
        for (std::size_t block = 0; block + 820 <= data.size(); block += 820) {
            double sum = 0;
            for (std::size_t i = 18; i < 818; ++i)
                sum += std::pow(ALawToLinear(static_cast<std::uint8_t>(data[block + i])), 2.0);
            levels.push_back(std::sqrt(sum / 800));
        }
        return levels;
    };
    const auto tone = blockLevels(card.recordings.back().audio->data);
    ASSERT_EQ(tone.size(), 20u);
    for (double level : tone)
        EXPECT_NEAR(level, 0.25 * 32000 / std::sqrt(2.0), 300);
    const auto voice = blockLevels(card.recordings[0].audio->data);
    const auto [quiet, loud] = std::minmax_element(voice.begin(), voice.end());
    EXPECT_LT(*quiet, 200) << "pauses between syllables";
    EXPECT_GT(*loud, 1500);
}

// Mean absolute difference of two pictures of one size.
double MeanDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(int{a[i]} - int{b[i]});
    return sum / static_cast<double>(std::max<std::size_t>(1, a.size()));
}

TEST(MkcardCard, PicturesDecodeToTheDrawnScene) {
    TempDir dir;
    const WrittenCard card =
        Write(SmallCard("event pre=1 post=1 size=720x480 fps=1 channels=1 audio=none\n"
                        "event pre=1 post=1 size=720x480 fps=1 channels=3 codec=jpeg audio=none\n"),
              dir);
    PictureOptions woven;
    woven.deinterlace = 0; // weave the stacked fields, nothing else
    for (const WrittenRecording* recording : {&card.recordings[3], &card.recordings[4]}) {
        const WrittenChannel& channel = recording->channels[0];
        SCOPED_TRACE(channel.data.string());
        const std::string data = ReadFile(channel.data);
        const auto& frame = channel.frames[1];
        const std::span block(reinterpret_cast<const std::uint8_t*>(data.data()) + frame.offset,
                              frame.size);
        DecodedFrame picture;
        CCodecMpeg4 mpeg4;
        CCodecJpg jpeg;
        if (channel.codec == Codec::Mpeg4) {
            ASSERT_TRUE(mpeg4.Decode(720, 480, block, woven));
            picture = mpeg4.GetPicture();
        } else {
            ASSERT_TRUE(jpeg.Decode(block, woven));
            picture = jpeg.GetPicture();
        }
        ASSERT_EQ(picture.width, 720);
        ASSERT_EQ(picture.height, 480);
        const BgrPicture scene =
            DrawScene(720, 480, channel.channel, 1, TimeText(frame.fields.wallMs));
        const double direct = MeanDifference(picture.pixels, scene.pixels);
        const double stacked = MeanDifference(picture.pixels, StackFields(scene).pixels);
        EXPECT_LT(direct, 4.0);
        EXPECT_GT(stacked, direct * 2) << "the woven picture is the scene, not its fields";
    }
}

class MkcardDamage : public ::testing::Test {
protected:
    WrittenCard WriteWith(std::string_view damage) {
        card_ = Write(SmallCard(damage), dir_);
        return card_;
    }
    const WrittenChannel& Front() const { return card_.recordings[0].channels[0]; }
    std::size_t Frames() const { return Front().frames.size(); }

    TempDir dir_;
    WrittenCard card_;
};

TEST_F(MkcardDamage, IndexMissingFallsBackToTheDataFile) {
    WriteWith("damage index-missing video=0:1\n");
    EXPECT_FALSE(fs::exists(Front().index));
    CInfoVdxFile video;
    ASSERT_TRUE(video.Load(Front().data.string()));
    EXPECT_EQ(video.m_nFrameCount, static_cast<int>(Frames()) - 1);
    EXPECT_EQ(video.m_nEventCode, 32);
}

TEST_F(MkcardDamage, IndexFormsOnVideoAndAudio) {
    WriteWith("damage index-cut-short video=0:1\ndamage records-66 video=0:2\n"
              "damage trailer-damaged audio=0\ndamage old-trailer video=1:1\n");
    CInfoVdxFile cut, shortRecords, old;
    ASSERT_TRUE(cut.Load(Front().data.string()));
    EXPECT_EQ(cut.m_nFrameCount, static_cast<int>(Frames() / 2));
    EXPECT_EQ(Le32(ReadFile(Front().index), ReadFile(Front().index).size() - 92 + 10), Frames());

    const WrittenChannel& second = card_.recordings[0].channels[1];
    EXPECT_EQ(fs::file_size(second.index), second.frames.size() * 66 + 92);
    ASSERT_TRUE(shortRecords.Load(second.data.string()));
    EXPECT_EQ(shortRecords.m_nFrameCount, static_cast<int>(second.frames.size()));
    EXPECT_EQ(shortRecords.m_pFrames[0].byEventCodeEx, 0);

    const WrittenChannel& normal = card_.recordings[1].channels[0];
    EXPECT_EQ(fs::file_size(normal.index), normal.frames.size() * 69 + 26);
    ASSERT_TRUE(old.Load(normal.data.string()));
    EXPECT_EQ(old.m_nFrameCount, static_cast<int>(normal.frames.size()));
    EXPECT_TRUE(old.m_strDRID.empty());

    CInfoAdxFile audio;
    ASSERT_TRUE(audio.Load(card_.recordings[0].audio->data.string()));
    EXPECT_EQ(audio.m_nFrameCount, 40) << "salvaged without the trailer";
    EXPECT_TRUE(audio.m_strDRID.empty());
}

TEST_F(MkcardDamage, DataCutInsideItsLastBlock) {
    WriteWith("damage data-cut video=0:1\ndamage data-cut audio=0\ndamage data-cut log=0\n");
    const WrittenFrame& last = Front().frames.back();
    EXPECT_EQ(fs::file_size(Front().data), last.offset + last.size / 2);
    EXPECT_EQ(fs::file_size(card_.recordings[0].audio->data), 39 * 820 + 410);
    CInfoVdxFile video;
    ASSERT_TRUE(video.Load(Front().data.string()));
    EXPECT_LE(video.m_nFrameCount, static_cast<int>(Frames()));
    const std::string log = ReadFile(card_.logs[0].path);
    EXPECT_NE(log.substr(log.size() - 2), "\r\n");
}

TEST_F(MkcardDamage, FilesTooShortToHoldAnything) {
    WriteWith("damage short-data video=0:1\ndamage short-index video=0:2\n"
              "damage short-data log=0 bytes=0\ndamage short-index audio=0 bytes=9\n");
    EXPECT_EQ(fs::file_size(Front().data), 20u);
    EXPECT_EQ(fs::file_size(card_.recordings[0].channels[1].index), 5u);
    EXPECT_EQ(fs::file_size(card_.logs[0].path), 0u);
    EXPECT_EQ(fs::file_size(card_.recordings[0].audio->index), 9u);
    EXPECT_EQ(card_.damaged.size(), 4u);
}

TEST_F(MkcardDamage, UnreadableFilesFailToOpenAtOnce) {
    WriteWith("memo size=360x240\ndamage unreadable-data video=0:1\n"
              "damage unreadable-index audio=0\ndamage unreadable-data memo-picture=0:2\n");
    for (const fs::path& path : card_.damaged) {
        SCOPED_TRACE(path.string());
        EXPECT_TRUE(fs::is_symlink(path));
        EXPECT_FALSE(fs::is_directory(path));
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        EXPECT_EQ(fd, -1);
        if (fd >= 0)
            ::close(fd);
    }
    ASSERT_EQ(card_.damaged.size(), 3u);
    EXPECT_EQ(card_.damaged[2], card_.memos[0].pictures[1]);
    // The listing still shows the file, as a folder walk would meet it.
    const auto entries = FindCardEntries(EventDataPattern(dir_.Str(), 1));
    EXPECT_EQ(entries.size(), 1u);
    // Writing the card again over the damaged one replaces the links by files.
    const WrittenCard again = Write(SmallCard(), dir_);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(again.recordings[0].channels[0].data)));
}

TEST_F(MkcardDamage, EntriesThatNameNothingAreReported) {
    for (const char* line : {"damage index-missing video=7:1\n", "damage index-missing video=0:4\n",
                             "damage records-66 audio=0\n", "damage short-index log=0\n"}) {
        TempDir dir;
        EXPECT_FALSE(WriteCard(SmallCard(line), dir.Path()).Ok()) << line;
    }
}

TEST(MkcardCard, BadDescriptionsWriteNothing) {
    TempDir dir;
    CardDesc desc = SmallCard();
    desc.recordings[0].width = 640;
    EXPECT_FALSE(WriteCard(desc, dir.Path() / "card").Ok());
    EXPECT_FALSE(fs::exists(dir.Path() / "card"));
    CardDesc threeChannels = SmallCard("event channels=4\n");
    threeChannels.model = 20;
    EXPECT_FALSE(WriteCard(threeChannels, dir.Path() / "card").Ok()) << "model 20 has no ch4";
}

} // namespace
} // namespace trevix::mkcard
