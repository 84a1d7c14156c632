// Synchronisation marks of generated cards: where the marks fall, the click in the sound, and a
// written card read back through the viewer's channel and audio readers and decoders, where the
// flash pictures and the clicks must lie at the listed recorder times.
#include "tools/mkcard/CardWriter.h"
#include "tools/mkcard/DescText.h"
#include "tools/mkcard/SyncMarks.h"
#include "tools/mkcard/WallClock.h"

#include "codec/CodecMpeg4.h"
#include "codec/G711.h"
#include "codec/PictureBlock.h"
#include "recorder/DriveRecAudio.h"
#include "recorder/DriveRecChannel.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <numeric>

namespace trevix::mkcard {
namespace {

using test::TempDir;

std::vector<int> FramesOf(const SyncMarks& marks) {
    std::vector<int> frames;
    for (const SyncMark& mark : marks.Marks())
        frames.push_back(mark.frame);
    return frames;
}

TEST(MkcardSyncMarks, FallOnThePictureAtOrAfterEachPeriod) {
    // 30 pictures a second: every 2 s is a picture time of its own.
    const SyncMarks even(1000, 0, 150, 30, 2000);
    EXPECT_EQ(FramesOf(even), (std::vector<int>{60, 120}));
    EXPECT_EQ(even.Marks()[1].wallMs, 5000);
    EXPECT_TRUE(even.IsFlash(60));
    EXPECT_FALSE(even.IsFlash(0)) << "no mark at the start itself";
    EXPECT_FALSE(even.IsFlash(61));

    // 7 a second, every 1.5 s: picture 10.5 does not exist, so the flash is picture 11 at
    // 1571 ms, and the click starts there too.
    const SyncMarks odd(0, 0, 35, 7, 1500);
    EXPECT_EQ(FramesOf(odd), (std::vector<int>{11, 21, 32}));
    EXPECT_EQ(odd.Marks()[0].wallMs, 1571);
    EXPECT_EQ(odd.Marks()[0].wallMs, FrameTimeMs(0, 11, 7));

    EXPECT_TRUE(SyncMarks(0, 0, 35, 7, 0).Marks().empty());
    EXPECT_FALSE(SyncMarks(0, 0, 35, 7, 0).Enabled());
    EXPECT_TRUE(SyncMarks(0, 0, 10, 5, 3000).Marks().empty()) << "the file ends first";
}

TEST(MkcardSyncMarks, CountOnAcrossTheFilesOfAGroup) {
    // A group of 3 s files at 7 pictures a second (21 each), a mark every 1.5 s of the group.
    std::vector<std::int64_t> times;
    for (int file = 0; file < 3; ++file) {
        const std::int64_t fileStart = 10000 + file * 3000;
        const SyncMarks marks(10000, file * 21, 21, 7, 1500);
        for (const SyncMark& mark : marks.Marks()) {
            EXPECT_EQ(mark.wallMs, FrameTimeMs(fileStart, mark.frame, 7)) << "file " << file;
            times.push_back(mark.wallMs);
        }
    }
    // 3000 and 6000 are file starts: their marks are the new file's first picture.
    EXPECT_EQ(times, (std::vector<std::int64_t>{11571, 13000, 14571, 16000, 17571}));
}

TEST(MkcardSyncMarks, ClickStartsOnItsSampleAndTheRestIsQuiet) {
    const SyncMarks marks(0, 0, 35, 7, 1500); // clicks at 1571, 3000 and 4571 ms
    std::vector<std::int16_t> whole(8000, 8000);
    marks.MixSound(1000, whole);
    const std::size_t click = (1571 - 1000) * 8;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const bool inClick = i >= click && i < click + kClickMs * 8;
        if (inClick)
            EXPECT_EQ(std::abs(whole[i]), kClickLevel) << i;
        else
            EXPECT_EQ(whole[i], 500) << i; // 8000 at a sixteenth
    }
    EXPECT_GT(whole[click], 0) << "loud from the first sample on";

    // Mixed block by block (a click may cross a block border) the sound is the same.
    std::vector<std::int16_t> blocks(8000, 8000);
    for (std::size_t at = 0; at < blocks.size(); at += 800)
        marks.MixSound(1000 + static_cast<std::int64_t>(at) / 8,
                       std::span(blocks).subspan(at, 800));
    EXPECT_EQ(blocks, whole);

    // Without marks the sound stays as it was.
    std::vector<std::int16_t> untouched(800, 8000);
    SyncMarks(0, 0, 35, 7, 0).MixSound(1500, untouched);
    EXPECT_EQ(untouched, std::vector<std::int16_t>(800, 8000));
}

TEST(MkcardSyncMarks, DescribedByDescTextAndChecked) {
    CardDesc desc;
    EXPECT_EQ(ApplyDescText("event sync=2000\nnormal sync=0\nnormal\n", desc), "");
    EXPECT_EQ(desc.recordings[0].syncMarkPeriodMs, 2000);
    EXPECT_EQ(desc.recordings[1].syncMarkPeriodMs, 0);
    AddSyncMarks(desc, 1000);
    EXPECT_EQ(desc.recordings[0].syncMarkPeriodMs, 2000) << "an own period is kept";
    EXPECT_EQ(desc.recordings[2].syncMarkPeriodMs, 1000);
    for (const char* bad : {"event sync=499", "event sync=600001", "event sync=x"})
        EXPECT_NE(ApplyDescLine(bad, desc), "") << bad;

    TempDir dir;
    desc.recordings[0].syncMarkPeriodMs = 100;
    EXPECT_FALSE(WriteCard(desc, dir.Path()).Ok());
}

double MeanBrightness(const DecodedFrame& picture) {
    const auto sum = std::accumulate(picture.pixels.begin(), picture.pixels.end(), 0.0);
    return picture.pixels.empty() ? 0 : sum / static_cast<double>(picture.pixels.size());
}

// Mean brightness of every picture of a channel's files, decoded in stream order as the viewer
// does; keyed by file index and frame index.
std::map<std::pair<int, int>, double> DecodeBrightness(CDriveRecChannel& channel) {
    std::map<std::pair<int, int>, double> brightness;
    PictureOptions woven;
    woven.deinterlace = 0;
    for (int file = 0; file < static_cast<int>(channel.m_arrFiles.size()); ++file) {
        EXPECT_TRUE(channel.OpenFile(file));
        CCodecMpeg4 decoder; // each file starts its own stream
        const CInfoVdxFile& info = channel.m_arrFiles[static_cast<std::size_t>(file)];
        for (int frame = 0; frame < info.m_nFrameCount; ++frame) {
            const FRAMEINFOVIDEO& record = info.m_pFrames[static_cast<std::size_t>(frame)];
            const auto block = channel.ReadFrameData(record.dwOffset, record.dwSize);
            const auto size = PictureSizeOfBlock(block);
            if (!size || !decoder.Decode(size->width, size->height, block, woven)) {
                ADD_FAILURE() << "file " << file << " frame " << frame << " does not decode";
                continue;
            }
            brightness[{file, frame}] = MeanBrightness(decoder.GetPicture());
        }
    }
    return brightness;
}

class MkcardSyncCard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        CardDesc desc;
        // A short event in full-size pictures at 30 a second, and a normal group of two files
        // at 7 a second whose marks do not fall on whole seconds and cross the file change.
        EXPECT_EQ(ApplyDescText("seed 3\n"
                                "event pre=1 post=4 size=720x480 fps=30 channels=12 audio=tone "
                                "sync=2000\n"
                                "normal files=2 seconds=3 size=360x240 fps=7 channels=3 "
                                "audio=voice sync=1500\n",
                                desc),
                  "");
        card_ = std::make_unique<WrittenCard>(WriteCard(desc, dir_->Path()));
        EXPECT_TRUE(card_->Ok()) << card_->error;
    }
    static void TearDownTestSuite() {
        card_.reset();
        dir_.reset();
    }

    static inline std::unique_ptr<TempDir> dir_;
    static inline std::unique_ptr<WrittenCard> card_;
};

TEST_F(MkcardSyncCard, ListsEveryMarkWithItsPicturesAndSoundBlock) {
    ASSERT_EQ(card_->recordings.size(), 3u);
    const WrittenRecording& event = card_->recordings[0];
    ASSERT_EQ(event.syncMarks.size(), 2u);
    for (const WrittenSyncMark& mark : event.syncMarks) {
        ASSERT_EQ(mark.pictures.size(), 2u);
        EXPECT_EQ(mark.recorderMs, ToRecorderMs(ToSystemTime(mark.wallMs)));
        for (const WrittenSyncMark::Picture& picture : mark.pictures) {
            const WrittenChannel* channel = event.Channel(picture.channel);
            ASSERT_NE(channel, nullptr);
            EXPECT_EQ(picture.data, channel->data);
            EXPECT_EQ(channel->frames[static_cast<std::size_t>(picture.frame)].fields.wallMs,
                      mark.wallMs);
        }
        ASSERT_TRUE(event.audio);
        ASSERT_GE(mark.audioBlock, 0);
        EXPECT_EQ(event.audio->blockTimes[static_cast<std::size_t>(mark.audioBlock)] +
                      mark.audioSample / 8,
                  mark.wallMs);
    }
    EXPECT_EQ(event.syncMarks[0].wallMs, event.startWallMs + 2000);
    EXPECT_EQ(event.syncMarks[0].pictures[0].frame, 60);
    EXPECT_EQ(event.syncMarks[0].audioSample, 0) << "2 s lies on a block start";

    // Group marks at 1.5 s (picture 11 at 1571 ms), 3 s (the second file's first picture)
    // and 4.5 s (picture 11 again, 1571 ms into the second file).
    const WrittenRecording& first = card_->recordings[1];
    const WrittenRecording& second = card_->recordings[2];
    ASSERT_EQ(first.syncMarks.size(), 1u);
    ASSERT_EQ(second.syncMarks.size(), 2u);
    EXPECT_EQ(first.syncMarks[0].wallMs, first.startWallMs + 1571);
    EXPECT_EQ(first.syncMarks[0].audioBlock, 15);
    EXPECT_EQ(first.syncMarks[0].audioSample, 71 * 8);
    EXPECT_EQ(second.syncMarks[0].pictures[0].frame, 0);
    EXPECT_EQ(second.syncMarks[1].pictures[0].frame, 11);
    EXPECT_EQ(second.syncMarks[0].pictures[0].data, second.channels[0].data);
}

TEST_F(MkcardSyncCard, FlashPicturesStandOutAfterDecoding) {
    for (const WrittenRecording& recording : card_->recordings)
        for (const WrittenChannel& written : recording.channels) {
            SCOPED_TRACE(written.data.string());
            CDriveRecChannel channel(written.channel);
            ASSERT_TRUE(channel.AddFile(written.data.string()));
            const auto brightness = DecodeBrightness(channel);
            ASSERT_EQ(brightness.size(), written.frames.size());
            std::vector<int> flashes;
            for (const auto& [where, mean] : brightness) {
                if (mean > 200)
                    flashes.push_back(where.second);
                else
                    EXPECT_LT(mean, 120) << "frame " << where.second << " is neither dark nor "
                                         << "a flash";
            }
            std::vector<int> listed;
            for (const WrittenSyncMark& mark : recording.syncMarks)
                for (const WrittenSyncMark::Picture& picture : mark.pictures)
                    if (picture.channel == written.channel) {
                        listed.push_back(picture.frame);
                        // The viewer reads the flash picture's time as the mark's.
                        EXPECT_EQ(
                            ToRecorderMs(channel.m_arrFiles[0]
                                             .m_pFrames[static_cast<std::size_t>(picture.frame)]
                                             .stTime),
                            mark.recorderMs);
                    }
            EXPECT_EQ(flashes, listed) << "exactly the listed pictures flash";
        }
}

// The first loud sample of the second of sound that the viewer reads from the block before the
// mark on, as recorder milliseconds; nothing when the second has none.
std::optional<double> ClickOnsetMs(CDriveRecAudio& audio, std::int64_t markMs) {
    if (!audio.SeekTo(markMs - 100))
        return std::nullopt;
    const CInfoAdxFile& file = audio.m_arrFiles[static_cast<std::size_t>(audio.m_nCurFile)];
    const std::int64_t firstBlockMs =
        ToRecorderMs(file.m_pFrames[static_cast<std::size_t>(file.m_nCurFrame)].stTime);
    const auto second = audio.ReadSecond(audio.m_nCurFile, -1);
    if (second.empty())
        return std::nullopt;
    CG711Decoder decoder;
    const auto pcm = decoder.DecodeALaw(second);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        if (std::abs(int{pcm[i]}) > kClickLevel / 2)
            return static_cast<double>(firstBlockMs) + static_cast<double>(i) / 8.0;
    return std::nullopt;
}

TEST_F(MkcardSyncCard, ClicksStartAtTheMarkTimesAsTheViewerReadsThem) {
    for (std::size_t r = 0; r < card_->recordings.size(); ++r) {
        const WrittenRecording& recording = card_->recordings[r];
        SCOPED_TRACE(r);
        ASSERT_TRUE(recording.audio);
        // The whole group's sound, so that a click at a file change is read across it.
        CDriveRecAudio audio;
        for (const WrittenRecording& other : card_->recordings)
            if (other.kind == recording.kind && other.group == recording.group) {
                ASSERT_TRUE(audio.AddFile(other.audio->data.string()));
            }
        for (const WrittenSyncMark& mark : recording.syncMarks) {
            const auto onset = ClickOnsetMs(audio, mark.recorderMs);
            ASSERT_TRUE(onset) << "no click near " << mark.recorderMs;
            // On the mark's own sample (an eighth of a millisecond), not just in its block.
            EXPECT_NEAR(*onset, static_cast<double>(mark.recorderMs), 0.01);
        }

        // Between the clicks the sound is quiet.
        const std::string data = test::ReadFile(recording.audio->data);
        int loudest = 0;
        for (std::size_t block = 0; block + 820 <= data.size(); block += 820)
            for (std::size_t i = 18; i < 818; ++i) {
                const std::int64_t ms = recording.audio->blockTimes[block / 820] +
                                        static_cast<std::int64_t>(i - 18) / 8;
                const bool inClick =
                    std::any_of(recording.syncMarks.begin(), recording.syncMarks.end(),
                                [ms](const WrittenSyncMark& mark) {
                                    return ms >= mark.wallMs && ms < mark.wallMs + kClickMs;
                                });
                if (!inClick)
                    loudest = std::max(
                        loudest,
                        std::abs(int{ALawToLinear(static_cast<std::uint8_t>(data[block + i]))}));
            }
        EXPECT_LT(loudest, 2000);
        EXPECT_GT(loudest, 50) << "a quiet sound, not silence";
    }
}

} // namespace
} // namespace trevix::mkcard
