// A directory's files, found by name without regard to letter case, as the
// installer's platform finds them: a product folder written on Linux may
// spell a name otherwise than its script does.
#pragma once
#include <string>
#include <vector>

namespace pack {

class Folder {
public:
    // Lists the plain files of dir; false when it cannot be listed.
    bool Read(const std::string& dir);
    // The path of the file called name: the one spelt exactly so, else the
    // only one spelt so in another letter case; empty when there is none or
    // several (then *ambiguous is set).
    std::string Find(const std::string& name, bool* ambiguous = nullptr) const;
    // The files' names as listed.
    const std::vector<std::string>& Names() const { return names_; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
    std::vector<std::string> names_;
};

// The size of a file; false when it cannot be read.
bool FileSize(const std::string& path, unsigned long long* size);

// Whether a file name in a product's script holds the wildcards '*' (any
// characters) or '?' (one character).
bool IsPattern(const std::string& name);
// Whether name matches pattern, letters compared without regard to case
// as the platform compares file names.
bool Matches(const std::string& name, const std::string& pattern);

}  // namespace pack
