#include "folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "script/profile_file.h"

namespace fs = std::filesystem;

namespace pack {

bool Folder::Read(const std::string& dir) {
    dir_ = dir;
    names_.clear();
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names_.push_back(it->path().filename().string());
    }
    std::sort(names_.begin(), names_.end());
    return !ec;
}

std::string Folder::Find(const std::string& name, bool* ambiguous) const {
    if (ambiguous) *ambiguous = false;
    const std::string* found = nullptr;
    int matches = 0;
    for (const std::string& n : names_) {
        if (n == name) return (fs::path(dir_) / n).string();
        if (SameProfileName(n, name)) {
            found = &n;
            ++matches;
        }
    }
    if (matches == 1) return (fs::path(dir_) / *found).string();
    if (matches > 1 && ambiguous) *ambiguous = true;
    return std::string();
}

bool IsPattern(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool Matches(const std::string& name, const std::string& pattern) {
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    // The last '*' met and where in the name it stands for nothing yet: on a
    // mismatch it takes one character more.
    size_t n = 0, p = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && fold(pattern[p]) == fold(name[n])))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool FileSize(const std::string& path, unsigned long long* size) {
    std::error_code ec;
    *size = fs::file_size(path, ec);
    return !ec;
}

}  // namespace pack
