// setupkit: the publisher's tool. One entry per command in kCommands.
// Exit status 0 on success, 1 on a failure (one line on stderr naming the
// file), 2 on bad usage.
#include <cstdio>
#include <cstring>

#include "bundle.h"
#include "pack.h"
#include "script_check.h"
#include "szdd.h"
#include "try_command.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

int Report(szdd::Status status, const char* in, const char* out) {
    if (status == szdd::Status::Ok) return kOk;
    const char* file = status == szdd::Status::CannotWrite ? out : in;
    std::fprintf(stderr, "setupkit: %s: %s\n", file, szdd::Describe(status));
    return kFailed;
}

int CompressCommand(char** args) { return Report(szdd::CompressFile(args[0], args[1]), args[0], args[1]); }
int ExpandCommand(char** args) { return Report(szdd::ExpandFile(args[0], args[1]), args[0], args[1]); }
int ScriptCheckCommand(char** args) { return CheckCommand(args[0], stdout, stderr); }

struct Command {
    const char* name;
    int argCount;  // negative: at least that many, the command checks the rest
    const char* args;
    const char* help;
    int (*run)(char** args);
};

const Command kCommands[] = {
    {"compress", 2, "IN OUT", "compress IN into the LZ-compressed file OUT", CompressCommand},
    {"expand", 2, "IN OUT", "expand the LZ-compressed file IN into OUT", ExpandCommand},
    {"pack", -2, "PRODUCT_DIR MEDIA_DIR [--disk-size BYTES] [--engine DIR]",
     "lay out finished media from a product folder (its SETUP.INF and files)", pack::PackCommand},
    {"bundle", 2, "MEDIA_DIR OUT.EXE", "one program that carries the media of one disk (packed without --disk-size)",
     bundle::BundleCommand},
    {"check", 1, "SCRIPT_OR_MEDIA_DIR", "check a script, or a media directory's SETUP.INF and files (1: errors found)",
     ScriptCheckCommand},
    {"try", -1, "MEDIA [--quiet] [--plan PLAN] [--answers FILE] [--shots DIR]",
     "install the media in a fresh Wine prefix, list the changes, remove the product, list what is left (Linux)",
     TryCommand},
};

int Usage(FILE* to, int status) {
    std::fprintf(to, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(to, "  setupkit %s %s\n      %s\n", c.name, c.args, c.help);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) return Usage(stdout, kOk);
    if (argc < 2) return Usage(stderr, kBadUsage);
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        if (c.argCount >= 0 ? argc - 2 != c.argCount : argc - 2 < -c.argCount) return Usage(stderr, kBadUsage);
        return c.run(argv + 2);
    }
    return Usage(stderr, kBadUsage);
}
