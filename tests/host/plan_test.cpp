// The rules of the install pass's plan, as table rows: a script, the chosen
// codes and variables, and the steps the pass would take, written one line a
// step. The machine is a typical one (C:\Windows, media in D:\).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "plan/pass_plan.h"
#include "script/profile_file.h"

namespace {

std::string Yes(bool flag, const std::string& name) { return flag ? " " + name : ""; }

// Every step as one line: its kind and what it says.
class Steps : public PlanSink {
public:
    std::vector<std::string> lines;
    StepResult Passed(ActionKind kind, const EntrySource& source) override {
        return Add(std::string("passed ") + ActionName(kind) + " " + source.key);
    }
    StepResult Refused(const RefusedStep& step) override {
        static const char* const kReasons[] = {"unreadable",   "too few fields", "too long",
                                               "line break",   "device name",    "not a media name",
                                               "not its type", "too many parts", "unknown disk"};
        static const char* const kPieces[] = {
            "entry",     "target as written", "target",     "file name",  "source",     "media name", "disk",
            "font file", "file field",        "file",       "section",    "key",        "value",      "short key path",
            "key field", "key path",          "key class",  "type name",  "value name", "data",       "number data",
            "escaped data", "group name",     "item name",  "arguments"};
        // The text at fault: its length against its width when it is too
        // long, otherwise the text itself.
        std::string fault = std::string(kPieces[static_cast<int>(step.piece)]) +
                            (step.reason == Refusal::TooLong
                                 ? " " + std::to_string(step.length) + "/" + std::to_string(step.limit)
                                 : " '" + std::string(step.text) + "'");
        return Add(std::string("refused ") + ActionName(step.kind) + " [" + step.source.section + "] " +
                   step.source.key + ": " + kReasons[static_cast<int>(step.reason)] + ", message " +
                   std::to_string(step.messageId) + (step.named[0] ? std::string(" ") + step.named : "") + "; " +
                   fault);
    }
    StepResult ChangeDisk(const DiskStep& step) override {
        return Add(std::string("disk ") + step.inDrive + " -> " + step.disk + " (" + step.label + ")");
    }
    StepResult Copy(const CopyStep& step) override {
        std::string disks;
        for (int i = 0; step.disks.count > 1 && i < step.disks.count; ++i)
            disks += std::string(i ? ", " : " from ") + step.disks.keys[i] + " (" + step.disks.labels[i] + ")";
        return Add(std::string("copy ") + step.target + " <- " + step.mediaName + disks + " [" + step.recorded + "]" +
                   Yes(step.saveExisting, "save to " + std::string(step.backup)) + Yes(step.keepExisting, "keep") +
                   Yes(step.unrecorded, "unrecorded"));
    }
    StepResult Font(const FontStep& step) override {
        return Add(std::string("font ") + step.resource + " of " + step.font + " in '" + step.currentPath + "'" +
                   Yes(step.unrecorded, "unrecorded"));
    }
    StepResult Ini(const FileStep& step) override { return File("ini", step); }
    StepResult TextLine(const FileStep& step) override { return File("text", step); }
    StepResult Registry(const RegistryStep& step) override {
        if (step.shortForm) return Add(std::string("registry HKEY_CLASSES_ROOT\\") + step.subkey + " = " + step.data.Text());
        return Add(std::string("registry ") + step.rootName + "\\" + step.subkey + " (class '" + step.keyClass +
                   "') " + step.name + ":" + step.typeName + " = " + step.data.Text() + " [" + step.keyText + "]" +
                   Yes(step.removeEmptyKeys, "remove empty") + Yes(step.unrecorded, "unrecorded"));
    }
    StepResult Group(const GroupStep& step) override {
        if (step.wholeGroup) return Add(std::string("group ") + step.group + " deleted");
        return Add(std::string("group ") + step.group + "|" + step.item + " = " + step.arguments);
    }
    StepResult Delete(const DeleteStep& step) override {
        return Add(std::string("delete ") + step.path +
                   Yes(!step.usable, "unusable " + std::to_string(step.pathLength)) +
                   Yes(step.deviceName, "device") + Yes(step.directory, "directory") + Yes(step.quiet, "quiet"));
    }
    StepResult Done(const SectionDone& step) override {
        if (step.kind == ActionKind::Copy) lines.push_back("bar " + std::to_string(step.percent));
        return StepResult::GoOn;
    }
    void OutOfMemory() override { lines.push_back("out of memory"); }

private:
    StepResult File(const char* kind, const FileStep& step) {
        return Add(std::string(kind) + " " + step.path + " [" + step.section + "] " + step.key + " = " +
                   step.value.Text() + (step.separator ? std::string(" after '") + step.separator + "'" : "") +
                   " [" + step.fileText + "]" + Yes(step.unrecorded, "unrecorded"));
    }
    StepResult Add(const std::string& line) {
        lines.push_back(line);
        return StepResult::GoOn;
    }
};

struct Row {
    const char* what;
    std::string sections;  // behind [disks] 1=Disk one, component Main (section Main) chosen
    std::vector<std::string> expected;
    const char* codes = "";
    bool removeMode = false;
};

std::vector<std::string> Plan(const Row& row) {
    std::string script = "[disks]\r\n1=Disk one\r\n2=Disk two\r\n" + row.sections;
    ProfileFile file(script.data(), script.size());
    ScriptTables tables = {};
    CopyText(tables.optionCodes, row.codes);
    tables.componentCount = 2;
    CopyText(tables.components[0].section, "Main");
    tables.components[0].selected = 1;
    CopyText(tables.components[1].section, "Extra");  // left out: its "!" sections are visited
    const std::string variables[][2] = {{"AppDir", "C:\\App"}, {"BackUpDir", "C:\\Save"}, {"Long", std::string(250, 'l')}};
    for (const auto& variable : variables) {
        ScriptVariable& defined = tables.variables[tables.variableCount++];
        CopyText(defined.name, variable[0].c_str());
        CopyText(defined.value, variable[1].c_str());
    }
    gTables = &tables;
    Steps steps;
    PlanInstallPass(file, tables, row.removeMode, steps);
    gTables = nullptr;
    return steps.lines;
}

TEST(Plan, StepsFollowTheLanguagesRules) {
    const std::string windows = "C:\\Windows\\";
    const Row rows[] = {
        // An empty alternative holds for every flag but "-" and "!": "/,-" keeps an existing target too.
        {"copy flags, the compressed-name rule, a target of one part, the disk change",
         "[Main]\r\n1:%AppDir%\\a.txt=A\r\n1:%AppDir%\\lib.dll=Lib/,!\r\n1:%AppDir%\\keep.ini=Keep/,+\r\n"
         "1:%AppDir%\\quiet.txt=Quiet/,-\r\n1:HELP.TXT__=Help\r\n2:C::\\Two\\b.txt=B\r\n1:late.txt=Late/X\r\n"
         "[!Extra]\r\n1:%AppDir%\\gone.txt=Gone/,-\r\n",
         {"copy C:\\App\\a.txt <- a.txt [%AppDir%\\a.txt]",
          "copy C:\\App\\lib.dll <- lib.dll [%AppDir%\\lib.dll] save to C:\\Save\\lib.dll",
          "copy C:\\App\\keep.ini <- keep.ini [%AppDir%\\keep.ini] keep",
          "copy C:\\App\\quiet.txt <- quiet.txt [%AppDir%\\quiet.txt] keep unrecorded", "copy " + windows +
          "HELP.TXT <- HELP.TX_ [HELP.TXT]", "passed copy 2:C::\\Two\\b.txt", "passed copy 1:late.txt", "bar 7",
          "copy C:\\App\\gone.txt <- gone.txt [%AppDir%\\gone.txt] keep unrecorded", "bar 14",
          "passed copy 1:%AppDir%\\a.txt", "passed copy 1:%AppDir%\\lib.dll", "passed copy 1:%AppDir%\\keep.ini",
          "passed copy 1:%AppDir%\\quiet.txt", "passed copy 1:HELP.TXT__",
          "disk 1 -> 2 (Disk two)", "copy C:\\Two\\b.txt <- b.txt [C:\\Two\\b.txt]", "passed copy 1:late.txt",
          "bar 21", "passed copy 1:%AppDir%\\gone.txt", "bar 28"}},
        {"copies that cannot be carried out: a path over 259 characters, a variable that makes a path, a device",
         "[Main]\r\n1:%Long%\\%Long%=Long\r\n1:%AppDir%\\%AppDir%=Path\r\n1:%AppDir%\\NUL.txt=Null\r\n"
         "1:%AppDir%\\NUx_L=Null on the media\r\n1:%AppDir%\\=No name\r\n1:%" + std::string(255, 'd') +
             "%\\x.txt=Written too long\r\n",
         {"refused copy [Main] 1:%Long%\\%Long%: too long, message 103 " + std::string(250, 'l') + "\\" +
              std::string(8, 'l') + "; target 501/259",
          "refused copy [Main] 1:%AppDir%\\%AppDir%: not a media name, message 102 D:\\C:\\App; file name 'C:\\App'",
          "refused copy [Main] 1:%AppDir%\\NUL.txt: device name, message 103 C:\\App\\NUL.txt; target "
          "'C:\\App\\NUL.txt'",
          "refused copy [Main] 1:%AppDir%\\NUx_L: device name, message 103 D:\\NUL; media name 'NUL'",
          "refused copy [Main] 1:%AppDir%\\: not a media name, message 102 D:\\; file name ''",
          "refused copy [Main] 1:%" + std::string(255, 'd') + "%\\x.txt: too long, message 102 D:\\x.txt; target "
          "as written 263/259",
          "bar 7", "bar 14", "passed copy 1:%Long%\\%Long%", "passed copy 1:%AppDir%\\%AppDir%",
          "passed copy 1:%AppDir%\\NUL.txt", "passed copy 1:%AppDir%\\NUx_L", "passed copy 1:%AppDir%\\",
          "passed copy 1:%" + std::string(255, 'd') + "%\\x.txt", "bar 21", "bar 28"}},
        {"fonts: a system place names the font bare; nr, a key without a name",
         "[fot.Main]\r\nWinDir\\SERIF=Serif\r\nAppDir\\SANS=Sans/,nr\r\nAppDir=No name\r\nAppDir\\" +
             std::string(250, 'f') + "=Too long\r\n",
         {"bar 7", "bar 14", "bar 21", "bar 28", "font " + windows + "SERIF.fot of SERIF.ttf in '" + windows + "'",
          "font C:\\App\\SANS.fot of C:\\App\\SANS.ttf in '' unrecorded",
          "refused font [fot.Main] AppDir: too few fields, message 106 C:\\App\\.fot; font file 'C:\\App\\.fot'",
          "refused font [fot.Main] AppDir\\" + std::string(250, 'f') + ": too long, message 106 C:\\App\\" +
              std::string(250, 'f') + ".f; font file 261/259"}},
        {"INI and text lines: file pieces, expansion, an appending separator, the '-' flag and remove mode",
         "[ini.Main]\r\nwin.ini|windows|load|,=%AppDir%\\app.exe\r\nAppDir\\sub\\a.ini|S|K=v/,-\r\n"
         "AppDir\\a\\b\\c.ini|S|K=v\r\nAppDir\\a.ini|S=no key\r\nAppDir\\a.ini|S|%Long%x%Long%=v\r\n"
         "[str.Main]\r\nSYSTEM.INI|boot|shell=shell=x.exe\r\n",
         {"bar 7", "bar 14", "bar 21", "bar 28",
          "ini " + windows + "win.ini [windows] load = C:\\App\\app.exe after ',' [win.ini] unrecorded",
          "ini C:\\App\\a.ini [S] K = v [AppDir\\sub\\a.ini] unrecorded",
          "refused ini [ini.Main] AppDir\\a\\b\\c.ini|S|K: too many parts, message 200; file field "
          "'AppDir\\a\\b\\c.ini'",
          "refused ini [ini.Main] AppDir\\a.ini|S: too few fields, message 200; entry 'AppDir\\a.ini|S'",
          "refused ini [ini.Main] AppDir\\a.ini|S|%Long%x%Long%: too long, message 200; key 501/259",
          "text " + windows + "SYSTEM.INI [boot] shell = shell=x.exe [SYSTEM.INI] unrecorded"},
         "", true},
        {"registry: roots, a class, types, the short form, data that is not its type",
         "[reg.Main]\r\nHKEY_CURRENT_USER\\Software\\App:Cls|Count:REG_DWORD=1f\r\nSoftware\\App|Name:x=v\r\n"
         "HKEY_LOCAL_MACHINE\\Soft|Path=%AppDir%/,-\r\n.abc=abcfile\r\nHKEY_CURRENT_USER\\S|N:REG_DWORD=zz\r\n"
         "HKEY_CURRENT_USER\\S\\Made|:REG_REMOVE_EMPTY_KEYS=Key made\r\n",
         {"bar 7", "bar 14", "bar 21", "bar 28",
          "registry HKEY_CURRENT_USER\\Software\\App (class 'Cls') Count:REG_DWORD = 1f [HKEY_CURRENT_USER\\Software\\App]",
          "registry HKEY_CLASSES_ROOT\\App (class '') Name:x:REG_SZ = v [Software\\App]",
          "registry HKEY_LOCAL_MACHINE\\Soft (class '') Path:REG_SZ = C:\\App [HKEY_LOCAL_MACHINE\\Soft] unrecorded",
          "registry HKEY_CLASSES_ROOT\\.abc = abcfile",
          "refused registry [reg.Main] HKEY_CURRENT_USER\\S|N:REG_DWORD: not its type, message 200; number data 'zz'",
          "registry HKEY_CURRENT_USER\\S\\Made (class '') :REG_REMOVE_EMPTY_KEYS = Key made [HKEY_CURRENT_USER\\S\\Made] "
          "remove empty unrecorded"}},
        {"groups and deletions: a group alone, '?', a directory, a one-part path, a condition",
         "[group.Main]\r\nNotes|Read me=%AppDir%\\README.TXT,Read me\r\nOld Notes=the group\r\n"
         "[del.Main]\r\n%AppDir%\\old.txt=Old/,?\r\n%AppDir%\\=Folder\r\nold.ini=Old settings\r\n"
         "%AppDir%\\nul=Device\r\n%AppDir%\\x.txt=Only with X/X\r\n%Long%\\%Long%=Too long\r\n",
         {"bar 7", "bar 14", "bar 21", "bar 28", "group Notes|Read me = C:\\App\\README.TXT,Read me", "group Old Notes deleted",
          "delete C:\\App\\old.txt quiet", "delete C:\\App\\ directory", "delete " + windows + "old.ini",
          "delete C:\\App\\nul device", "passed delete %AppDir%\\x.txt",
          "delete " + std::string(250, 'l') + "\\" + std::string(8, 'l') + " unusable 501"}},
        // A file split over disks: copied in the pass of its first piece's
        // disk, which leaves its last piece's disk in the drive; a piece on a
        // disk [disks] lacks refuses the copy.
        {"a file split over two disks, a piece on no disk",
         "[Main]\r\n1+2:%AppDir%\\big.bin=Big\r\n1:%AppDir%\\after.txt=After\r\n2:%AppDir%\\two.txt=Two\r\n"
         "1+9:%AppDir%\\lost.bin=Lost\r\n",
         {"copy C:\\App\\big.bin <- big.bin from 1 (Disk one), 2 (Disk two) [%AppDir%\\big.bin]",
          "disk 2 -> 1 (Disk one)", "copy C:\\App\\after.txt <- after.txt [%AppDir%\\after.txt]",
          "passed copy 2:%AppDir%\\two.txt",
          "refused copy [Main] 1+9:%AppDir%\\lost.bin: unknown disk, message 200; disk '1+9'",
          "bar 7", "bar 14", "passed copy 1+2:%AppDir%\\big.bin", "passed copy 1:%AppDir%\\after.txt",
          "disk 1 -> 2 (Disk two)", "copy C:\\App\\two.txt <- two.txt [%AppDir%\\two.txt]",
          "passed copy 1+9:%AppDir%\\lost.bin", "bar 21", "bar 28"}},
    };
    for (const Row& row : rows) EXPECT_EQ(Plan(row), row.expected) << row.what;
}

}  // namespace
