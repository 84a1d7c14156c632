#include "recorder/DriveRecInfo.h"

#include "app/TraceLog.h"
#include "app/ViewerConfig.h"
#include "catalogue/SearchListRows.h"
#include "codec/PictureBlock.h"
#include "platform/CardPath.h"
#include "recorder/CardLayout.h"
#include "recorder/Vocabulary.h"

#include <algorithm>
#include <filesystem>
#include <limits>

namespace trevix {

namespace {

constexpr std::int64_t kForwardWindowMs = 1950;
constexpr std::int64_t kBackwardWindowMs = 3950;
constexpr std::int64_t kEndSlackMs = 1000;
constexpr std::int64_t kDecodeMarginMs = 100;
constexpr std::int64_t kStepCatchUpMs = 900;
constexpr std::int64_t kGotoIntraBeforeMs = 500;
constexpr std::int64_t kGotoTailMs = 1000;
constexpr std::int64_t kAudioInStepMs = 999;
constexpr std::int64_t kNoPicture = 9999999999999;

std::int64_t FrameMs(const FRAMEINFOVIDEO& frame) {
    return ToRecorderMs(frame.stTime);
}

std::int64_t AbsDiff(std::int64_t a, std::int64_t b) {
    return a > b ? a - b : b - a;
}

// Forward window W of a play state.
std::int64_t ForwardWindow(int playState) {
    switch (playState) {
    case 5:
        return 2950;
    case 6:
        return 4950;
    case 7:
        return 8950;
    default:
        return kForwardWindowMs;
    }
}

bool IsFastForwardState(int playState) {
    return playState >= 4 && playState <= 7;
}

// root/chN/kind/title.ext -> root.
std::string CardRootOfPath(const std::string& path) {
    const std::filesystem::path file(path);
    return file.parent_path().parent_path().parent_path().string();
}

bool HasCurrentFrame(const CDriveRecChannel& channel) {
    return channel.CurrentFrame() != nullptr;
}

bool IsOnLastFrame(const CDriveRecChannel& channel) {
    const CInfoVdxFile* file = channel.CurrentFile();
    return file != nullptr &&
           channel.m_nCurFile + 1 == static_cast<int>(channel.m_arrFiles.size()) &&
           file->m_nCurFrame == file->m_nFrameCount - 1;
}

const FRAMEINFOVIDEO& FrameAt(const CDriveRecChannel& channel, int file, int frame) {
    return channel.m_arrFiles[static_cast<std::size_t>(file)]
        .m_pFrames[static_cast<std::size_t>(frame)];
}

// The next key picture after the current frame, in the rest of the current file and then in the
// next file only, without moving.
std::optional<std::int64_t> PeekNextKeyTime(const CDriveRecChannel& channel) {
    const int current = channel.m_nCurFile;
    const int last = std::min(current + 1, static_cast<int>(channel.m_arrFiles.size()) - 1);
    int from = channel.CurrentFrameIndex() + 1;
    for (int f = current; f <= last; ++f, from = 0) {
        const CInfoVdxFile& file = channel.m_arrFiles[static_cast<std::size_t>(f)];
        for (int i = std::max(from, 0); i < file.m_nFrameCount; ++i)
            if (IsKeyFrameType(file.m_pFrames[static_cast<std::size_t>(i)].byType))
                return FrameMs(file.m_pFrames[static_cast<std::size_t>(i)]);
    }
    return std::nullopt;
}

// The frame before the current one (the last of the previous file at a file start).
std::optional<std::int64_t> PeekPreviousTime(const CDriveRecChannel& channel) {
    const int frame = channel.CurrentFrameIndex();
    if (frame > 0)
        return FrameMs(FrameAt(channel, channel.m_nCurFile, frame - 1));
    for (int f = channel.m_nCurFile - 1; f >= 0; --f) {
        const CInfoVdxFile& file = channel.m_arrFiles[static_cast<std::size_t>(f)];
        if (file.m_nFrameCount > 0)
            return FrameMs(file.m_pFrames.back());
    }
    return std::nullopt;
}

} // namespace

struct CDriveRecInfo::ChannelDecoder {
    explicit ChannelDecoder(const std::string& library) : mpeg4(library) {}
    CCodecMpeg4 mpeg4;
    CCodecJpg jpeg;
    // The MPEG-4 picture the decoder holds as its reference.
    int lastFile = -1;
    int lastFrame = -1;
    bool mpeg4Valid = false;
};

RecordingOptions RecordingOptions::FromConfig() {
    return FromConfig(AppConfig());
}

RecordingOptions RecordingOptions::FromConfig(const ViewerConfig& config) {
    RecordingOptions options;
    options.deblock = config.Deblock() != 0;
    options.deinterlace = config.DeInterlace();
    for (int channel = 0; channel < 4; ++channel)
        options.camFlip[static_cast<std::size_t>(channel)] = config.CamFlip(channel);
    options.mapType = config.MapType();
    return options;
}

CDriveRecInfo::CDriveRecInfo(RecordingOptions options) : m_options(std::move(options)) {
    for (int channel = 0; channel < 4; ++channel)
        m_arrChannels[static_cast<std::size_t>(channel)].m_nChannel = channel;
}

CDriveRecInfo::~CDriveRecInfo() {
    JoinLoader();
}

void CDriveRecInfo::SetOptions(RecordingOptions options) {
    const bool libraryChanged = options.mpeg4Library != m_options.mpeg4Library;
    m_options = std::move(options);
    if (libraryChanged)
        for (auto& decoder : m_decoders)
            decoder.reset();
}

void CDriveRecInfo::SetViews(const RecordingViews& views) {
    m_views = views;
}

void CDriveRecInfo::JoinLoader() {
    if (m_loader.joinable())
        m_loader.join();
}

void CDriveRecInfo::WaitForLoad() {
    JoinLoader();
}

// ---------------------------------------------------------------------------------------------
// Loading

bool CDriveRecInfo::StartLoadEvent(const std::string& path, ILoadProgress* loader) {
    if (path.empty())
        return false;
    JoinLoader();
    m_bLoading.store(true);
    m_loader = std::thread([this, path, loader] { LoadEvent(path, loader); });
    return true;
}

bool CDriveRecInfo::StartLoadNormal(const std::string& path, std::vector<std::string> normalList,
                                    ILoadProgress* loader) {
    if (path.empty())
        return false;
    JoinLoader();
    m_bLoading.store(true);
    m_loader = std::thread(
        [this, path, list = std::move(normalList), loader] { LoadNormal(path, list, loader); });
    return true;
}

void CDriveRecInfo::ResetChannels() {
    for (int channel = 0; channel < 4; ++channel) {
        CDriveRecChannel& recorded = m_arrChannels[static_cast<std::size_t>(channel)];
        recorded.Clear();
        recorded.m_nChannel = channel;
        recorded.SetMapType(m_options.mapType);
        recorded.SetFileNotice(nullptr);
    }
    {
        const std::lock_guard lock(m_audioMutex);
        m_audio.Clear();
        m_audioAlignment.Restart();
        m_llLastFedAudio.reset();
    }
    for (auto& decoder : m_decoders)
        if (decoder) {
            decoder->lastFile = -1;
            decoder->lastFrame = -1;
            decoder->mpeg4Valid = false;
        }
    m_paneState = {};
    m_lastShow = {};
    m_stBegin = {};
    m_stEnd = {};
    m_llBegin = 0;
    m_llEnd = 0;
    m_strFirstTitle.clear();
    m_strLastTitle.clear();
    m_nVideoKind = kVideoKindJpeg;
}

void CDriveRecInfo::TakeKeySpan() {
    const auto span = m_arrChannels[static_cast<std::size_t>(m_nKeyChannel)].GetTimeSpan();
    m_stBegin = span.first;
    m_stEnd = span.second;
    m_llBegin = ToRecorderMs(m_stBegin);
    m_llEnd = ToRecorderMs(m_stEnd);
}

void CDriveRecInfo::ComputeVideoKind() {
    m_nVideoKind = kVideoKindJpeg;
    for (const CDriveRecChannel& channel : m_arrChannels)
        for (const CInfoVdxFile& file : channel.m_arrFiles)
            if (file.m_nCodec == kCodecMpeg4)
                m_nVideoKind = kVideoKindMpeg4;
}

void CDriveRecInfo::FinishLoad(ILoadProgress* loader, bool ok) {
    if (ok)
        ComputeVideoKind();
    m_bLoading.store(false);
    if (loader != nullptr) {
        if (!ok)
            loader->SetLoadState(kLoadStateFailed);
        loader->PostLoadFinished();
    }
}

namespace {

bool Cancelled(const ILoadProgress* loader) {
    return loader != nullptr && loader->LoadState() == kLoadStateCancel;
}

} // namespace

void CDriveRecInfo::LoadEvent(const std::string& path, ILoadProgress* loader) {
    ResetChannels();
    m_strPath = path;
    m_nMode = kRecordingModeEvent;
    m_nKeyChannel = std::clamp(ChannelFromPath(path), 0, 3);
    const std::string root = CardRootOfPath(path);
    CDriveRecChannel& key = m_arrChannels[static_cast<std::size_t>(m_nKeyChannel)];

    if (EndsWithNoCase(path, kEventMarkerExt)) {
        // An event inside a normal recording: the normal pictures around the marker's time.
        const auto seconds = TitleTimeToSeconds(TitleOfPath(path));
        if (!seconds) {
            FinishLoad(loader, false);
            return;
        }
        m_llBegin = *seconds * 1000 - kMarkerWindowBeforeMs;
        m_llEnd = *seconds * 1000 + kMarkerWindowAfterMs;
        m_stBegin = FromRecorderMs(m_llBegin);
        m_stEnd = FromRecorderMs(m_llEnd);
        for (int channel = 0; channel < 4 && !Cancelled(loader); ++channel)
            m_arrChannels[static_cast<std::size_t>(channel)].LoadFilesInRange(
                ChannelKindFolder(root, channel + 1, kNormalFolder), m_stBegin, m_stEnd);
        if (!Cancelled(loader)) {
            const std::lock_guard lock(m_audioMutex);
            m_audio.LoadFilesInRange(CardPathOnDisk(root, "audio/normal"), m_stBegin, m_stEnd);
        }
        FinishLoad(loader, !key.m_arrFiles.empty() || Cancelled(loader));
        return;
    }

    if (!key.AddFile(path)) {
        FinishLoad(loader, false);
        return;
    }
    TakeKeySpan();
    for (int channel = 0; channel < 4 && !Cancelled(loader); ++channel) {
        if (channel == m_nKeyChannel)
            continue;
        CDriveRecChannel& other = m_arrChannels[static_cast<std::size_t>(channel)];
        const auto same = SameRecordingInChannel(path, channel + 1);
        // A camera without an event file shows the continuous recording of the same minutes.
        if (!same || !other.AddFile(*same))
            other.LoadFilesInRange(ChannelKindFolder(root, channel + 1, kNormalFolder), m_stBegin,
                                   m_stEnd);
    }
    if (!Cancelled(loader)) {
        const std::lock_guard lock(m_audioMutex);
        const auto audio = AudioOfRecording(path);
        if (!audio || !m_audio.AddFile(*audio))
            m_audio.LoadFilesInRange(CardPathOnDisk(root, "audio/normal"), m_stBegin, m_stEnd);
    }
    FinishLoad(loader, true);
}

void CDriveRecInfo::LoadNormal(const std::string& path, const std::vector<std::string>& normalList,
                               ILoadProgress* loader) {
    ResetChannels();
    m_strPath = path;
    m_nMode = kRecordingModeNormal;
    m_nKeyChannel = std::clamp(ChannelFromPath(path), 0, 3);
    const std::string root = CardRootOfPath(path);
    CDriveRecChannel& key = m_arrChannels[static_cast<std::size_t>(m_nKeyChannel)];

    const auto found = std::find(normalList.begin(), normalList.end(), path);
    if (found == normalList.end() || !key.AddFile(path)) {
        FinishLoad(loader, false);
        return;
    }
    // The group of the list's row from this file on: files that follow each other closely.
    NormalFileInfo previous = NormalFileInfoOf(path);
    for (auto entry = std::next(found); entry != normalList.end(); ++entry) {
        const NormalFileInfo info = NormalFileInfoOf(*entry);
        const std::int64_t previousEnd = previous.titleSeconds + previous.durationSeconds;
        const auto gap = static_cast<std::uint64_t>(info.titleSeconds - previousEnd);
        if (gap >= kGroupGapSeconds || info.startsOnTheHour || !key.AddFile(*entry))
            break;
        previous = info;
    }
    TakeKeySpan();
    const auto titles = key.GetFileTitles();
    m_strFirstTitle = titles.first;
    m_strLastTitle = titles.second;

    for (int channel = 0; channel < 4 && !Cancelled(loader); ++channel) {
        if (channel == m_nKeyChannel)
            continue;
        CDriveRecChannel& other = m_arrChannels[static_cast<std::size_t>(channel)];
        if (!other.LoadFilesByName(ChannelKindFolder(root, channel + 1, kNormalFolder),
                                   m_strFirstTitle, m_strLastTitle))
            other.LoadFilesInRange(ChannelKindFolder(root, channel + 1, kEventFolder), m_stBegin,
                                   m_stEnd);
    }
    if (!Cancelled(loader)) {
        const std::lock_guard lock(m_audioMutex);
        if (!m_audio.LoadFilesByName(CardPathOnDisk(root, "audio/normal"), m_strFirstTitle,
                                     m_strLastTitle))
            m_audio.LoadFilesInRange(CardPathOnDisk(root, "audio/event"), m_stBegin, m_stEnd);
    }
    key.SetFileNotice(this);
    FinishLoad(loader, true);
}

void CDriveRecInfo::OnKeyChannelFileChanged(int channel) {
    if (m_views.notices != nullptr)
        m_views.notices->OnKeyChannelFileChanged(channel);
}

void CDriveRecInfo::CloseChannelFiles() {
    for (CDriveRecChannel& channel : m_arrChannels) {
        channel.m_fileData.Close();
        channel.m_nCurFile = -1;
    }
    m_paneState = {};
}

// ---------------------------------------------------------------------------------------------
// Status and panes

std::int64_t CDriveRecInfo::ShownTime() const {
    return m_views.status != nullptr ? m_views.status->ShownTimeMs() : m_llShown.load();
}

int CDriveRecInfo::PlayState() const {
    return m_views.status != nullptr ? m_views.status->PlayState() : 1;
}

void CDriveRecInfo::ReportStatus(const CDriveRecChannel& channel, bool useReference) {
    const FRAMEINFOVIDEO* frame = channel.CurrentFrame();
    if (frame == nullptr)
        return;
    m_llShown.store(FrameMs(*frame));
    if (m_views.status == nullptr)
        return;
    FrameStatus status;
    status.channel = channel.m_nChannel;
    status.gX = frame->fGx;
    status.gY = frame->fGy;
    status.gZ = frame->fGz;
    status.carSignal = frame->byAux;
    status.speedRaw = frame->wSpeedRaw;
    status.useReference = useReference;
    status.time = frame->stTime;
    status.gps = frame->gps;
    m_views.status->ShowFrameStatus(status);
}

void CDriveRecInfo::RepaintAll() {
    if (m_views.panes != nullptr)
        m_views.panes->RepaintAll();
}

void CDriveRecInfo::ClearPane(int channel) {
    PaneState& state = m_paneState[static_cast<std::size_t>(channel)];
    if (state.content == PaneContent::Empty)
        return;
    state.content = PaneContent::Empty;
    m_lastShow[static_cast<std::size_t>(channel)].cleared = true;
    if (m_views.panes != nullptr) {
        PaneFrame frame = EmptyPaneFrame(channel);
        frame.recordingIndex = m_nRecordingIndex;
        m_views.panes->SetFrame(0, 0, frame);
    }
}

void CDriveRecInfo::HandToPane(const CDriveRecChannel& channel, const DecodedFrame& picture) {
    const CInfoVdxFile* file = channel.CurrentFile();
    const FRAMEINFOVIDEO* frame = channel.CurrentFrame();
    if (file == nullptr || frame == nullptr)
        return;
    const auto index = static_cast<std::size_t>(channel.m_nChannel);
    m_paneState[index] = {PaneContent::Picture, FrameMs(*frame)};
    m_lastShow[index].handedPicture = true;
    m_lastShow[index].pictureMs = FrameMs(*frame);
    if (m_views.panes == nullptr)
        return;
    PaneFrame pane;
    pane.pane = channel.m_nChannel;
    pane.pixels = picture.pixels;
    pane.width = picture.width;
    pane.height = picture.height;
    CopyRecordFields(*frame, pane);
    pane.recordingIndex = m_nRecordingIndex;
    pane.frameIndex = file->m_nCurFrame;
    pane.frameCount = file->m_nFrameCount;
    pane.fileIndex = channel.m_nCurFile;
    pane.fileName = std::string(TitleOfPath(file->m_strName));
    m_views.panes->SetFrame(frame->byEventCodeEx, frame->byPhase, pane);
}

const CDriveRecInfo::ChannelShow& CDriveRecInfo::LastShow(int channel) const {
    return m_lastShow[static_cast<std::size_t>(std::clamp(channel, 0, 3))];
}

// ---------------------------------------------------------------------------------------------
// Decoding

CDriveRecInfo::ChannelDecoder& CDriveRecInfo::DecoderOf(int channel) {
    auto& decoder = m_decoders[static_cast<std::size_t>(channel)];
    if (!decoder)
        decoder = std::make_unique<ChannelDecoder>(m_options.mpeg4Library);
    return *decoder;
}

PictureOptions CDriveRecInfo::OptionsFor(int channel) const {
    PictureOptions options;
    options.deblock = m_options.deblock;
    options.deinterlace = m_options.deinterlace;
    options.camFlip = m_options.camFlip[static_cast<std::size_t>(channel)];
    options.playState = PlayState();
    return options;
}

bool CDriveRecInfo::DecodeBlock(CDriveRecChannel& channel, ChannelDecoder& decoder, int fileIndex,
                                int frameIndex, bool show) {
    const FRAMEINFOVIDEO& frame = FrameAt(channel, fileIndex, frameIndex);
    const auto block = channel.ReadFrameData(frame.dwOffset, frame.dwSize);
    if (block.empty()) {
        TRACE("Fail to Read Enc Data");
        return false;
    }
    const auto size = PictureSizeOfBlock(block);
    const bool decoded = size && decoder.mpeg4.Decode(size->width, size->height, block,
                                                      OptionsFor(channel.m_nChannel));
    decoder.lastFile = fileIndex;
    decoder.lastFrame = frameIndex;
    decoder.mpeg4Valid = decoded;
    if (!decoded) {
        TRACE("Fail to decoding");
        return false;
    }
    if (show)
        HandToPane(channel, decoder.mpeg4.GetPicture());
    return true;
}

bool CDriveRecInfo::DecodeMpeg4Upto(CDriveRecChannel& channel, ChannelDecoder& decoder) {
    const int file = channel.m_nCurFile;
    const int target = channel.CurrentFrameIndex();
    if (decoder.mpeg4Valid && decoder.lastFile == file && decoder.lastFrame == target) {
        HandToPane(channel, decoder.mpeg4.GetPicture());
        return true;
    }
    // Predicted pictures need every picture from the intra picture before them.
    int intra = target;
    while (intra >= 0 && FrameAt(channel, file, intra).byType != kFrameTypeIntra)
        --intra;
    int start = intra >= 0 ? intra : target;
    if (decoder.mpeg4Valid && decoder.lastFile == file && decoder.lastFrame >= start &&
        decoder.lastFrame < target)
        start = decoder.lastFrame + 1;
    for (int i = start; i < target; ++i)
        DecodeBlock(channel, decoder, file, i, false);
    return DecodeBlock(channel, decoder, file, target, true);
}

bool CDriveRecInfo::DecodeChannel(CDriveRecChannel& channel) {
    const CInfoVdxFile* file = channel.CurrentFile();
    const FRAMEINFOVIDEO* frame = channel.CurrentFrame();
    if (file == nullptr || frame == nullptr)
        return false;
    ChannelDecoder& decoder = DecoderOf(channel.m_nChannel);
    if (file->m_nCodec == kCodecMpeg4 && frame->byType != kFrameTypeJpeg)
        return DecodeMpeg4Upto(channel, decoder);
    const auto block = channel.ReadFrameData(frame->dwOffset, frame->dwSize);
    if (block.empty()) {
        TRACE("Fail to Read Enc Data");
        return false;
    }
    if (!decoder.jpeg.Decode(block, OptionsFor(channel.m_nChannel))) {
        TRACE("Fail to decoding");
        return false;
    }
    HandToPane(channel, decoder.jpeg.GetPicture());
    return true;
}

void CDriveRecInfo::DecodeCurrentFrames() {
    {
        const std::lock_guard lock(m_readyMutex);
        m_bPicturesReady = false;
    }
    const std::int64_t shown = ShownTime();
    const int state = PlayState();
    const std::int64_t window = (state == 7 || state == 13) ? 2950 : kForwardWindowMs;
    for (CDriveRecChannel& channel : m_arrChannels) {
        const auto index = static_cast<std::size_t>(channel.m_nChannel);
        m_lastShow[index].handedPicture = false;
        m_lastShow[index].cleared = false;
        const FRAMEINFOVIDEO* frame = channel.CurrentFrame();
        if (frame == nullptr) {
            ClearPane(channel.m_nChannel); // nothing of this recording to show here
            continue;
        }
        const std::int64_t time = FrameMs(*frame);
        if (AbsDiff(time, shown) > window + kDecodeMarginMs) {
            ClearPane(channel.m_nChannel);
            continue;
        }
        const PaneState& pane = m_paneState[index];
        if (pane.content == PaneContent::Picture && pane.pictureMs == time)
            continue;
        DecodeChannel(channel);
    }
    {
        const std::lock_guard lock(m_readyMutex);
        m_bPicturesReady = true;
    }
    m_readyChanged.notify_all();
}

bool CDriveRecInfo::PicturesReady() const {
    const std::lock_guard lock(m_readyMutex);
    return m_bPicturesReady;
}

bool CDriveRecInfo::WaitPicturesReady(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_readyMutex);
    return m_readyChanged.wait_for(lock, timeout, [this] { return m_bPicturesReady; });
}

// ---------------------------------------------------------------------------------------------
// Going to a time

bool CDriveRecInfo::GotoChannel(CDriveRecChannel& channel, std::int64_t timeMs) {
    const bool keyOfNormal = m_nMode == kRecordingModeNormal && channel.m_nChannel == m_nKeyChannel;
    auto makeCurrent = [&](int file, int frame) {
        const int previous = channel.m_nCurFile;
        if (file != previous || !channel.m_fileData.IsOpen()) {
            if (!channel.OpenFile(file))
                return false;
            if (keyOfNormal && file != previous)
                OnKeyChannelFileChanged(channel.m_nChannel);
        }
        channel.m_arrFiles[static_cast<std::size_t>(file)].m_nCurFrame = frame;
        return true;
    };
    const int fileCount = static_cast<int>(channel.m_arrFiles.size());
    // No picture at or before T - 500 ms qualifies: skip whole files by their last picture and
    // the start of the first file that reaches past it by halving, so a long recording costs
    // one time conversion per file and a few per picture.
    const std::int64_t earliest = timeMs - kGotoIntraBeforeMs;
    int firstFile = 0;
    while (firstFile < fileCount) {
        const CInfoVdxFile& file = channel.m_arrFiles[static_cast<std::size_t>(firstFile)];
        if (file.m_nFrameCount > 0 && !file.m_pFrames.empty() &&
            FrameMs(file.m_pFrames.back()) > earliest)
            break;
        ++firstFile;
    }
    int firstFrame = 0;
    if (firstFile < fileCount) {
        const auto& frames = channel.m_arrFiles[static_cast<std::size_t>(firstFile)].m_pFrames;
        const auto end = frames.begin() +
                         std::min<std::ptrdiff_t>(
                             channel.m_arrFiles[static_cast<std::size_t>(firstFile)].m_nFrameCount,
                             static_cast<std::ptrdiff_t>(frames.size()));
        const auto after =
            std::partition_point(frames.begin(), end, [earliest](const FRAMEINFOVIDEO& frame) {
                return FrameMs(frame) <= earliest;
            });
        firstFrame = static_cast<int>(after - frames.begin());
    }
    for (int f = firstFile; f < fileCount; ++f) {
        const CInfoVdxFile& file = channel.m_arrFiles[static_cast<std::size_t>(f)];
        for (int i = f == firstFile ? firstFrame : 0; i < file.m_nFrameCount; ++i) {
            const FRAMEINFOVIDEO& frame = file.m_pFrames[static_cast<std::size_t>(i)];
            const std::int64_t time = FrameMs(frame);
            if ((frame.byType == kFrameTypeJpeg && time >= timeMs) ||
                (frame.byType == kFrameTypeIntra && time > timeMs - kGotoIntraBeforeMs))
                return makeCurrent(f, i);
        }
    }
    // Past the last key picture: the last one still shows a time shortly after it.
    for (int f = fileCount - 1; f >= 0; --f) {
        const CInfoVdxFile& file = channel.m_arrFiles[static_cast<std::size_t>(f)];
        if (file.m_nFrameCount == 0 || file.m_pFrames.empty())
            continue;
        if (FrameMs(file.m_pFrames.back()) <= timeMs - kGotoTailMs)
            break;
        for (int i = file.m_nFrameCount - 1; i >= 0; --i)
            if (IsKeyFrameType(file.m_pFrames[static_cast<std::size_t>(i)].byType))
                return makeCurrent(f, i);
    }
    if (!(m_nMode == kRecordingModeEvent && channel.m_nChannel == m_nKeyChannel)) {
        channel.m_fileData.Close();
        channel.m_nCurFile = -1;
    }
    TRACE("ch%d - Can't goto", channel.m_nChannel);
    return false;
}

bool CDriveRecInfo::GotoTime(std::int64_t timeMs, bool showStatus, bool useReference) {
    m_paneState = {}; // show every channel anew
    const CDriveRecChannel* earliest = nullptr;
    for (CDriveRecChannel& channel : m_arrChannels) {
        if (!GotoChannel(channel, timeMs))
            continue;
        if (earliest == nullptr ||
            FrameMs(*channel.CurrentFrame()) < FrameMs(*earliest->CurrentFrame()))
            earliest = &channel;
    }
    if (earliest != nullptr) {
        if (showStatus)
            ReportStatus(*earliest, useReference);
        else
            m_llShown.store(FrameMs(*earliest->CurrentFrame()));
    }
    DecodeCurrentFrames();
    return earliest != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Single steps

bool CDriveRecInfo::CatchUpChannel(CDriveRecChannel& channel, std::int64_t shownMs) {
    // Forward to the last picture at or before the shown time; the decoder runs through the
    // predicted pictures passed when it decodes.
    bool moved = false;
    while (true) {
        const int file = channel.m_nCurFile;
        const int frame = channel.CurrentFrameIndex();
        const CInfoVdxFile* current = channel.CurrentFile();
        std::optional<std::int64_t> next;
        if (frame + 1 < current->m_nFrameCount)
            next = FrameMs(FrameAt(channel, file, frame + 1));
        else if (file + 1 < static_cast<int>(channel.m_arrFiles.size()) &&
                 channel.m_arrFiles[static_cast<std::size_t>(file + 1)].m_nFrameCount > 0)
            next = FrameMs(FrameAt(channel, file + 1, 0));
        if (!next || *next > shownMs || !channel.NextFrame())
            return moved;
        moved = true;
    }
}

bool CDriveRecInfo::StepNextFrame() {
    bool anyCanMove = false;
    for (const CDriveRecChannel& channel : m_arrChannels)
        if (HasCurrentFrame(channel) && !IsOnLastFrame(channel))
            anyCanMove = true;
    if (!anyCanMove) {
        TRACE("Last Frame");
        return false;
    }
    const std::int64_t shown = ShownTime();
    if (shown >= m_llEnd + kEndSlackMs) {
        TRACE("PlayTime >= Drive End Time");
        return false;
    }
    const CDriveRecChannel* earliest = nullptr;
    for (CDriveRecChannel& channel : m_arrChannels) {
        if (!HasCurrentFrame(channel))
            continue;
        const std::int64_t time = FrameMs(*channel.CurrentFrame());
        // A channel well ahead of the others waits for them.
        if (time > shown + kStepCatchUpMs)
            continue;
        if (time < shown - kStepCatchUpMs)
            CatchUpChannel(channel, shown);
        if (!channel.NextFrame())
            continue;
        if (earliest == nullptr ||
            FrameMs(*channel.CurrentFrame()) < FrameMs(*earliest->CurrentFrame()))
            earliest = &channel;
    }
    if (earliest != nullptr)
        ReportStatus(*earliest, true);
    DecodeCurrentFrames();
    return true;
}

bool CDriveRecInfo::StepPrevFrame() {
    const std::int64_t shown = ShownTime();
    if (shown <= m_llBegin) {
        TRACE("PlayTime<= Drive Begin Time");
        return false;
    }
    bool anyCanMove = false;
    for (const CDriveRecChannel& channel : m_arrChannels)
        if (HasCurrentFrame(channel) && PeekPreviousTime(channel))
            anyCanMove = true;
    if (!anyCanMove) {
        TRACE("First Frame");
        return false;
    }
    const CDriveRecChannel* latest = nullptr;
    for (CDriveRecChannel& channel : m_arrChannels) {
        if (!HasCurrentFrame(channel))
            continue;
        const int file = channel.m_nCurFile;
        const int frame = channel.CurrentFrameIndex();
        if (!channel.PrevFrame())
            continue;
        // Predicted pictures cannot be decoded backwards: go to the intra picture before.
        const CInfoVdxFile* landed = channel.CurrentFile();
        if (landed->m_nCodec == kCodecMpeg4 && channel.CurrentFrame()->byType != kFrameTypeIntra &&
            !channel.PrevKeyFrame()) {
            channel.OpenFile(file); // no intra picture before: stay where it was
            channel.m_arrFiles[static_cast<std::size_t>(file)].m_nCurFrame = frame;
            continue;
        }
        if (latest == nullptr ||
            FrameMs(*channel.CurrentFrame()) > FrameMs(*latest->CurrentFrame()))
            latest = &channel;
    }
    if (latest != nullptr)
        ReportStatus(*latest, true);
    DecodeCurrentFrames();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Play clock steps

bool CDriveRecInfo::RunToLastFrame(CDriveRecChannel& channel) {
    CInfoVdxFile* file = channel.CurrentFile();
    const int last = file->m_nFrameCount - 1;
    TRACE("more last frames ... ch[%d] Frame[%d].", channel.m_nChannel + 1, file->m_nCurFrame);
    if (file->m_nCodec == kCodecMpeg4 && last >= 1) {
        int from = last - 1;
        while (from > 0 && FrameAt(channel, channel.m_nCurFile, from).byType == kFrameTypePredicted)
            --from;
        ChannelDecoder& decoder = DecoderOf(channel.m_nChannel);
        for (int i = from; i <= last - 1; ++i) {
            TRACE("ch[%d] - dec frame : %d", channel.m_nChannel, i);
            file->m_nCurFrame = i;
            DecodeBlock(channel, decoder, channel.m_nCurFile, i, false);
        }
    }
    file->m_nCurFrame = last;
    return true;
}

bool CDriveRecInfo::StepForwardTo(int playState, std::int64_t positionMs) {
    const std::int64_t shown = ShownTime();
    if (shown >= m_llEnd + kEndSlackMs || positionMs >= m_llEnd + kEndSlackMs) {
        TRACE("PlayTimer Overflow");
        const CDriveRecChannel* report = nullptr;
        if (IsFastForwardState(playState)) {
            for (CDriveRecChannel& channel : m_arrChannels) {
                const CInfoVdxFile* file = channel.CurrentFile();
                const FRAMEINFOVIDEO* frame = channel.CurrentFrame();
                if (file == nullptr || frame == nullptr ||
                    file->m_nCurFrame == file->m_nFrameCount - 1 ||
                    AbsDiff(FrameMs(*frame), m_llEnd) >= kEndSlackMs)
                    continue;
                RunToLastFrame(channel);
                report = &channel;
            }
        }
        if (report != nullptr) {
            ReportStatus(*report, true);
            DecodeCurrentFrames();
        }
        RepaintAll();
        return false;
    }

    const std::int64_t window = ForwardWindow(playState);
    std::array<bool, 4> moved{};
    std::array<bool, 4> ahead{};
    for (CDriveRecChannel& channel : m_arrChannels) {
        const auto index = static_cast<std::size_t>(channel.m_nChannel);
        if (!HasCurrentFrame(channel))
            continue;
        const std::int64_t time = FrameMs(*channel.CurrentFrame());
        if (AbsDiff(time, shown) > window) {
            // Out of step: jump only to a key picture that is back in step.
            const auto key = PeekNextKeyTime(channel);
            if (!key || AbsDiff(*key, shown) > window)
                continue;
            moved[index] = channel.NextKeyFrameAfter(positionMs);
        } else if (time > positionMs) {
            ahead[index] = true;
        } else if (m_nVideoKind == kVideoKindMpeg4) {
            moved[index] =
                playState <= 4 ? channel.NextFrame() : channel.NextKeyFrameAfter(positionMs);
        } else {
            moved[index] = channel.NextFrameAfter(positionMs);
        }
    }
    for (const CDriveRecChannel& channel : m_arrChannels) {
        const auto index = static_cast<std::size_t>(channel.m_nChannel);
        if (moved[index] && !ahead[index] &&
            AbsDiff(FrameMs(*channel.CurrentFrame()), shown) > window)
            ahead[index] = true;
    }
    if (std::all_of(ahead.begin(), ahead.end(), [](bool flag) { return flag; }))
        return true;

    const CDriveRecChannel* earliest = nullptr;
    std::int64_t earliestMs = kNoPicture;
    for (const CDriveRecChannel& channel : m_arrChannels) {
        const auto index = static_cast<std::size_t>(channel.m_nChannel);
        if (!moved[index] || ahead[index])
            continue;
        const std::int64_t time = FrameMs(*channel.CurrentFrame());
        if (time < earliestMs) {
            earliestMs = time;
            earliest = &channel;
        }
    }
    if (earliest != nullptr) {
        ReportStatus(*earliest, true);
        DecodeCurrentFrames();
    }
    return true;
}

bool CDriveRecInfo::StepBackwardTo(std::int64_t positionMs) {
    const std::int64_t shown = ShownTime();
    if (shown <= m_llBegin) {
        TRACE("PlayTimer Underflosw");
        return false;
    }
    std::array<bool, 4> moved{};
    std::array<bool, 4> ahead{};
    for (CDriveRecChannel& channel : m_arrChannels) {
        const auto index = static_cast<std::size_t>(channel.m_nChannel);
        if (channel.CurrentFile() == nullptr && !channel.m_arrFiles.empty()) {
            const int last = static_cast<int>(channel.m_arrFiles.size()) - 1;
            if (channel.OpenFile(last))
                channel.m_arrFiles[static_cast<std::size_t>(last)].FindLastKeyFrame();
        }
        if (!HasCurrentFrame(channel))
            continue;
        const std::int64_t time = FrameMs(*channel.CurrentFrame());
        std::int64_t reach = time;
        if (AbsDiff(time, shown) > kBackwardWindowMs) {
            const auto previous = PeekPreviousTime(channel);
            if (!previous || AbsDiff(*previous, shown) > kBackwardWindowMs)
                continue;
            reach = *previous;
        }
        if (reach < positionMs) {
            ahead[index] = true;
            continue;
        }
        if (m_nVideoKind == kVideoKindMpeg4) {
            const int file = channel.m_nCurFile;
            const int frame = channel.CurrentFrameIndex();
            moved[index] = channel.PrevKeyFrame();
            if (!moved[index] && channel.CurrentFile() != nullptr) {
                // Nothing before the first intra picture: keep showing it.
                channel.OpenFile(file);
                channel.m_arrFiles[static_cast<std::size_t>(file)].m_nCurFrame = frame;
            }
        } else {
            moved[index] = channel.PrevFrameBefore(positionMs);
        }
    }
    if (std::all_of(ahead.begin(), ahead.end(), [](bool flag) { return flag; }))
        return true;

    const CDriveRecChannel* chosen = nullptr;
    bool invalidStep = false;
    for (const CDriveRecChannel& channel : m_arrChannels) {
        const auto index = static_cast<std::size_t>(channel.m_nChannel);
        if (!moved[index] || ahead[index])
            continue;
        const std::int64_t time = FrameMs(*channel.CurrentFrame());
        if (AbsDiff(time, shown) > kBackwardWindowMs) {
            invalidStep = true;
            continue;
        }
        if (chosen == nullptr || time > FrameMs(*chosen->CurrentFrame()))
            chosen = &channel;
    }
    if (invalidStep) {
        TRACE("InvalidStep [skip: ch0:%d, ch1:%d, ch2:%d] [move ch0:%d, ch1:%d, ch2:%d]",
              ahead[0] ? 1 : 0, ahead[1] ? 1 : 0, ahead[2] ? 1 : 0, moved[0] ? 1 : 0,
              moved[1] ? 1 : 0, moved[2] ? 1 : 0);
        CDriveRecChannel& key = m_arrChannels[static_cast<std::size_t>(m_nKeyChannel)];
        if (HasCurrentFrame(key)) {
            key.PrevKeyFrame();
            if (HasCurrentFrame(key) &&
                AbsDiff(FrameMs(*key.CurrentFrame()), shown) > kBackwardWindowMs) {
                chosen = &key;
                if (m_views.status != nullptr)
                    m_views.status->SetPlayPosition(FrameMs(*key.CurrentFrame()));
            }
        }
    }
    if (chosen != nullptr) {
        ReportStatus(*chosen, true);
        DecodeCurrentFrames();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sound

void CDriveRecInfo::AudioAlignment::Restart() {
    m_pending = true;
    m_drop = 0;
    m_carry.clear();
}

CDriveRecInfo::AudioAlignment::Aligned
CDriveRecInfo::AudioAlignment::Align(std::span<const std::int16_t> second, std::int64_t blockMs,
                                     std::int64_t askedMs) {
    if (m_pending) {
        // Less than one second either way: the in-step rule keeps the block that close. A
        // later block waits behind silence, of an earlier one the head is dropped.
        constexpr std::int64_t kSamplesPerMs = 8;
        constexpr auto kMaxShift = static_cast<std::int64_t>(kAudioSecondBytes) - 1;
        const std::int64_t shift =
            std::clamp((blockMs - askedMs) * kSamplesPerMs, -kMaxShift, kMaxShift);
        m_pending = false;
        m_carry.assign(static_cast<std::size_t>(std::max<std::int64_t>(shift, 0)), 0);
        m_drop = static_cast<std::size_t>(std::max<std::int64_t>(-shift, 0));
    }
    m_carry.insert(m_carry.end(), second.begin(), second.end());
    const std::size_t dropped = std::min(m_drop, second.size());
    m_drop = 0;
    const auto handedOut = static_cast<std::ptrdiff_t>(second.size() - dropped);
    const auto begin = m_carry.begin() + static_cast<std::ptrdiff_t>(dropped);
    m_out.assign(begin, begin + handedOut);
    m_carry.erase(m_carry.begin(), begin + handedOut);
    return {m_out, dropped};
}

bool CDriveRecInfo::SeekAudio(std::int64_t timeMs) {
    const std::lock_guard lock(m_audioMutex);
    m_audioAlignment.Restart();
    if (m_audio.SeekTo(timeMs))
        return true;
    // Before the first block: the sound starts later and waits for the pictures there.
    for (int f = 0; f < static_cast<int>(m_audio.m_arrFiles.size()); ++f)
        if (m_audio.m_arrFiles[static_cast<std::size_t>(f)].m_nFrameCount > 0 &&
            ToRecorderMs(m_audio.m_arrFiles[static_cast<std::size_t>(f)].m_pFrames[0].stTime) >
                timeMs) {
            if (!m_audio.OpenFile(f))
                return false;
            m_audio.m_arrFiles[static_cast<std::size_t>(f)].m_nCurFrame = 0;
            return true;
        }
    return false;
}

std::optional<std::int64_t> CDriveRecInfo::LastFedAudioTime() const {
    const std::lock_guard lock(m_audioMutex);
    return m_llLastFedAudio;
}

std::optional<AudioFeedResult> CDriveRecInfo::ReadAudioSecond(AudioFeedResult result,
                                                              std::int64_t askedMs) {
    const CInfoAdxFile& file = m_audio.m_arrFiles[static_cast<std::size_t>(m_audio.m_nCurFile)];
    const std::int64_t blockMs = ToRecorderMs(file.GetFrameInfo(-1)->stTime);
    const auto alaw = m_audio.ReadSecond(m_audio.m_nCurFile, -1);
    if (alaw.empty())
        return std::nullopt;
    m_llLastFedAudio = blockMs;
    const auto aligned = m_audioAlignment.Align(m_g711.DecodeALaw(alaw), blockMs, askedMs);
    result.samples = aligned.samples;
    result.droppedSamples = aligned.dropped;
    return result;
}

AudioFeedResult CDriveRecInfo::FeedAudio(int leadSeconds) {
    AudioFeedResult result;
    result.hasRecording = true;
    const std::lock_guard lock(m_audioMutex);
    if (m_audio.m_arrFiles.empty()) {
        TRACE("No Audio Data");
        return result;
    }
    auto currentBlockMs = [this]() -> std::optional<std::int64_t> {
        if (m_audio.m_nCurFile < 0 ||
            m_audio.m_nCurFile >= static_cast<int>(m_audio.m_arrFiles.size()))
            return std::nullopt;
        const FRAMEINFOAUDIO* block =
            m_audio.m_arrFiles[static_cast<std::size_t>(m_audio.m_nCurFile)].GetFrameInfo(-1);
        if (block == nullptr)
            return std::nullopt;
        return ToRecorderMs(block->stTime);
    };
    const auto blockMs = currentBlockMs();
    if (!blockMs)
        return result;
    const std::int64_t leadMs = static_cast<std::int64_t>(leadSeconds) * 1000;
    const std::int64_t shown = ShownTime();
    const std::int64_t gap = shown - (*blockMs - leadMs);
    if (AbsDiff(gap, 0) <= kAudioInStepMs)
        return ReadAudioSecond(result, shown + leadMs).value_or(result);
    if (gap < 0) {
        TRACE("Audio fast Gap : %d", static_cast<int>(gap));
        return result;
    }
    TRACE("Audio late Gap : %d", static_cast<int>(gap));
    // The block for the time this second will be heard, so that the next request is in step.
    if (!m_audio.SeekTo(shown + leadMs))
        return result;
    const auto seekedMs = currentBlockMs();
    if (!seekedMs)
        return result;
    m_audioAlignment.Restart();
    if (AbsDiff(shown, *seekedMs - leadMs) > kAudioInStepMs)
        return result;
    return ReadAudioSecond(result, shown + leadMs).value_or(result);
}

} // namespace trevix
