#include "check_report.h"

#include <algorithm>
#include <cstdarg>

void CheckReport::Add(int line, bool error, const char* format, va_list arguments) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    findings_.push_back({line, error, text});
    errors_ += error;
}

void CheckReport::Error(int line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Add(line, true, format, arguments);
    va_end(arguments);
}

void CheckReport::Warning(int line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Add(line, false, format, arguments);
    va_end(arguments);
}

void CheckReport::Print(std::FILE* out, const std::string& file) const {
    std::vector<const Finding*> sorted;
    for (const Finding& finding : findings_) sorted.push_back(&finding);
    std::stable_sort(sorted.begin(), sorted.end(), [](const Finding* a, const Finding* b) { return a->line < b->line; });
    for (const Finding* finding : sorted)
        std::fprintf(out, "%s:%d: %s: %s\n", file.c_str(), finding->line, finding->error ? "error" : "warning",
                     finding->text.c_str());
}

std::string Quoted(const std::string& text) {
    constexpr size_t kShown = 60;
    std::string out = "'";
    for (size_t i = 0; i < text.size() && i < kShown; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    if (text.size() > kShown) out += "...";
    return out + "'";
}
