// The built-in directories of expansion for scripts read away from the
// machine they will run on (the publisher's tool, the native tests): those of
// a typical installation of the platform, and media in the first CD drive.
// Texts measured with them are as long as on most machines.
#include "script/directories.h"

#include "base/text.h"

void GetBuiltInDirectory(BuiltInDirectory which, char* out, size_t cap) {
    const char* directory = which == BuiltInDirectory::Windows  ? "C:\\Windows"
                            : which == BuiltInDirectory::System ? "C:\\Windows\\System32"
                                                                : "D:\\";
    CopyText(out, cap, directory);
}
