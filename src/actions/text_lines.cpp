#include "actions/text_lines.h"

#include "ui/messages.h"
#include "base/text.h"
#include "base/whole_files.h"
#include "base/scoped_handles.h"
#include "base/wide_text.h"

DWORD ReadChunk(HANDLE file, char* buffer, DWORD count, bool* failed) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, count, &got, nullptr)) {
        if (failed) *failed = true;
        return 0;
    }
    return got;
}

DWORD WriteChunk(HANDLE file, const char* buffer, DWORD count) {
    DWORD put = 0;
    if (!WriteFile(file, buffer, count, &put, nullptr)) return 0;
    return put;
}

namespace {

// The files of an edit on the platform: the target (none when it does not
// exist yet) and the file written beside it (none: the output is only
// counted, as when the line to be replaced is looked for).
class HandleFiles : public LineFiles {
public:
    HandleFiles(HANDLE input, HANDLE output) : input_(input), output_(output) {}
    bool HasInput() override { return input_ != INVALID_HANDLE_VALUE; }
    uint32_t Read(char* buffer, uint32_t count, bool* failed) override {
        return ReadChunk(input_, buffer, count, failed);
    }
    void Seek(uint32_t at) override {
        LONG high = 0;
        SetFilePointer(input_, static_cast<LONG>(at), &high, FILE_BEGIN);
    }
    uint32_t Tell() override {
        LONG high = 0;
        return SetFilePointer(input_, 0, &high, FILE_CURRENT);
    }
    uint32_t Write(const char* buffer, uint32_t count) override {
        return output_ == INVALID_HANDLE_VALUE ? count : WriteChunk(output_, buffer, count);
    }

private:
    HANDLE input_;
    HANDLE output_;
};

// Every byte of the legacy code page lowered as the platform lowers the
// character it stands for; a byte whose lowered character has no byte of its
// own stays as it is.
void LowerAnsiBytes(unsigned char (&lower)[256]) {
    for (int i = 0; i < 256; ++i) {
        lower[i] = static_cast<unsigned char>(i);
        char byte = static_cast<char>(i);
        std::wstring wide = Wide(FromAnsi(&byte, 1).c_str());
        if (i == 0 || wide.size() != 1) continue;
        CharLowerBuffW(&wide[0], 1);
        std::string back;
        if (ToAnsi(Narrow(wide.c_str()).c_str(), back) && back.size() == 1)
            lower[i] = static_cast<unsigned char>(back[0]);
    }
}

// The texts of an edit as an ANSI file spells them; false when a character
// has no exact spelling in the code page.
bool ToAnsiTexts(const char* section, const char* lineKey, const char* newLine, std::string (&out)[3]) {
    return ToAnsi(section, out[0]) && ToAnsi(lineKey ? lineKey : "", out[1]) && (!newLine || ToAnsi(newLine, out[2]));
}

}  // namespace

int EditSection(HANDLE input, const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                HANDLE output) {
    HandleFiles files(input, output);
    bool empty = false;
    LineEncoding encoding = InputEncoding(files, &empty);
    std::string ansi[3];
    bool inAnsi = encoding == LineEncoding::kAnsi;
    if (inAnsi && !ToAnsiTexts(section, lineKey, newLine, ansi)) {
        // A file that holds nothing yet is begun as UTF-16LE, which every
        // version's profile functions read too; one that holds text keeps its
        // encoding, and the line is refused.
        if (!empty) return kTextEditUnencodable;
        encoding = LineEncoding::kUtf16;
        inAnsi = false;
    }
    HGLOBAL block = GlobalAlloc(GHND, kChunkSize);
    char* work = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!work) {
        if (block) GlobalFree(block);
        ShowOutOfMemory();
        return kTextEditFailed;  // nothing was written, so the target stays as it was
    }
    unsigned char lower[256] = {};
    if (inAnsi) LowerAnsiBytes(lower);
    TextBuffer found;
    int edited = inAnsi ? EditEncodedLines(files, encoding, work, kChunkSize, lower, ansi[0].c_str(),
                                           ansi[1].c_str(), newLine ? ansi[2].c_str() : nullptr, &found)
                        : EditEncodedLines(files, encoding, work, kChunkSize, lower, section, lineKey, newLine, &found);
    GlobalUnlock(block);
    GlobalFree(block);
    // The old line goes to the removal log as UTF-8; nothing found leaves
    // oldLine as it was.
    if (edited && oldLine && found.Length()) {
        std::string text = inAnsi ? FromAnsi(found.Text(), found.Length()) : std::string(found.Text(), found.Length());
        oldLine->Clear();
        if (!oldLine->Append(text.data(), text.size())) edited = kTextEditFailed;
    }
    return edited ? kTextEditDone : kTextEditFailed;
}

PreparedEdit::~PreparedEdit() {
    if (temp_[0]) DeleteFileW(Wide(temp_).c_str());
}

bool PreparedEdit::Commit() {
    // One rename puts the new text in place; until it succeeds the target is
    // untouched, so a failure never loses the file.
    bool moved = temp_[0] && MoveIntoPlace(temp_, target_);
    temp_[0] = '\0';
    return moved;
}

int PrepareTextEdit(const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                    const char* path, PreparedEdit* edit) {
    wchar_t wideFull[MAX_PATH];
    wchar_t* filePart = nullptr;
    DWORD n = GetFullPathNameW(Wide(path).c_str(), MAX_PATH, wideFull, &filePart);
    char full[kPathBytes];
    if (n == 0 || n >= MAX_PATH || !filePart || !*filePart || !FromWide(wideFull, full)) return kTextEditFailed;

    ScopedHandle input(
        CreateFileW(wideFull, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A target that exists but cannot be read is not taken for an empty file:
    // that would replace it with the new line alone.
    if (!input && GetFileAttributesW(wideFull) != INVALID_FILE_ATTRIBUTES) return kTextEditFailed;

    // Written beside the target under a name of the installer's own, which
    // the next edit of the file takes over if a killed run left it.
    char temp[kPathBytes];
    ScopedHandle output;
    if (edit) {
        if (!CopyText(temp, full) || !AppendText(temp, kBesideSuffix)) return kTextEditFailed;
        output.Reset(CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!output) return kTextEditFailed;
    }
    int edited = EditSection(input.get(), section, lineKey, newLine, oldLine, output.get());
    input.Close();
    if (!edit) return edited;
    // A close the platform refuses may have lost the last of the text.
    if (!output.Close() && edited == kTextEditDone) edited = kTextEditFailed;
    if (edited != kTextEditDone) {
        DeleteFileW(Wide(temp).c_str());
        return edited;
    }
    CopyText(edit->temp_, temp);
    CopyText(edit->target_, full);
    return kTextEditDone;
}
