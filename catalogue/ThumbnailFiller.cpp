#include "catalogue/ThumbnailFiller.h"

#include "app/TraceLog.h"
#include "codec/PictureBlock.h"
#include "recorder/CardLayout.h"

#include <algorithm>

namespace trevix {

namespace {

// Records of a file that are really there (the count and the array agree on at most this).
int RecordCount(const CInfoVdxFile& file) {
    return std::clamp(file.m_nFrameCount, 0, static_cast<int>(file.m_pFrames.size()));
}

const CInfoVdxFile& FileAt(const CDriveRecChannel& channel, int file) {
    return channel.m_arrFiles[static_cast<std::size_t>(file)];
}

const FRAMEINFOVIDEO& RecordAt(const CDriveRecChannel& channel, int file, int frame) {
    return FileAt(channel, file).m_pFrames[static_cast<std::size_t>(frame)];
}

bool IsJpegPicture(const CInfoVdxFile& file, const FRAMEINFOVIDEO& record) {
    return file.m_nCodec != kCodecMpeg4 || record.byType == kFrameTypeJpeg;
}

} // namespace

CThumbnailFiller::CThumbnailFiller(std::string mpeg4Library) : mpeg4_(std::move(mpeg4Library)) {}

std::optional<CThumbnailFiller::Position>
CThumbnailFiller::Previous(const CDriveRecChannel& channel, Position at) {
    if (at.frame > 0)
        return Position{at.file, at.frame - 1};
    for (int file = at.file - 1; file >= 0; --file) {
        const int count = RecordCount(FileAt(channel, file));
        if (count > 0)
            return Position{file, count - 1};
    }
    return std::nullopt;
}

std::optional<CThumbnailFiller::Position> CThumbnailFiller::Next(const CDriveRecChannel& channel,
                                                                 Position at) {
    if (at.frame + 1 < RecordCount(FileAt(channel, at.file)))
        return Position{at.file, at.frame + 1};
    const int files = static_cast<int>(channel.m_arrFiles.size());
    for (int file = at.file + 1; file < files; ++file)
        if (RecordCount(FileAt(channel, file)) > 0)
            return Position{file, 0};
    return std::nullopt;
}

bool CThumbnailFiller::DecodeMpeg4(const CDriveRecChannel& channel, Position at,
                                   const PictureOptions& options) {
    int start = at.frame;
    const bool follows =
        mpeg4Valid_ && mpeg4Last_.file == at.file && mpeg4Last_.frame == at.frame - 1;
    if (follows) {
        start = at.frame;
    } else if (RecordAt(channel, at.file, at.frame).byType != kFrameTypeIntra) {
        // A predicted picture needs every picture from the intra picture before it.
        int intra = at.frame - 1;
        while (intra >= 0 && RecordAt(channel, at.file, intra).byType != kFrameTypeIntra)
            --intra;
        if (intra >= 0)
            start = intra;
    }
    bool decoded = false;
    for (int frame = start; frame <= at.frame; ++frame) {
        const std::vector<std::uint8_t> block = channel.ReadFrameAt(at.file, frame);
        const auto size = PictureSizeOfBlock(block);
        decoded = size && mpeg4_.Decode(size->width, size->height, block, options);
        if (!decoded)
            TRACE("Fail to decoding");
    }
    mpeg4Last_ = at;
    mpeg4Valid_ = decoded;
    return decoded;
}

DecodedFrame CThumbnailFiller::Decode(const CDriveRecChannel& channel, Position at,
                                      const PictureOptions& options) {
    const CInfoVdxFile& file = FileAt(channel, at.file);
    if (!IsJpegPicture(file, RecordAt(channel, at.file, at.frame)))
        return DecodeMpeg4(channel, at, options) ? mpeg4_.GetPicture() : DecodedFrame{};
    const std::vector<std::uint8_t> block = channel.ReadFrameAt(at.file, at.frame);
    if (block.empty()) {
        TRACE("Fail to Read Enc Data");
        return {};
    }
    if (!jpeg_.Decode(block, options)) {
        TRACE("Fail to decoding");
        return {};
    }
    return jpeg_.GetPicture();
}

CThumbnailFiller::Result CThumbnailFiller::Fill(const CDriveRecChannel& channel, int recordingIndex,
                                                const PictureOptions& options,
                                                IThumbnailPanes& panes, int paneCount) {
    Result result;
    auto clear = [&](int pane) {
        PaneFrame frame = EmptyPaneFrame(pane);
        frame.recordingIndex = recordingIndex;
        panes.SetFrame(0, 0, frame);
    };
    const CInfoVdxFile* currentFile = channel.CurrentFile();
    const int currentFrame = channel.CurrentFrameIndex();
    if (currentFile == nullptr || currentFrame < 0 || currentFrame >= RecordCount(*currentFile)) {
        panes.SetThumbCurrent(-1);
        for (int pane = 0; pane < paneCount; ++pane)
            clear(pane);
        return result;
    }

    const int half = paneCount / 2;
    Position start{channel.m_nCurFile, currentFrame};
    int before = 0;
    while (before < half) {
        const auto previous = Previous(channel, start);
        if (!previous)
            break;
        start = *previous;
        ++before;
    }
    result.currentPane = half;
    panes.SetThumbCurrent(half);

    int pane = 0;
    for (; pane < half - before; ++pane)
        clear(pane);
    mpeg4Valid_ = false;
    std::optional<Position> at = start;
    for (; pane < paneCount && at; ++pane, at = Next(channel, *at)) {
        const DecodedFrame picture = Decode(channel, *at, options);
        if (picture.Empty()) {
            clear(pane);
            continue;
        }
        const CInfoVdxFile& file = FileAt(channel, at->file);
        PaneFrame frame;
        frame.pane = pane;
        frame.pixels = picture.pixels;
        frame.width = picture.width;
        frame.height = picture.height;
        const FRAMEINFOVIDEO& record = RecordAt(channel, at->file, at->frame);
        CopyRecordFields(record, frame);
        frame.recordingIndex = recordingIndex;
        frame.frameIndex = at->frame;
        frame.frameCount = RecordCount(file);
        frame.fileIndex = at->file;
        frame.fileName = std::string(TitleOfPath(file.m_strName));
        panes.SetFrame(record.byEventCodeEx, record.byPhase, frame);
        ++result.shown;
    }
    for (; pane < paneCount; ++pane)
        clear(pane);
    return result;
}

} // namespace trevix
