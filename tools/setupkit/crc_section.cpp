#include "crc_section.h"

#include <fstream>

#include "base/media_crc.h"
#include "script/profile_file.h"
#include "script/profile_lines.h"
#include "script_encoding.h"

namespace pack {

// The section is added in the script's own encoding.
bool AddCrcSection(std::string* script, const std::vector<std::pair<std::string, uint32_t>>& files,
                   std::string* error) {
    ProfileFile file(script->data(), script->size());
    if (const ProfileSection* own = file.ListedSection(kMediaCrcSection)) {
        *error = std::to_string(own->line) + ": [" + kMediaCrcSection +
                 "] is written by pack itself: take it out of the product's script";
        return false;
    }
    std::string text = EditableScript(*script, file.Encoding());
    const ProfileSpan first = FirstLineBreak(text.data(), text.size());
    const std::string lineEnd = first.size() ? text.substr(first.begin, first.size()) : "\r\n";
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += lineEnd;
    text += lineEnd + "[" + kMediaCrcSection + "]" + lineEnd;
    for (const auto& [name, crc] : files) {
        char hex[9];
        FormatCrc(crc, hex);
        text += name + "=" + hex + lineEnd;
    }
    *script = ScriptInEncoding(text, file.Encoding());
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
