#include "pack.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/media_crc.h"
#include "crc_section.h"
#include "engine_files.h"
#include "folder.h"
#include "pack_plan.h"
#include "szdd.h"

namespace fs = std::filesystem;

namespace pack {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

const char kUsage[] = "usage: setupkit pack PRODUCT_DIR MEDIA_DIR [--disk-size BYTES] [--engine DIR]\n";

struct Options {
    const char* product = nullptr;
    const char* media = nullptr;
    const char* engine = nullptr;
    uint64_t diskSize = 0;
};

bool ParseSize(const char* text, uint64_t* size) {
    *size = 0;
    if (!*text) return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9' || *size > (UINT64_MAX - 9) / 10) return false;
        *size = *size * 10 + uint64_t(*text - '0');
    }
    return *size > 0;
}

bool ParseOptions(char** args, Options* o) {
    for (; *args; ++args) {
        if (!std::strcmp(*args, "--disk-size")) {
            if (!args[1] || !ParseSize(args[1], &o->diskSize)) return false;
            ++args;
        } else if (!std::strcmp(*args, "--engine")) {
            if (!args[1]) return false;
            o->engine = *++args;
        } else if (**args == '-' || o->media) {
            return false;
        } else {
            (o->product ? o->media : o->product) = *args;
        }
    }
    return o->media != nullptr;
}

// The media directory as far as this run made it; taken away again when the
// run fails, so that no half-made media is left.
class Output {
public:
    ~Output() {
        if (done_) return;
        std::error_code ec;
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) fs::remove(*it, ec);
    }
    void Made(const fs::path& path) { made_.push_back(path); }
    void Done() { done_ = true; }

private:
    std::vector<fs::path> made_;
    bool done_ = false;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "setupkit: %s\n", message.c_str());
    return kFailed;
}

std::string Join(const std::string& dir, const std::string& name) { return (fs::path(dir) / name).string(); }

std::string FileName(const std::string& path) { return fs::path(path).filename().string(); }

// What one run works on.
struct Run {
    Options o;
    Folder product;
    std::string scriptPath;
    std::unique_ptr<Script> script;
    Plan plan;
    size_t scriptFile = 0;             // in plan.files
    std::vector<std::string> sources;  // for each file of the plan, the file it is made from
    std::vector<uint32_t> plainCrcs, packedCrcs;  // each file's CRC-32 stored plain or compressed (the script's: 0)
    std::vector<std::string> used;     // the product folder's files that reach the media
    std::string staging;               // compressed files wait here until names and disks are settled
    std::string rewritten;             // the script for the media
    std::vector<std::string> diskDirs;
    Output output;
};

bool AddEngine(Run& r, const std::string& path, const std::string& name, std::string* error) {
    unsigned long long size = r.script->bytes.size();
    if (path != r.scriptPath && !FileSize(path, &size)) {
        *error = path + ": cannot read";
        return false;
    }
    uint32_t crc = 0;
    if (path != r.scriptPath && !FileCrc(path, &crc)) {
        *error = path + ": cannot read";
        return false;
    }
    AddEngineFile(&r.plan, name, size);
    r.sources.push_back(path);
    r.plainCrcs.push_back(crc);
    r.packedCrcs.push_back(crc);
    return true;
}

// The script, the engine's files and the copy entries.
bool ReadProduct(Run& r, std::string* error) {
    if (!r.product.Read(r.o.product)) {
        *error = std::string(r.o.product) + ": cannot list the product folder";
        return false;
    }
    r.scriptPath = r.product.Find("SETUP.INF");
    std::vector<uint8_t> raw;
    if (r.scriptPath.empty() || szdd::ReadWholeFile(r.scriptPath.c_str(), UINT32_MAX, raw) != szdd::Status::Ok) {
        *error = Join(r.o.product, "SETUP.INF") + ": no script to read in the product folder";
        return false;
    }
    r.script = std::make_unique<Script>(std::string(raw.begin(), raw.end()));
    std::string setupExe, library;
    if (!FindEngine(r.o.engine, &setupExe, &library, error)) return false;
    // A product may bring a resource library of its own.
    const std::string ownLibrary = r.product.Find("STP.DLL");
    const std::string licence = r.product.Find("LICENSE.TXT");
    // The background's picture ([SetUp] picture) is read from the first
    // disk at start-up, as the licence is.
    const ProfileKey* pictureKey = r.script->file.FoundKey("SetUp", "picture");
    const std::string picture = pictureKey ? r.product.Find(ProfileFile::ValueOf(*pictureKey)) : std::string();
    r.used = {r.scriptPath, ownLibrary, licence, picture};
    r.scriptFile = 2;  // after setup.exe and STP.DLL
    if (!AddEngine(r, setupExe, "setup.exe", error) ||
        !AddEngine(r, ownLibrary.empty() ? library : ownLibrary, "STP.DLL", error) ||
        !AddEngine(r, r.scriptPath, FileName(r.scriptPath), error) ||
        (!licence.empty() && !AddEngine(r, licence, FileName(licence), error)) ||
        (!picture.empty() && !AddEngine(r, picture, FileName(picture), error)))
        return false;
    std::vector<std::string> folder;
    for (const std::string& name : r.product.Names())
        if (Join(r.o.product, name) != r.scriptPath) folder.push_back(name);
    if (!ReadCopyEntries(*r.script, folder, &r.plan, error)) {
        *error = r.scriptPath + ":" + *error;
        return false;
    }
    return true;
}

// A new or empty media directory, so that nothing else ends up on the media.
bool MakeMediaDirectory(Run& r, std::string* error) {
    std::error_code ec;
    if (fs::exists(r.o.media, ec)) {
        if (!fs::is_directory(r.o.media, ec) || !fs::is_empty(r.o.media, ec)) {
            *error = std::string(r.o.media) + ": not an empty directory";
            return false;
        }
    } else if (fs::create_directory(r.o.media, ec)) {
        r.output.Made(r.o.media);
    } else {
        *error = std::string(r.o.media) + ": cannot make the directory";
        return false;
    }
    r.staging = Join(r.o.media, ".pack");
    if (!fs::create_directory(r.staging, ec)) {
        *error = r.staging + ": cannot make the directory";
        return false;
    }
    r.output.Made(r.staging);
    return true;
}

std::string Staged(const Run& r, size_t file) { return Join(r.staging, std::to_string(file)); }

// Writes `size` bytes of a file from `offset` on as a file of their own.
bool CopyPiece(const std::string& from, uint64_t offset, uint64_t size, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!in || !out || !in.seekg(static_cast<std::streamoff>(offset))) return false;
    std::vector<char> chunk(1 << 16);
    while (size > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, chunk.size()));
        if (!in.read(chunk.data(), static_cast<std::streamsize>(n)) || !out.write(chunk.data(), n)) return false;
        size -= n;
    }
    out.close();
    return !out.fail();
}

// Finds each product file and compresses it; the compressed form is kept
// when it is smaller. One file in memory at a time.
bool CompressFiles(Run& r, std::string* error) {
    for (size_t i = r.sources.size(); i < r.plan.files.size(); ++i) {
        File& f = r.plan.files[i];
        bool ambiguous = false;
        const std::string path = r.product.Find(f.name, &ambiguous);
        if (path.empty()) {
            int line = 0;
            for (size_t e = 0; e < r.plan.entries.size() && !line; ++e)
                if (r.plan.entries[e].file == i) line = r.plan.entries[e].key->line;
            *error = Join(r.o.product, f.name) +
                     (ambiguous ? ": several files of this name in other letter case"
                                : ": missing, though the script copies it") +
                     " (" + FileName(r.scriptPath) + " line " + std::to_string(line) + ")";
            return false;
        }
        r.sources.push_back(path);
        r.used.push_back(path);
        unsigned long long size = 0;
        if (f.fixed) {
            uint32_t crc = 0;
            if (!FileSize(path, &size) || !FileCrc(path, &crc)) {
                *error = path + ": cannot read";
                return false;
            }
            f.plainSize = f.mediaSize = size;
            r.plainCrcs.push_back(crc);
            r.packedCrcs.push_back(crc);
            continue;
        }
        std::vector<uint8_t> data, packed;
        szdd::Status status = szdd::ReadWholeFile(path.c_str(), szdd::kMaxLength, data);
        if (status == szdd::Status::Ok)
            status = szdd::Compress(data.data(), data.size(), uint8_t(f.name.back()), packed);
        if (status != szdd::Status::Ok) {
            *error = path + ": " + szdd::Describe(status);
            return false;
        }
        f.plainSize = f.mediaSize = data.size();
        r.plainCrcs.push_back(Crc32Of(data.data(), data.size()));
        r.packedCrcs.push_back(Crc32Of(packed.data(), packed.size()));
        if (packed.size() >= data.size()) continue;
        if (szdd::WriteWholeFile(Staged(r, i).c_str(), packed) != szdd::Status::Ok) {
            *error = Staged(r, i) + ": cannot write";
            return false;
        }
        r.output.Made(Staged(r, i));
        f.compressed = true;
        f.mediaSize = packed.size();
    }
    return true;
}

// The CRC-32 of every media file but the script, as it lies on the media.
std::vector<std::pair<std::string, uint32_t>> MediaCrcs(const Run& r) {
    std::vector<std::pair<std::string, uint32_t>> crcs;
    for (size_t i = 0; i < r.plan.files.size(); ++i)
        if (i != r.scriptFile)
            crcs.emplace_back(r.plan.files[i].mediaName, (r.plan.files[i].compressed ? r.packedCrcs : r.plainCrcs)[i]);
    return crcs;
}

// The script's size counts on the first disk, and the disks it names change
// its size: both are settled together.
bool SettleDisks(Run& r, std::string* error) {
    for (int round = 0; round < 8; ++round) {
        if (!AssignDisks(&r.plan, r.o.diskSize, error)) return false;
        if (!Rewrite(*r.script, r.plan, &r.rewritten, error) || !AddCrcSection(&r.rewritten, MediaCrcs(r), error)) {
            *error = r.scriptPath + ":" + *error;
            return false;
        }
        File& script = r.plan.files[r.scriptFile];
        const bool settled = r.rewritten.size() <= script.mediaSize;
        script.plainSize = script.mediaSize = r.rewritten.size();
        if (settled) return true;
    }
    *error = r.scriptPath + ": the disks do not settle";
    return false;
}

bool WriteMedia(Run& r, std::string* error) {
    std::error_code ec;
    for (int n = 1; n <= r.plan.diskCount; ++n) {
        if (!r.o.diskSize) {
            r.diskDirs.push_back(r.o.media);
            break;
        }
        r.diskDirs.push_back(Join(r.o.media, "DISK" + std::to_string(n)));
        if (!fs::create_directory(r.diskDirs.back(), ec)) {
            *error = r.diskDirs.back() + ": cannot make the directory";
            return false;
        }
        r.output.Made(r.diskDirs.back());
    }
    for (size_t i = 0; i < r.plan.files.size(); ++i) {
        const File& f = r.plan.files[i];
        const std::string target = Join(r.diskDirs[f.disk - 1], f.mediaName);
        bool ok;
        if (!f.pieces.empty()) {
            // Each disk holds its piece under the file's media name.
            const std::string from = f.compressed ? Staged(r, i) : r.sources[i];
            uint64_t offset = 0;
            for (const File::Piece& piece : f.pieces) {
                const std::string to = Join(r.diskDirs[piece.disk - 1], f.mediaName);
                if (!CopyPiece(from, offset, piece.size, to)) {
                    *error = to + ": cannot write";
                    return false;
                }
                r.output.Made(to);
                offset += piece.size;
            }
            continue;
        }
        if (i == r.scriptFile) {
            const std::vector<uint8_t> bytes(r.rewritten.begin(), r.rewritten.end());
            ok = szdd::WriteWholeFile(target.c_str(), bytes) == szdd::Status::Ok;
        } else if (f.compressed) {
            fs::rename(Staged(r, i), target, ec);
            ok = !ec;
        } else {
            ok = fs::copy_file(r.sources[i], target, ec) && !ec;
        }
        if (!ok) {
            *error = target + ": cannot write";
            return false;
        }
        r.output.Made(target);
    }
    // What is left there was compressed, but had to stay plain for its name.
    fs::remove_all(r.staging, ec);
    return true;
}

void PrintSummary(const Run& r) {
    uint64_t before = 0, after = 0;
    int files = 0, compressed = 0;
    for (const File& f : r.plan.files) {
        // A file split over disks: a line for each piece.
        const std::vector<File::Piece> pieces = f.pieces.empty() ? std::vector<File::Piece>{{f.disk, f.mediaSize}}
                                                                  : f.pieces;
        for (size_t p = 0; p < pieces.size(); ++p) {
            std::string shown =
                r.o.diskSize ? "DISK" + std::to_string(pieces[p].disk) + "/" + f.mediaName : f.mediaName;
            std::printf("%-24s %12llu", shown.c_str(), static_cast<unsigned long long>(pieces[p].size));
            if (f.compressed)
                std::printf("  %s, %llu compressed", f.name.c_str(), static_cast<unsigned long long>(f.plainSize));
            if (pieces.size() > 1) std::printf("%s piece %d of %d", f.compressed ? ";" : " ", int(p + 1), int(pieces.size()));
            std::printf("\n");
        }
        if (f.engine) continue;
        ++files;
        compressed += f.compressed;
        before += f.plainSize;
        after += f.mediaSize;
    }
    std::string leftOut;
    for (const std::string& name : r.product.Names())
        if (std::find(r.used.begin(), r.used.end(), Join(r.o.product, name)) == r.used.end())
            leftOut += (leftOut.empty() ? "" : ", ") + name;
    if (!leftOut.empty()) std::printf("left out, as no copy entry names them: %s\n", leftOut.c_str());
    std::printf("%d files, %llu bytes before, %llu after (%d compressed); ", files,
                static_cast<unsigned long long>(before), static_cast<unsigned long long>(after), compressed);
    if (r.o.diskSize)
        std::printf("%d disk%s of %llu bytes\n", r.plan.diskCount, r.plan.diskCount == 1 ? "" : "s",
                    static_cast<unsigned long long>(r.o.diskSize));
    else
        std::printf("one media directory\n");
}

}  // namespace

int PackCommand(char** args) {
    Run r;
    if (!ParseOptions(args, &r.o)) {
        std::fputs(kUsage, stderr);
        return kBadUsage;
    }
    std::string error;
    if (!ReadProduct(r, &error) || !MakeMediaDirectory(r, &error) || !CompressFiles(r, &error)) return Fail(error);
    ChooseMediaNames(r.plan.files);
    if (!SettleDisks(r, &error) || !WriteMedia(r, &error)) return Fail(error);
    PrintSummary(r);
    r.output.Done();
    return kOk;
}

}  // namespace pack
