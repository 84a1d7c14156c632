#include "recorder/LogPreviewInfo.h"

#include "app/TraceLog.h"
#include "platform/CardPath.h"
#include "recorder/CardLayout.h"

#include <algorithm>

namespace trevix {

std::vector<PreviewEventMark> FindEventMarks(const std::vector<FRAMEINFOVIDEO>& records) {
    std::vector<PreviewEventMark> marks;
    for (std::size_t i = 1; i < records.size(); ++i)
        if (records[i - 1].byEventCode == 0 && records[i].byEventCode != 0)
            marks.push_back(
                {static_cast<int>(i), ToRecorderMs(records[i].stTime), records[i].byEventCode});
    return marks;
}

CLogPreviewInfo::CLogPreviewInfo(int channel, std::chrono::milliseconds pause)
    : m_nChannel(std::clamp(channel, 0, kMaxChannels - 1)), m_pause(pause) {}

CLogPreviewInfo::~CLogPreviewInfo() {
    m_bStop.store(true);
    WaitForLoad();
}

void CLogPreviewInfo::WaitForLoad() {
    if (m_thread.joinable())
        m_thread.join();
}

bool CLogPreviewInfo::StartLoad(ILoadProgress* owner, const std::string& root,
                                std::string_view kind, const SYSTEMTIME& from,
                                const SYSTEMTIME& to) {
    WaitForLoad();
    m_arrFiles.clear();
    m_marks.clear();
    m_nFileCount = 0;
    m_pOwner = owner;
    m_stFrom = from;
    m_stTo = to;
    m_bStop.store(false);
    m_bLoading.store(true);
    m_thread =
        std::thread(&CLogPreviewInfo::Load, this, ChannelKindFolder(root, m_nChannel + 1, kind));
    return true;
}

bool CLogPreviewInfo::ShouldStop() const {
    return m_bStop.load() || (m_pOwner != nullptr && m_pOwner->LoadState() == kLoadStateCancel);
}

bool CLogPreviewInfo::Pause() const {
    // Rest in short slices so that a cancel or the destructor is not kept waiting.
    constexpr std::chrono::milliseconds kSlice{20};
    const auto until = std::chrono::steady_clock::now() + m_pause;
    while (std::chrono::steady_clock::now() < until) {
        if (m_bStop.load())
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            kSlice, until - std::chrono::steady_clock::now()));
    }
    return true;
}

void CLogPreviewInfo::Load(std::string folder) {
    auto entries = FindCardEntries(CardPattern{folder, "", std::string(kVideoDataExt)});
    std::erase_if(entries, [](const CardEntry& entry) { return entry.isDirectory; });
    SortByName(entries);
    if (m_pOwner != nullptr)
        m_pOwner->SetProgressRange(0, static_cast<int>(entries.size()));
    for (std::size_t i = 0; i < entries.size() && !ShouldStop(); ++i) {
        if (i > 0 && !Pause())
            break;
        if (ShouldStop())
            break;
        CInfoVdxFile file;
        std::vector<PreviewEventMark> marks;
        if (file.Load(entries[i].path, recindex::kKeyFrameFilter)) {
            if (file.m_nEventCode == 0)
                marks = FindEventMarks(file.m_pFrames);
        } else {
            file.Clear(); // an unreadable file keeps an empty entry
        }
        m_arrFiles.push_back(std::move(file));
        m_marks.push_back(std::move(marks));
        m_nFileCount = static_cast<int>(m_arrFiles.size());
        if (m_pOwner != nullptr)
            m_pOwner->SetProgressPos(m_nFileCount);
    }
    m_bLoading.store(false);
    if (m_pOwner != nullptr && m_pOwner->AddFinishedLoader() == kPreviewLoaderCount) {
        TRACE("postmessage load complete");
        m_pOwner->PostLoadFinished();
    }
}

const FRAMEINFOVIDEO* CLogPreviewInfo::GetKeyFrame(int fileIndex, int keyIndex) const {
    if (fileIndex < 0 || fileIndex >= static_cast<int>(m_arrFiles.size()))
        return nullptr;
    const CInfoVdxFile& file = m_arrFiles[static_cast<std::size_t>(fileIndex)];
    if (keyIndex < 0 || keyIndex >= file.m_nFrameCount)
        return nullptr;
    return file.GetFrameInfo(keyIndex);
}

const std::vector<PreviewEventMark>& CLogPreviewInfo::EventMarks(int fileIndex) const {
    static const std::vector<PreviewEventMark> kNone;
    if (fileIndex < 0 || fileIndex >= static_cast<int>(m_marks.size()))
        return kNone;
    return m_marks[static_cast<std::size_t>(fileIndex)];
}

} // namespace trevix
