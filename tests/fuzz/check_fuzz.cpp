// The checker over any bytes taken as a script: it reads them with the
// in-memory reader, walks every section the installer would, and reports;
// every line of its report has the form FILE:LINE: error|warning: TEXT, at a
// line the file has.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check_report.h"
#include "script_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckReport report;
    CheckScript(bytes, "", report);
    char* text = nullptr;
    size_t length = 0;
    FILE* out = open_memstream(&text, &length);
    report.Print(out, "s");
    std::fclose(out);
    long lines = 1;
    for (char c : bytes) lines += c == '\n' || c == '\r';
    int findings = 0;
    for (char* line = text; line < text + length; ++findings) {
        char* end = static_cast<char*>(std::memchr(line, '\n', text + length - line));
        if (!end || std::strncmp(line, "s:", 2) != 0) __builtin_trap();
        char* after = nullptr;
        long at = std::strtol(line + 2, &after, 10);
        if (at < 0 || at > lines) __builtin_trap();
        if (std::strncmp(after, ": error: ", 9) != 0 && std::strncmp(after, ": warning: ", 11) != 0) __builtin_trap();
        line = end + 1;
    }
    std::free(text);
    if (findings != report.Errors() + report.Warnings()) __builtin_trap();
    return 0;
}
