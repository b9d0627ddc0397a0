#include "check_media.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/compressed_header.h"
#include "base/media_crc.h"
#include "crc_section.h"
#include "folder.h"
#include "szdd.h"

namespace fs = std::filesystem;

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
}

}  // namespace

std::string MediaFiles::DirectoryOf(const std::string& disk) {
    if (check_.product) return check_.media;
    std::string first = check_.disks.empty() ? disk : check_.disks[0].key;
    fs::path media(check_.media);
    std::string own = Lowered(media.filename().string());
    if (disk != first && own == "disk" + Lowered(first)) {
        std::string sibling = Find(media.parent_path().string(), "DISK" + disk);
        std::error_code error;
        if (!sibling.empty() && fs::is_directory(sibling, error)) return sibling;
    }
    return check_.media;
}

const std::map<std::string, std::string>& MediaFiles::Listing(const std::string& directory) {
    auto listing = listings_.find(directory);
    if (listing == listings_.end()) {
        std::map<std::string, std::string> names;
        std::error_code error;
        for (fs::directory_iterator at(directory, error), end; !error && at != end; at.increment(error))
            names[Lowered(at->path().filename().string())] = at->path().string();
        listing = listings_.emplace(directory, names).first;
    }
    return listing->second;
}

std::string MediaFiles::Find(const std::string& directory, const std::string& name) {
    const std::map<std::string, std::string>& listing = Listing(directory);
    auto found = listing.find(Lowered(name));
    return found == listing.end() ? "" : found->second;
}

std::vector<std::string> MediaFiles::Matching(const std::string& directory, const std::string& pattern) {
    std::vector<std::string> paths;
    for (const auto& [name, path] : Listing(directory))
        if (pack::Matches(fs::path(path).filename().string(), pattern)) paths.push_back(path);
    return paths;
}

unsigned long long MediaFileSize(const std::string& path) {
    std::error_code error;
    uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

void CheckCompressedFile(ScriptCheck& check, int line, const std::string& path, unsigned long long size) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> head(kCompressedHeaderSize);
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    head.resize(static_cast<size_t>(in.gcount()));
    long damage = CheckCompressedHeader(head.data(), head.size());
    bool sound = szdd::ReadHeader(head.data(), head.size(), size, nullptr) != szdd::Status::BadHeader;
    if (damage != 0 || !sound)
        check.report.Error(line,
                           "the media file %s starts with the compressed-file signature but its header is damaged "
                           "(\"Lempel-Ziv Encoding Error\", message 150)",
                           fs::path(path).filename().string().c_str());
}

void CheckMediaCrcs(ScriptCheck& check) {
    check.Reads(kMediaCrcSection);
    const ProfileSection* section = check.file.ListedSection(kMediaCrcSection);
    if (!section) return;
    if (check.product) {
        check.report.Error(section->line,
                           "a product's script holds no [%s]: pack writes it, and refuses a script that has one",
                           kMediaCrcSection);
        return;
    }
    MediaFiles files(check);
    std::vector<std::string> directories;
    for (const DiskRow& disk : check.disks) directories.push_back(files.DirectoryOf(disk.key));
    if (directories.empty()) directories.push_back(check.media);
    for (const ProfileKey* key : check.file.ListedKeys(*section)) {
        const std::string name = VisiblePart(key->name), value = ProfileFile::ValueOf(*key);
        uint32_t stated = 0, actual = 0;
        if (!ParseCrc(value.c_str(), &stated)) {
            check.report.Error(key->line, "%s is no CRC-32 (eight hexadecimal digits): the file cannot be checked",
                               Quoted(value).c_str());
            continue;
        }
        if (check.media.empty()) continue;
        // A file split over disks is checked whole: its pieces joined.
        std::vector<std::string> paths;
        auto split = check.splitFiles.find(Lowered(name));
        if (split != check.splitFiles.end()) {
            for (const std::string& disk : split->second) paths.push_back(files.Find(files.DirectoryOf(disk), name));
        } else {
            std::string path;
            for (size_t d = 0; d < directories.size() && path.empty(); ++d) path = files.Find(directories[d], name);
            paths.push_back(path);
        }
        if (std::find(paths.begin(), paths.end(), "") != paths.end()) {
            check.report.Warning(key->line, "no media file %s to check", Quoted(name).c_str());
        } else if (!pack::FilesCrc(paths, &actual)) {
            check.report.Error(key->line, "the media file %s cannot be read", Quoted(name).c_str());
        } else if (actual != stated) {
            char text[9];
            FormatCrc(actual, text);
            check.report.Error(key->line,
                               "the media file %s does not match its CRC-32 (its bytes give %s): it changed after "
                               "packing, or was damaged",
                               Quoted(name).c_str(), text);
        }
    }
}
