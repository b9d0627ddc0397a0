#include "base/media_source.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "base/file_system.h"
#include "base/media_crc.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "base/wide_text.h"

namespace {

// The program's own file, read at offsets by the container's reader.
class HandleBytes : public ByteSource {
public:
    HandleBytes(HANDLE file, uint64_t size) : file_(file), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* into, size_t size) override {
        return size <= MAXDWORD && ReadFileAt(file_, offset, into, static_cast<DWORD>(size));
    }

private:
    HANDLE file_;
    uint64_t size_;
};

// A file [media.crc] lists; `order` keeps the first of a name that is
// listed twice, as the profile functions read it.
struct CrcRow {
    const char* name;
    size_t length;
    uint32_t crc;
    size_t order;
};

// The run's media.
struct MediaSource {
    char programDirectory[kPathBytes] = "";  // with its trailing backslash
    ScopedHandle program;                  // held while the container is read
    BY_HANDLE_FILE_INFORMATION programInfo = {};
    Bundle bundle;
    bool carried = false;
    TextBuffer crcText;  // [media.crc] as read: "name=value" entries
    CrcRow* crcRows = nullptr;
    size_t crcCount = 0;
};
MediaSource gMedia;

int CompareRows(const void* a, const void* b) {
    const CrcRow& x = *static_cast<const CrcRow*>(a);
    const CrcRow& y = *static_cast<const CrcRow*>(b);
    int order = CompareBundleNames(x.name, x.length, y.name, y.length);
    return order != 0 ? order : x.order < y.order ? -1 : 1;
}

// The file name of a path in `directory` (which ends in a backslash); null
// when the path lies elsewhere.
const char* NameIn(const char* path, const char* directory) {
    const size_t length = std::strlen(directory);
    if (length == 0 || std::strlen(path) <= length) return nullptr;
    char head[kPathBytes];
    if (!CopyTextN(head, sizeof head, path, length) || CompareNoCase(head, directory) != 0) return nullptr;
    const char* name = path + length;
    return FindText(name, "\\") || FindText(name, "/") ? nullptr : name;
}

// Where a carried file lies in the program's file.
bool FindCarried(const char* name, StoredFile* stored) {
    BundleFile file;
    *stored = StoredFile{gMedia.program.get(), 0, 0, false, 0, 0};
    if (gMedia.bundle.Find(name, &file)) {
        stored->offset = file.offset;
        stored->size = file.size;
        stored->checked = true;
        stored->crc = file.crc;
        return true;
    }
    // The program alone: the bytes before the container, where a signature
    // no longer holds (the certificate table's entry reads as none).
    if (CompareBundleNames(name, std::strlen(name), kProgramName, sizeof kProgramName - 1) != 0) return false;
    stored->size = gMedia.bundle.ProgramSize();
    if (gMedia.bundle.Layout().Signed()) stored->blankAt = gMedia.bundle.Layout().certificateEntry;
    return true;
}

bool FindCrc(const char* name, uint32_t* crc) {
    CrcRow wanted = {name, std::strlen(name), 0, 0};
    size_t low = 0, high = gMedia.crcCount;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const CrcRow& at = gMedia.crcRows[middle];
        if (CompareBundleNames(at.name, at.length, wanted.name, wanted.length) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == gMedia.crcCount) return false;
    const CrcRow& found = gMedia.crcRows[low];
    if (CompareBundleNames(found.name, found.length, wanted.name, wanted.length) != 0) return false;
    *crc = found.crc;
    return true;
}

// The name of a file of a media folder: in the program's directory or the
// disk's directory the run reads from now.
const char* FolderName(const char* path) {
    const char* name = NameIn(path, gMedia.programDirectory);
    return name ? name : NameIn(path, gProcess.mediaDirectory);
}

}  // namespace

MediaKind OpenMedia(const char* programPath, BundleStatus* status) {
    CloseMedia();
    *status = BundleStatus::kNone;
    size_t filePart = 0;
    if (!FullPathName(programPath, gMedia.programDirectory, &filePart) || !gMedia.programDirectory[filePart]) {
        gMedia.programDirectory[0] = '\0';
        *status = BundleStatus::kUnreadable;
        return MediaKind::Folder;
    }
    gMedia.programDirectory[filePart] = '\0';
    // Deleting is shared: a removal run by a copy of the program deletes it.
    ScopedHandle file(CreateFileW(Wide(programPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || !GetFileInformationByHandle(file.get(), &gMedia.programInfo)) {
        // A program that cannot read itself reads its media as a folder, as
        // one without a container does.
        *status = BundleStatus::kUnreadable;
        return MediaKind::Folder;
    }
    HandleBytes bytes(file.get(), static_cast<uint64_t>(size.QuadPart));
    *status = gMedia.bundle.Open(bytes);
    if (*status == BundleStatus::kNone) return MediaKind::Folder;
    if (*status != BundleStatus::kOk) return MediaKind::Damaged;
    gMedia.program = std::move(file);
    gMedia.carried = true;
    return MediaKind::Carried;
}

void CloseMedia() {
    gMedia.program.Close();
    gMedia.carried = false;
    gMedia.crcText.Clear();
    std::free(gMedia.crcRows);
    gMedia.crcRows = nullptr;
    gMedia.crcCount = 0;
}

bool MediaCarried() { return gMedia.carried; }

size_t CarriedFileCount() { return gMedia.carried ? gMedia.bundle.Count() : 0; }

bool ReadMediaCrcs(const char* scriptPath) {
    std::free(gMedia.crcRows);
    gMedia.crcRows = nullptr;
    gMedia.crcCount = 0;
    gMedia.crcText.Clear();
    if (gMedia.carried) return true;
    // The whole section in one call; the platform says it did not fit by
    // filling the buffer to two characters short of its end. Its entries
    // (zero-ended, a zero behind the last) become UTF-8 at once.
    std::wstring section = Wide(kMediaCrcSection), script = Wide(scriptPath), entries;
    for (DWORD size = 1 << 16;; size *= 2) {
        if (size > (1u << 26)) return false;
        entries.resize(size);
        DWORD got = GetPrivateProfileSectionW(section.c_str(), &entries[0], size, script.c_str());
        if (got < size - 2) {
            entries.resize(got);
            break;
        }
    }
    std::string text = Narrow(entries.c_str(), static_cast<int>(entries.size()));
    if (!gMedia.crcText.Reserve(text.size() + 2) || !gMedia.crcText.Append(text.data(), text.size()) ||
        !gMedia.crcText.Append("", 1))
        return false;
    size_t lines = 0;
    for (const char* at = gMedia.crcText.Text(); *at; at += std::strlen(at) + 1) ++lines;
    if (lines == 0) return true;
    gMedia.crcRows = static_cast<CrcRow*>(std::malloc(lines * sizeof(CrcRow)));
    if (!gMedia.crcRows) return false;
    // Each entry is cut at its '=': the name stays in place, zero-ended.
    size_t order = 0;
    for (char* at = gMedia.crcText.Data(); *at; ++order) {
        char* next = at + std::strlen(at) + 1;
        char* equals = FindText(at, "=");
        CrcRow row = {at, 0, 0, order};
        if (equals) {
            *equals = '\0';
            row.length = equals - at;
        }
        // A value that is no CRC-32 checks nothing (setupkit check reports it).
        if (equals && row.length > 0 && ParseCrc(equals + 1, &row.crc))
            gMedia.crcRows[gMedia.crcCount++] = row;
        else if (*at != ';')
            LogLine("[%s] %s: no CRC-32, the file is not checked", {TextArgument(kMediaCrcSection), TextArgument(at)});
        at = next;
    }
    std::qsort(gMedia.crcRows, gMedia.crcCount, sizeof(CrcRow), CompareRows);
    return true;
}

size_t CheckedFileCount() { return gMedia.crcCount; }

CheckedOpen OpenCheckedMedia(const char* path, std::unique_ptr<MediaReader>* reader) {
    reader->reset();
    StoredFile stored;
    ScopedHandle own;
    if (gMedia.carried) {
        // Another directory (a disk the user named) is read as a folder.
        const char* name = NameIn(path, gMedia.programDirectory);
        if (!name) return CheckedOpen::Unchecked;
        if (!FindCarried(name, &stored)) return CheckedOpen::Missing;
    } else {
        const char* name = FolderName(path);
        uint32_t crc = 0;
        if (!name || !FindCrc(name, &crc)) return CheckedOpen::Unchecked;
        // No one may write to it between its proof and its copy.
        own.Reset(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size = {};
        if (!own || !GetFileSizeEx(own.get(), &size)) return CheckedOpen::Missing;
        stored = StoredFile{own.get(), 0, static_cast<uint64_t>(size.QuadPart), true, crc, 0};
    }
    std::unique_ptr<MediaReader> opened(new (std::nothrow) MediaReader);
    if (!opened || !opened->Open(stored, std::move(own))) return CheckedOpen::Missing;
    *reader = std::move(opened);
    return CheckedOpen::Opened;
}

bool MediaFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    StoredFile stored;
    const char* name = gMedia.carried ? NameIn(path, gMedia.programDirectory) : nullptr;
    if (!name) return GetFileInfo(path, info) != 0;
    if (!FindCarried(name, &stored)) return false;
    *info = gMedia.programInfo;
    info->nFileSizeLow = static_cast<DWORD>(stored.size);
    info->nFileSizeHigh = static_cast<DWORD>(stored.size >> 32);
    return true;
}
