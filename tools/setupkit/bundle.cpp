#include "bundle.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/bundle.h"
#include "base/media_crc.h"
#include "folder.h"
#include "script/profile_file.h"
#include "szdd.h"

namespace fs = std::filesystem;

namespace bundle {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;

void PutLe(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i, value >>= 8) out.push_back(static_cast<uint8_t>(value));
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "setupkit: %s\n", message.c_str());
    return kFailed;
}

// A file read at offsets, for reading the written program back.
class FileBytes : public ByteSource {
public:
    explicit FileBytes(const std::string& path) : in_(path, std::ios::binary) {
        std::error_code ec;
        size_ = fs::file_size(path, ec);
        if (ec) in_.close();
    }
    bool IsOpen() const { return in_.is_open(); }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* into, size_t size) override {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(static_cast<char*>(into), static_cast<std::streamsize>(size));
        return in_ && static_cast<size_t>(in_.gcount()) == size;
    }

private:
    std::ifstream in_;
    uint64_t size_ = 0;
};

// The file being written beside OUT.EXE; taken away unless it was moved
// into place, so that a failed run leaves no half-made program.
class Beside {
public:
    explicit Beside(std::string path) : path_(std::move(path)) {}
    ~Beside() {
        if (!moved_) fs::remove(path_, ignored_);
    }
    const std::string& Path() const { return path_; }
    bool MoveTo(const std::string& target) {
        fs::rename(path_, target, ignored_);
        return moved_ = !ignored_;
    }

private:
    std::string path_;
    bool moved_ = false;
    std::error_code ignored_;
};

// What one run works on.
struct Run {
    std::string media, out;
    pack::Folder folder;
    std::string setupExe;
    std::vector<uint8_t> program;  // the engine alone, unsigned
    std::vector<Member> members;
    std::vector<std::string> paths;  // of each member
};

bool IsDiskDirectory(const std::string& name) {
    if (name.size() < 5 || !SameProfileName(name.substr(0, 4), "DISK")) return false;
    return std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Single-disk media as pack writes them: files only, the engine's three
// among them, a script that names one disk.
bool ReadMedia(Run& r, std::string* error) {
    std::error_code ec;
    for (fs::directory_iterator it(r.media, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) continue;
        const std::string name = it->path().filename().string();
        *error = it->path().string() +
                 (IsDiskDirectory(name) ? ": media over several disks cannot be bundled: pack without --disk-size"
                                        : ": a directory: media to bundle hold files only");
        return false;
    }
    if (ec || !r.folder.Read(r.media)) {
        *error = r.media + ": cannot list the media directory";
        return false;
    }
    std::string script;
    for (const char* needed : {"setup.exe", "STP.DLL", "SETUP.INF"}) {
        bool ambiguous = false;
        const std::string path = r.folder.Find(needed, &ambiguous);
        if (path.empty()) {
            *error = (fs::path(r.media) / needed).string() +
                     (ambiguous ? ": several files of this name in other letter case" : ": missing from the media");
            return false;
        }
        (needed[0] == 's' ? r.setupExe : script) = path;
    }
    std::vector<uint8_t> bytes;
    if (szdd::ReadWholeFile(script.c_str(), UINT32_MAX, bytes) != szdd::Status::Ok) {
        *error = script + ": cannot read";
        return false;
    }
    ProfileFile file(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const ProfileSection* disks = file.ListedSection("disks");
    const size_t count = disks ? file.ListedKeys(*disks).size() : 0;
    if (count > 1) {
        *error = script + ": [disks] lists " + std::to_string(count) +
                 " disks: only media of one disk can be bundled (pack without --disk-size)";
        return false;
    }
    return true;
}

// The engine without a signature of its own: a bundle is signed as a whole.
bool ReadProgram(Run& r, std::string* error) {
    if (szdd::ReadWholeFile(r.setupExe.c_str(), UINT32_MAX, r.program) != szdd::Status::Ok) {
        *error = r.setupExe + ": cannot read";
        return false;
    }
    MemoryBytes bytes(r.program.data(), r.program.size());
    Bundle engine;
    const BundleStatus status = engine.Open(bytes);
    if (status != BundleStatus::kNone) {
        *error = r.setupExe + ": " +
                 (status == BundleStatus::kOk ? "carries media already: bundle the media's own engine"
                                              : std::string(DescribeBundleStatus(status)));
        return false;
    }
    const ExeLayout& layout = engine.Layout();
    if (layout.Signed()) {
        r.program.resize(layout.certificateOffset);
        std::fill_n(r.program.begin() + layout.certificateEntry, 8, 0);
    }
    return true;
}

// Every other media file, in the index's order.
bool ListMembers(Run& r, std::string* error) {
    for (const std::string& name : r.folder.Names()) {
        const std::string path = (fs::path(r.media) / name).string();
        if (path == r.setupExe) continue;
        if (!IsBundleName(name.data(), name.size())) {
            *error = path + ": a name the installer cannot look up (a control character or one of \\/:*?\"<>|)";
            return false;
        }
        Member m;
        m.name = name;
        r.members.push_back(m);
    }
    std::sort(r.members.begin(), r.members.end(), [](const Member& a, const Member& b) {
        return CompareBundleNames(a.name.data(), a.name.size(), b.name.data(), b.name.size()) < 0;
    });
    for (size_t i = 0; i < r.members.size(); ++i) {
        const Member* before = i ? &r.members[i - 1] : nullptr;
        if (before && !CompareBundleNames(before->name.data(), before->name.size(), r.members[i].name.data(),
                                          r.members[i].name.size())) {
            *error = (fs::path(r.media) / r.members[i].name).string() + ": also there as " + r.members[i - 1].name +
                     ": the installer looks names up without letter case";
            return false;
        }
        r.paths.push_back((fs::path(r.media) / r.members[i].name).string());
    }
    return true;
}

bool Put(std::ofstream& out, const void* data, size_t size) {
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

// The program, each member's bytes (summed as they pass), the index and
// the trailer.
bool WriteProgram(Run& r, const std::string& path, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !Put(out, r.program.data(), r.program.size())) {
        *error = path + ": cannot write";
        return false;
    }
    uint64_t written = r.program.size();
    std::vector<char> chunk(1 << 20);
    for (size_t i = 0; i < r.members.size(); ++i) {
        std::ifstream in(r.paths[i], std::ios::binary);
        if (!in) {
            *error = r.paths[i] + ": cannot read";
            return false;
        }
        Crc32 crc;
        uint64_t size = 0;
        while (in) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            const size_t n = static_cast<size_t>(in.gcount());
            crc.Add(chunk.data(), n);
            size += n;
            if (!Put(out, chunk.data(), n)) {
                *error = path + ": cannot write";
                return false;
            }
        }
        if (!in.eof()) {
            *error = r.paths[i] + ": cannot read";
            return false;
        }
        r.members[i].size = size;
        r.members[i].crc = crc.Value();
        written += size;
    }
    const std::vector<uint8_t> tail = EncodeTail(r.members, written);
    if (!Put(out, tail.data(), tail.size()) || (out.close(), !out)) {
        *error = path + ": cannot write";
        return false;
    }
    return true;
}

// Reads the written program back as the installer will: the container
// found, every file where the index says and matching its CRC-32.
bool ReadBack(const Run& r, const std::string& path, std::string* error) {
    FileBytes file(path);
    Bundle written;
    BundleStatus status = file.IsOpen() ? written.Open(file) : BundleStatus::kUnreadable;
    if (status == BundleStatus::kOk &&
        (written.Count() != r.members.size() || written.ProgramSize() != r.program.size()))
        status = BundleStatus::kBadIndex;
    for (size_t i = 0; status == BundleStatus::kOk && i < written.Count(); ++i)
        status = written.CheckFile(file, written.File(i));
    if (status == BundleStatus::kOk) return true;
    *error = path + ": read back: " + DescribeBundleStatus(status);
    return false;
}

}  // namespace

std::vector<uint8_t> EncodeTail(const std::vector<Member>& members, uint64_t before) {
    std::vector<uint8_t> tail, names;
    uint64_t payload = 0;
    for (const Member& m : members) payload += m.size;
    for (const Member& m : members) names.insert(names.end(), m.name.c_str(), m.name.c_str() + m.name.size() + 1);
    PutLe(tail, members.size(), 4);
    PutLe(tail, names.size(), 4);
    PutLe(tail, payload, 8);
    uint64_t offset = 0, nameAt = 0;
    for (const Member& m : members) {
        PutLe(tail, offset, 8);
        PutLe(tail, m.size, 8);
        PutLe(tail, m.crc, 4);
        PutLe(tail, nameAt, 4);
        PutLe(tail, m.name.size(), 4);
        offset += m.size;
        nameAt += m.name.size() + 1;
    }
    tail.insert(tail.end(), names.begin(), names.end());
    tail.resize(tail.size() + (8 - (before + tail.size() + kBundleTrailerSize) % 8) % 8, 0);
    const size_t indexSize = tail.size();
    const uint32_t indexCrc = Crc32Of(tail.data(), indexSize);
    PutLe(tail, payload + indexSize + kBundleTrailerSize, 8);
    PutLe(tail, indexSize, 4);
    PutLe(tail, indexCrc, 4);
    PutLe(tail, kBundleVersion, 4);
    tail.insert(tail.end(), kBundleMagic, kBundleMagic + sizeof kBundleMagic);
    return tail;
}

int BundleCommand(char** args) {
    Run r;
    r.media = args[0];
    r.out = args[1];
    std::error_code ec;
    const fs::path outDir = fs::absolute(r.out, ec).parent_path();
    if (fs::equivalent(outDir, r.media, ec))
        return Fail(r.out + ": would land among the media it carries: write it elsewhere");
    std::string error;
    if (!ReadMedia(r, &error) || !ReadProgram(r, &error) || !ListMembers(r, &error)) return Fail(error);
    Beside beside(r.out + ".part");
    if (!WriteProgram(r, beside.Path(), &error) || !ReadBack(r, beside.Path(), &error)) return Fail(error);
    fs::permissions(beside.Path(), fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
    if (ec || !beside.MoveTo(r.out)) return Fail(r.out + ": cannot write");
    uint64_t payload = 0;
    for (const Member& m : r.members) {
        char crc[9];
        FormatCrc(m.crc, crc);
        std::printf("%-24s %12llu  %s\n", m.name.c_str(), static_cast<unsigned long long>(m.size), crc);
        payload += m.size;
    }
    std::printf("%s: setup.exe (%llu bytes) and %zu media files (%llu bytes)\n", r.out.c_str(),
                static_cast<unsigned long long>(r.program.size()), r.members.size(),
                static_cast<unsigned long long>(payload));
    return kOk;
}

}  // namespace bundle
