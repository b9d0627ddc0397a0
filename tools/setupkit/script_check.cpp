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

// The files beside the script that a run needs from the media.
void CheckMediaFiles(ScriptCheck& check) {
    MediaFiles files(check);
    for (const char* needed : {"setup.exe", "STP.DLL"})
        if (files.Find(check.media, needed).empty())
            check.report.Warning(1, "the media directory holds no %s", needed);
    const ProfileKey* license = check.file.FoundKey("SetUp", "license");
    if (license && ProfileFile::ValueOf(*license) == "1" && files.Find(check.media, "LICENSE.TXT").empty())
        check.report.Error(license->line, "license=1, but the media directory holds no LICENSE.TXT: the run ends");
}

}  // namespace

void CheckScript(const std::string& bytes, const std::string& media, CheckReport& report) {
    ProfileFile file(bytes.data(), bytes.size());
    ScriptCheck check(file, report, media);
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
    if (fs::is_directory(path, error)) {
        media = path;
        for (fs::directory_iterator at(path, error), end; !error && at != end; at.increment(error)) {
            std::string name = at->path().filename().string();
            std::string upper = name;
            for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
            if (upper == "SETUP.INF") script = at->path().string();
        }
        if (script == path) {
            std::fprintf(err, "setupkit: %s: no SETUP.INF in the media directory\n", path);
            return 1;
        }
    }
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::fprintf(err, "setupkit: %s: cannot read\n", script.c_str());
        return 1;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CheckReport report;
    CheckScript(bytes, media, report);
    report.Print(out, script);
    return report.Errors() ? 1 : 0;
}
