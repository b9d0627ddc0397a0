// Plain models of rules the engine implements in place and in fixed
// buffers, written the obvious way over std::string, for the fuzz targets to
// hold the engine against.
#pragma once
#include <string>
#include <vector>

// The doubling rule: a run of k separators stands for k/2 literal
// separators, then a field break when k is odd; once room - 1 fields exist,
// separators are plain characters. A separator of 0 cuts nothing.
inline std::vector<std::string> ReferenceFields(const std::string& text, char separator, int room) {
    std::vector<std::string> fields(1);
    if (!separator) {
        fields[0] = text.substr(0, text.find('\0'));
        return fields;
    }
    for (size_t at = 0; at < text.size() && text[at];) {
        if (text[at] != separator) {
            fields.back() += text[at++];
            continue;
        }
        size_t run = 0;
        while (at < text.size() && text[at] == separator) ++run, ++at;
        bool canBreak = static_cast<int>(fields.size()) + 1 <= room - 1;
        fields.back() += std::string(canBreak ? run / 2 : run, separator);
        if (canBreak && run % 2) fields.emplace_back();
    }
    return fields;
}

// Fields handed over by the engine, as strings.
inline std::vector<std::string> Strings(char** fields, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.emplace_back(fields[i]);
    return out;
}
