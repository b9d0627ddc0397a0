#include "script_check.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "check_actions.h"
#include "check_branding.h"
#include "check_context.h"
#include "check_media.h"
#include "check_removal.h"
#include "check_sections.h"
#include "check_setup.h"
#include "script/profile_file.h"

namespace fs = std::filesystem;

namespace {

// The files beside the script that a run needs from the media; pack
// brings the installer's own to a product folder's.
void CheckMediaFiles(ScriptCheck& check) {
    MediaFiles files(check);
    for (const char* needed : {"setup.exe", "STP.DLL"})
        if (!check.product && files.Find(check.media, needed).empty())
            check.report.Warning(1, "the media directory holds no %s", needed);
    const ProfileKey* license = check.file.FoundKey("SetUp", "license");
    if (license && ProfileFile::ValueOf(*license) == "1" && files.Find(check.media, "LICENSE.TXT").empty())
        check.report.Error(license->line, "license=1, but the media directory holds no LICENSE.TXT: the run ends");
}

// The entry of a directory called name (letter case aside), or "".
std::string EntryOf(const std::string& directory, const char* name, bool wantDirectory) {
    std::error_code error;
    for (fs::directory_iterator at(directory, error), end; !error && at != end; at.increment(error)) {
        std::error_code typeError;
        if (SameProfileName(at->path().filename().string(), name) && at->is_directory(typeError) == wantDirectory)
            return at->path().string();
    }
    return "";
}

}  // namespace

void CheckScript(const std::string& bytes, const std::string& media, CheckReport& report, bool product) {
    ProfileFile file(bytes.data(), bytes.size());
    ScriptCheck check(file, report, media);
    check.product = product;
    CheckFile(check);
    CheckSetUp(check);
    CheckBranding(check);
    ReadOptionGroups(check);
    ReadComponents(check);
    ReadVariables(check);
    ReadDisks(check);
    Records records;
    CheckActions(check, records);
    CheckRemoval(check, records);
    CheckMediaCrcs(check);
    CheckSections(check);
    if (!media.empty()) CheckMediaFiles(check);
}

int CheckCommand(const char* path, std::FILE* out, std::FILE* err) {
    std::error_code error;
    std::string script = path, media;
    bool product = false;
    // Media of one directory, multi-disk media by the directory of their
    // first disk, or a product folder: a directory without the installer.
    if (fs::is_directory(path, error)) {
        media = path;
        script = EntryOf(media, "SETUP.INF", false);
        std::string firstDisk = EntryOf(media, "DISK1", true);
        if (script.empty() && !firstDisk.empty()) {
            media = firstDisk;
            script = EntryOf(media, "SETUP.INF", false);
        }
        if (script.empty()) {
            std::fprintf(err, "setupkit: %s: no SETUP.INF here, nor in a DISK1 directory\n", path);
            return 1;
        }
        product = EntryOf(media, "setup.exe", false).empty();
    }
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::fprintf(err, "setupkit: %s: cannot read\n", script.c_str());
        return 1;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CheckReport report;
    CheckScript(bytes, media, report, product);
    report.Print(out, script);
    return report.Errors() ? 1 : 0;
}
