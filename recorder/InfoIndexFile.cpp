#include "recorder/InfoIndexFile.h"

#include "app/TraceLog.h"
#include "recorder/CardLayout.h"
#include "recorder/FrameInfo.h"
#include "recorder/InfoVdxFile.h"

namespace trevix {

void TraceMappingFailure(MappedFile::Error error) {
    switch (error) {
    case MappedFile::Error::Open:
        TRACE("CreateFile");
        break;
    case MappedFile::Error::Size:
        TRACE("CreateFileMappingW");
        break;
    case MappedFile::Error::Map:
        TRACE("Fail to MapViewOfFile");
        break;
    case MappedFile::Error::Empty:
    case MappedFile::Error::None:
        break;
    }
}

template <typename Frame>
CInfoIndexFile<Frame>::CInfoIndexFile(Unloaded unloaded)
    : m_nIndexVer(unloaded.indexVer), m_nStreamType(unloaded.streamType), m_nCodec(unloaded.codec),
      unloaded_(unloaded) {}

template <typename Frame>
const Frame* CInfoIndexFile<Frame>::GetFrameInfo(int index) const {
    if (index == -1)
        index = m_nCurFrame;
    if (index < 0 || index >= m_nFrameCount || static_cast<std::size_t>(index) >= m_pFrames.size())
        return nullptr;
    return &m_pFrames[static_cast<std::size_t>(index)];
}

template <typename Frame>
std::string CInfoIndexFile<Frame>::GetDataPath() const {
    return DataPathForIndex(m_strName);
}

template <typename Frame>
void CInfoIndexFile<Frame>::Clear() {
    m_strName.clear();
    m_pFrames.clear();
    m_pFrames.shrink_to_fit();
    m_nFrameCount = 0;
    m_nCurFrame = -1;
    m_nIndexVer = unloaded_.indexVer;
    m_nChannel = 0;
    m_nEventCode = 0;
    m_nStreamType = unloaded_.streamType;
    m_nCodec = unloaded_.codec;
    m_strDRID.clear();
    m_strSDID.clear();
    m_nEventCodeEx = 0;
    m_byTrailerExtra = {};
}

template <typename Frame>
void CInfoIndexFile<Frame>::TakeRecords(std::vector<Frame>&& records) {
    m_pFrames = std::move(records);
    m_nFrameCount = static_cast<int>(m_pFrames.size());
}

template <typename Frame>
void CInfoIndexFile<Frame>::TakeTrailer(const recindex::TrailerFields& fields,
                                        std::uint8_t eventCode) {
    m_nIndexVer = fields.indexVer;
    m_nChannel = fields.channel;
    m_nEventCode = eventCode;
    m_nStreamType = fields.streamType;
    m_nCodec = fields.codec;
    if (fields.hasIdentifiers) {
        m_strDRID = fields.drid;
        m_strSDID = fields.sdid;
        m_nEventCodeEx = fields.eventCodeEx;
        m_byTrailerExtra = fields.extra;
        TRACE("DRID:%s, SDID:%s", m_strDRID.c_str(), m_strSDID.c_str());
    }
}

template class CInfoIndexFile<FRAMEINFOVIDEO>;
template class CInfoIndexFile<FRAMEINFOAUDIO>;

} // namespace trevix
