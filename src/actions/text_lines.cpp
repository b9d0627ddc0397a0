#include "actions/text_lines.h"

#include "ui/messages.h"
#include "base/text.h"
#include "base/whole_files.h"
#include "base/scoped_handles.h"

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

}  // namespace

int EditSection(HANDLE input, const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                HANDLE output) {
    HGLOBAL block = GlobalAlloc(GHND, kChunkSize);
    char* work = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!work) {
        if (block) GlobalFree(block);
        ShowOutOfMemory();
        return 0;  // nothing was written, so the target stays as it was
    }
    unsigned char lower[256];
    for (int i = 0; i < 256; ++i) lower[i] = static_cast<unsigned char>(i);
    CharLowerBuffA(reinterpret_cast<char*>(lower + 1), 255);
    HandleFiles files(input, output);
    int edited = EditLines(files, work, kChunkSize, lower, section, lineKey, newLine, oldLine);
    GlobalUnlock(block);
    GlobalFree(block);
    return edited;
}

PreparedEdit::~PreparedEdit() {
    if (temp_[0]) DeleteFileA(temp_);
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
    char full[MAX_PATH];
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path, sizeof full, full, &filePart);
    if (n == 0 || n >= sizeof full || !filePart || !*filePart) return 0;

    ScopedHandle input(
        CreateFileA(full, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A target that exists but cannot be read is not taken for an empty file:
    // that would replace it with the new line alone.
    if (!input && GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES) return 0;

    // Written beside the target under a name of the installer's own, which
    // the next edit of the file takes over if a killed run left it.
    char temp[MAX_PATH];
    ScopedHandle output;
    if (edit) {
        if (!BesidePath(full, temp)) return 0;
        output.Reset(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output) return 0;
    }
    int edited = EditSection(input.get(), section, lineKey, newLine, oldLine, output.get());
    input.Close();
    if (!edit) return edited;
    // A close the platform refuses may have lost the last of the text.
    if (!output.Close()) edited = 0;
    if (!edited) {
        DeleteFileA(temp);
        return 0;
    }
    CopyText(edit->temp_, temp);
    CopyText(edit->target_, full);
    return 1;
}
