// CHammerDoc: exchanging series with other instances through the clipboard.
//
// The private format's payload is a 32-bit little-endian length followed by
// that many bytes of project layout (no original data, only the selected
// working series). Both directions pass through the in-memory file
// "RAM:ClipRamStream", the way every instance of the program has done it.
#include <algorithm>
#include <cstring>

#include "doc/HammerDoc.h"
#include "streamio/FileException.h"
#include "streamio/RamStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/ZVArchive.h"

namespace {

constexpr const char* kClipFile = "RAM:ClipRamStream";
constexpr std::size_t kClipBuffer = 1024;

std::unique_ptr<StreamIO::CRamStream> OpenClipFile() {
    using namespace StreamIO;
    auto stream = std::make_unique<CRamStream>();
    stream->Open(kClipFile, kOpenRead | kOpenWrite | kCreateAlways);
    if (stream->GetHandle() == 0) throw CFileException(kErrTooManyOpen, kClipFile);
    return stream;
}

}  // namespace

std::vector<std::uint8_t> CHammerDoc::MakeClipboardPayload(Selection selection) const {
    using namespace StreamIO;
    CheckSelection(selection, "CHammerDoc::MakeClipboardPayload");
    std::unique_ptr<CRamStream> stream = OpenClipFile();
    CZVArchive archive(stream->GetHandle(), CZVArchive::kStore, kClipBuffer);
    WriteProject(archive, selection);
    archive.Flush();

    const std::uint64_t length = stream->GetLength();
    if (length > 0xFFFFFFFFu) throw CFileException(kErrFileTooLarge, kClipFile);
    std::vector<std::uint8_t> payload(4 + static_cast<std::size_t>(length));
    for (int i = 0; i < 4; ++i)
        payload[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    stream->SetPosition(0);
    std::size_t done = 0;
    while (done < length) {
        const std::size_t got =
            stream->Read(payload.data() + 4 + done, static_cast<std::size_t>(length) - done);
        if (got == 0) throw CFileException(kErrEndOfData, kClipFile);
        done += got;
    }
    // Closing the last stream on the in-memory file deletes it.
    archive.Close();
    return payload;
}

bool CHammerDoc::CopySelected(Selection selection, std::u16string_view text) {
    CheckSelection(selection, "CHammerDoc::CopySelected");
    if (!m_clipboard) return false;
    m_clipboard->Clear();
    if (!text.empty()) m_clipboard->PutText(text);
    std::vector<std::uint8_t> payload;
    try {
        payload = MakeClipboardPayload(selection);
    } catch (const StreamIO::CFileException&) {
        return false;
    }
    return m_clipboard->PutData(Doc::kClipboardFormatName, payload);
}

bool CHammerDoc::CutSelected(Selection selection, std::u16string_view text) {
    if (!CopySelected(selection, text)) return false;
    DeleteSelected(selection, false);
    return true;
}

bool CHammerDoc::Paste() {
    if (!m_clipboard) return false;
    const std::optional<std::vector<std::uint8_t>> payload = m_clipboard->GetData(Doc::kClipboardFormatName);
    if (!payload) return false;
    return PastePayload(*payload);
}

bool CHammerDoc::PastePayload(std::span<const std::uint8_t> payload) {
    using namespace StreamIO;
    if (payload.size() < 4) {
        ShowReadError();
        return false;
    }
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = (length << 8) | payload[static_cast<std::size_t>(i)];
    // The length is the sender's word; the bytes that are really there are ours.
    const std::size_t available = std::min<std::size_t>(length, payload.size() - 4);

    const int seriesBefore = m_working.GetCount();
    const int entriesBefore = m_summary.GetEntryCount();
    bool complete = false;
    bool loaded = false;
    try {
        std::unique_ptr<CRamStream> stream = OpenClipFile();
        std::size_t done = 0;
        while (done < available) {
            const std::size_t put = stream->Write(payload.data() + 4 + done, available - done);
            if (put == 0) throw CFileException(kErrWriteFault, stream->GetName());
            done += put;
        }
        CZVArchive archive(stream->GetHandle(), CZVArchive::kLoad, kClipBuffer);
        loaded = true;
        complete = LoadProject(archive, ELoadMode::Paste);
        archive.Close();
    } catch (const CFileException&) {
        if (!loaded) ShowReadError();
    }

    // Damaged data leave what was read before the damage; anything that
    // arrived is a change like a complete paste.
    if (complete || m_working.GetCount() != seriesBefore || m_summary.GetEntryCount() != entriesBefore) {
        m_working.Sort(m_working.GetSortKey());
        m_modified = true;
        NotifyViews(nullptr, -1);
    }
    return complete;
}
