#include "pack.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine_files.h"
#include "folder.h"
#include "pack_plan.h"
#include "script_text.h"
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

// Where a file of the plan comes from: engine, product folder, or the staged
// compressed copy; the script is written from memory.
struct Source {
    std::string path;
    bool staged = false;
    bool script = false;
};

}  // namespace

int PackCommand(char** args) {
    Options o;
    if (!ParseOptions(args, &o)) {
        std::fputs(kUsage, stderr);
        return kBadUsage;
    }
    Folder product;
    if (!product.Read(o.product)) return Fail(std::string(o.product) + ": cannot list the product folder");
    const std::string scriptPath = product.Find("SETUP.INF");
    if (scriptPath.empty()) return Fail(Join(o.product, "SETUP.INF") + ": no script in the product folder");
    std::vector<uint8_t> raw;
    if (szdd::ReadWholeFile(scriptPath.c_str(), UINT32_MAX, raw) != szdd::Status::Ok)
        return Fail(scriptPath + ": cannot read");
    script::Text text;
    if (!script::Parse(std::string(raw.begin(), raw.end()), &text))
        return Fail(scriptPath + ": a script in UTF-16 cannot be packed");

    std::string setupExe, library, error;
    if (!FindEngine(o.engine, &setupExe, &library, &error)) return Fail(error);
    // A product may bring a resource library of its own.
    const std::string ownLibrary = product.Find("STP.DLL");
    if (!ownLibrary.empty()) library = ownLibrary;
    const std::string licence = product.Find("LICENSE.TXT");

    Plan plan;
    std::vector<Source> sources;
    std::vector<std::string> used = {scriptPath, licence, ownLibrary};  // of the product folder
    auto addEngine = [&](const std::string& path, const std::string& name, bool isScript) {
        unsigned long long size = 0;
        if (!isScript && !FileSize(path, &size)) return false;
        AddEngineFile(&plan, name, isScript ? text.bytes.size() : size);
        sources.push_back({path, false, isScript});
        return true;
    };
    if (!addEngine(setupExe, "setup.exe", false)) return Fail(setupExe + ": cannot read");
    if (!addEngine(library, "STP.DLL", false)) return Fail(library + ": cannot read");
    addEngine(scriptPath, fs::path(scriptPath).filename().string(), true);
    const size_t scriptFile = plan.files.size() - 1;
    if (!licence.empty() && !addEngine(licence, fs::path(licence).filename().string(), false))
        return Fail(licence + ": cannot read");
    if (!ReadCopyEntries(text, &plan, &error)) return Fail(scriptPath + ":" + error);

    // The media directory: new, or empty, so that nothing else ends up on the media.
    Output output;
    std::error_code ec;
    if (fs::exists(o.media, ec)) {
        if (!fs::is_directory(o.media, ec) || !fs::is_empty(o.media, ec))
            return Fail(std::string(o.media) + ": not an empty directory");
    } else if (!fs::create_directory(o.media, ec)) {
        return Fail(std::string(o.media) + ": cannot make the directory");
    } else {
        output.Made(o.media);
    }

    for (size_t i = sources.size(); i < plan.files.size(); ++i) {
        File& f = plan.files[i];
        bool ambiguous = false;
        const std::string path = product.Find(f.name, &ambiguous);
        if (path.empty()) {
            size_t line = 0;
            for (size_t e = 0; e < plan.entries.size() && !line; ++e)
                if (plan.entries[e].file == i) line = plan.entries[e].line + 1;
            return Fail(Join(o.product, f.name) +
                        (ambiguous ? ": several files of this name in other letter case"
                                   : ": missing, though the script copies it") +
                        " (" + fs::path(scriptPath).filename().string() + " line " + std::to_string(line) + ")");
        }
        sources.push_back({path});
        used.push_back(path);
        std::vector<uint8_t> data, packed;
        if (f.fixed) {
            unsigned long long size = 0;
            if (!FileSize(path, &size)) return Fail(path + ": cannot read");
            f.plainSize = f.mediaSize = size;
            continue;
        }
        szdd::Status status = szdd::ReadWholeFile(path.c_str(), szdd::kMaxLength, data);
        if (status == szdd::Status::Ok)
            status = szdd::Compress(data.data(), data.size(), uint8_t(f.name.back()), packed);
        if (status != szdd::Status::Ok) return Fail(path + ": " + szdd::Describe(status));
        f.plainSize = f.mediaSize = data.size();
        if (packed.size() >= data.size()) continue;
        // Kept aside until the names and disks are settled: one file in memory at a time.
        const std::string staged = Join(o.media, ".pack-" + std::to_string(i));
        if (szdd::WriteWholeFile(staged.c_str(), packed) != szdd::Status::Ok) return Fail(staged + ": cannot write");
        output.Made(staged);
        sources.back() = {staged, true};
        f.compressed = true;
        f.mediaSize = packed.size();
    }
    ChooseMediaNames(plan.files);

    // The script's size counts on the first disk, and the disks it names
    // change its size: settle both together.
    std::string rewritten;
    for (int round = 0;; ++round) {
        if (!AssignDisks(&plan, o.diskSize, &error)) return Fail(error);
        if (!Rewrite(text, plan, &rewritten, &error)) return Fail(scriptPath + ":" + error);
        if (rewritten.size() <= plan.files[scriptFile].mediaSize) break;
        if (round == 8) return Fail(scriptPath + ": the disks do not settle");
        plan.files[scriptFile].mediaSize = rewritten.size();
    }
    plan.files[scriptFile].mediaSize = rewritten.size();

    std::vector<std::string> diskDirs;
    for (int n = 1; n <= plan.diskCount; ++n) {
        if (!o.diskSize) {
            diskDirs.push_back(o.media);
            break;
        }
        diskDirs.push_back(Join(o.media, "DISK" + std::to_string(n)));
        if (!fs::create_directory(diskDirs.back(), ec)) return Fail(diskDirs.back() + ": cannot make the directory");
        output.Made(diskDirs.back());
    }
    uint64_t before = 0, after = 0;
    int productFiles = 0, compressedFiles = 0;
    for (size_t i = 0; i < plan.files.size(); ++i) {
        const File& f = plan.files[i];
        const Source& s = sources[i];
        const std::string target = Join(diskDirs[f.disk - 1], f.mediaName);
        bool ok;
        if (s.script) {
            ok = szdd::WriteWholeFile(target.c_str(), std::vector<uint8_t>(rewritten.begin(), rewritten.end())) ==
                 szdd::Status::Ok;
        } else if (s.staged && f.compressed) {
            fs::rename(s.path, target, ec);
            ok = !ec;
        } else {
            ok = fs::copy_file(s.path, target, ec) && !ec;
        }
        if (!ok) return Fail(target + ": cannot write");
        output.Made(target);
        if (s.staged && !f.compressed) fs::remove(s.path, ec);
        if (!f.engine) {
            ++productFiles;
            compressedFiles += f.compressed;
            before += f.plainSize;
            after += f.mediaSize;
        }
        std::string shown = o.diskSize ? "DISK" + std::to_string(f.disk) + "/" + f.mediaName : f.mediaName;
        std::printf("%-24s %12llu", shown.c_str(), static_cast<unsigned long long>(f.mediaSize));
        if (f.compressed)
            std::printf("  %s, %llu compressed", f.name.c_str(), static_cast<unsigned long long>(f.plainSize));
        std::printf("\n");
    }
    std::vector<std::string> leftOut;
    for (const std::string& name : product.Names())
        if (std::find(used.begin(), used.end(), Join(o.product, name)) == used.end()) leftOut.push_back(name);
    if (!leftOut.empty()) {
        std::string list;
        for (const std::string& name : leftOut) list += (list.empty() ? "" : ", ") + name;
        std::printf("left out, as no copy entry names them: %s\n", list.c_str());
    }
    std::printf("%d files, %llu bytes before, %llu after (%d compressed); ", productFiles,
                static_cast<unsigned long long>(before), static_cast<unsigned long long>(after), compressedFiles);
    if (o.diskSize)
        std::printf("%d disk%s of %llu bytes\n", plan.diskCount, plan.diskCount == 1 ? "" : "s",
                    static_cast<unsigned long long>(o.diskSize));
    else
        std::printf("one media directory\n");
    output.Done();
    return kOk;
}

}  // namespace pack
