#include "crc_section.h"

#include <fstream>

#include "base/media_crc.h"
#include "script/profile_file.h"
#include "script/profile_lines.h"

namespace pack {

bool AddCrcSection(std::string* script, const std::vector<std::pair<std::string, uint32_t>>& files,
                   std::string* error) {
    ProfileFile file(script->data(), script->size());
    if (const ProfileSection* own = file.ListedSection(kMediaCrcSection)) {
        *error = std::to_string(own->line) + ": [" + kMediaCrcSection +
                 "] is written by pack itself: take it out of the product's script";
        return false;
    }
    const ProfileSpan first = FirstLineBreak(script->data(), script->size());
    const std::string lineEnd = first.size() ? script->substr(first.begin, first.size()) : "\r\n";
    if (!script->empty() && script->back() != '\n' && script->back() != '\r') *script += lineEnd;
    *script += lineEnd + "[" + kMediaCrcSection + "]" + lineEnd;
    for (const auto& [name, crc] : files) {
        char text[9];
        FormatCrc(crc, text);
        *script += name + "=" + text + lineEnd;
    }
    return true;
}

bool FileCrc(const std::string& path, uint32_t* crc) { return FilesCrc({path}, crc); }

bool FilesCrc(const std::vector<std::string>& paths, uint32_t* crc) {
    Crc32 sum;
    for (const std::string& path : paths) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        char chunk[16384];
        while (in) {
            in.read(chunk, sizeof chunk);
            sum.Add(chunk, static_cast<size_t>(in.gcount()));
        }
        if (!in.eof()) return false;
    }
    *crc = sum.Value();
    return true;
}

}  // namespace pack
