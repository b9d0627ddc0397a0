// The undo journal's lines likewise: any text in a field reads back, and a
// line a kill cut short is never taken for another.
//
// Every kind of removal-log record, written with texts that hold the
// format's own characters, reads back through the engine's walk to the
// fields the install handed over; a record the format cannot carry is
// refused when it is composed, before any change.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "removal/log_records.h"
#include "removal/undo_records.h"
#include "script/profile_file.h"
#include "script/section_walk.h"
#include "script/variables.h"

namespace {

using Fields = std::vector<std::string>;

// The separators each section is read with, and which of the fields the
// reading action expands on '%' (key fields from `keyExpanded` on; the
// value's first field when `valueExpanded`).
struct Reading {
    char keySeparator, valueSeparator;
    int keyExpanded;
    bool valueExpanded;
};

Reading ReadingOf(const std::string& section) {
    if (section == "step1") return {':', '/', 99, false};
    if (section == "del.step2" || section == "del.step3") return {0, '/', 0, false};
    if (section == "path") return {'/', ';', 99, true};
    return {'|', '/', 1, true};  // ini., str., reg. records
}

std::string Expanded(std::string text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    TextBuffer out;
    ExpandText(buffer.data(), out, 1 << 20, true);
    return out.Text();
}

StepResult Collect(SectionEntry& entry, void* context) {
    auto* fields = static_cast<Fields*>(context);
    for (int i = 0; i < entry.keyCount; ++i) fields->push_back(entry.keyFields[i]);
    fields->push_back("=");
    fields->push_back(entry.valueFields[0]);
    return StepResult::GoOn;
}

// The record as the removal run's action sees it: key fields, "=", the value.
// A registry name loses its type, as the registry entry cuts it off.
Fields ReadBack(const LogRecord& record) {
    std::string file = "[" + std::string(record.section) + "]\r\n" + record.key.Text() + "=" + record.value.Text() +
                       "\r\n";
    ProfileFile profile(file.data(), file.size());
    Reading reading = ReadingOf(record.section);
    Fields fields;
    WalkSection(profile, record.section, reading.keySeparator, reading.valueSeparator, Collect, &fields,
                WalkReports{nullptr, nullptr});
    if (fields.empty()) return fields;
    size_t keys = fields.size() - 2;
    if (std::string(record.section) == "reg.step1" && keys == 2) {
        size_t colon = fields[1].find(':');
        if (colon != std::string::npos && fields[1][colon + 1] == 'R') fields[1].erase(colon);
    }
    for (size_t i = reading.keyExpanded; i < keys; ++i) fields[i] = Expanded(fields[i]);
    if (reading.valueExpanded) fields.back() = Expanded(fields.back());
    return fields;
}

struct Row {
    const char* what;
    std::function<bool(LogRecord&)> compose;
    Fields expected;  // empty: refused
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"restore, a drive's colon in the target", [](LogRecord& r) { return ComposeRecord(RestoreCopy, "C:\\x\\a:b.dll", "Lib/old", r); },
         {"1", "C:\\x\\a:b.dll", "=", "Lib/old"}},
        {"restore, a target starting with ':'", [](LogRecord& r) { return ComposeRecord(RestoreCopy, ":x", "d", r); }, {}},
        {"removal, '|' ';' '[' in a path as written", [](LogRecord& r) { return ComposeRecord(RemoveFile, "AppDir\\a|b;d[x]", "\"quoted\"", r); },
         {"AppDir\\a|b;d[x]", "=", "\"quoted\""}},
        {"removal, '=' in a path", [](LogRecord& r) { return ComposeRecord(RemoveFile, "AppDir\\win.ini=\\x", "d", r); }, {}},
        {"removal, a leading ';'", [](LogRecord& r) { return ComposeRecord(RemoveFile, ";x", "d", r); }, {}},
        {"removal, a leading '['", [](LogRecord& r) { return ComposeRecord(RemoveFile, "[x]\\y", "d", r); }, {}},
        {"removal, a leading blank", [](LogRecord& r) { return ComposeRecord(RemoveFile, " x", "d", r); }, {}},
        {"removal, a trailing blank", [](LogRecord& r) { return ComposeRecord(RemoveFile, "x ", "d", r); }, {}},
        {"font file, '%' in its full path", [](LogRecord& r) { return ComposeRecord(RemoveFileAtPath, "C:\\100%\\[a]\\n.fot", "Font", r); },
         {"C:\\100%\\[a]\\n.fot", "=", "Font"}},
        {"INI, separators and quotes everywhere", [](LogRecord& r) { return ComposeRecord(IniValue, "App|Dir\\a.ini", "s|%x[]", "k|;", " 'v' /%; ", r); },
         {"App|Dir\\a.ini", "s|%x[]", "k|;", "=", " 'v' /%; "}},
        {"INI, a quoted old value", [](LogRecord& r) { return ComposeRecord(IniValue, "a.ini", "s", "k", "\"v\"", r); },
         {"a.ini", "s", "k", "=", "\"v\""}},
        {"INI, an empty key name", [](LogRecord& r) { return ComposeRecord(IniValue, "a.ini", "s", "", "", r); },
         {"a.ini", "s", "", "=", ""}},
        {"INI, '=' in a section", [](LogRecord& r) { return ComposeRecord(IniValue, "a.ini", "a=b", "k", "v", r); }, {}},
        {"INI, an empty section", [](LogRecord& r) { return ComposeRecord(IniValue, "a.ini", "", "k", "v", r); }, {}},
        {"INI, a section starting with '|'", [](LogRecord& r) { return ComposeRecord(IniValue, "a.ini", "|s", "k", "v", r); }, {}},
        {"INI, a line break in the old value", [](LogRecord& r) { return ComposeRecord(IniValue, "a.ini", "s", "k", "a\r\nb", r); }, {}},
        {"text line, a key ending in '|'", [](LogRecord& r) { return ComposeRecord(TextLine, "SYSTEM.INI", "none", "grep -v foo|", "a=b", r); },
         {"SYSTEM.INI", "none", "grep -v foo|", "=", "a=b"}},
        {"registry string, '|' and '%' in the name", [](LogRecord& r) { return ComposeRecord(RegistryString, "HKEY_CURRENT_USER\\S|x", "a|b%", "o/ld", r); },
         {"HKEY_CURRENT_USER\\S|x", "a|b%", "=", "o/ld"}},
        {"registry number, the default value", [](LogRecord& r) { return ComposeRecord(RegistryDword, "HKEY_CURRENT_USER\\S", "", 255UL, r); },
         {"HKEY_CURRENT_USER\\S", "", "=", "FF"}},
        {"registry binary, a name with ':'", [](LogRecord& r) { return ComposeRecord(RegistryBinary, "HKEY_CURRENT_USER\\S", "a:b", "<00>", r); }, {}},
        {"registry string, a name that reads as a type", [](LogRecord& r) { return ComposeRecord(RegistryString, "HKEY_CURRENT_USER\\S", "a:Rx", "", r); }, {}},
        {"registry string, a name with ':'", [](LogRecord& r) { return ComposeRecord(RegistryString, "HKEY_CURRENT_USER\\S", "a:b", "v", r); },
         {"HKEY_CURRENT_USER\\S", "a:b", "=", "v"}},
        {"path variable, '/' in the name, ';' '%' and blanks in the value", [](LogRecord& r) { return ComposeRecord(PathVariable, "a/b", " C:\\x;y%z ", r); },
         {"a/b", "=", " C:\\x;y%z "}},
        {"made folder, '%' and ';' in it", [](LogRecord& r) { return ComposeRecord(MadeDirectory, "C:\\100%;\\", r); },
         {"C:\\100%;\\", "=", kMadeDirectoryText}},
        {"made folder, '=' in it", [](LogRecord& r) { return ComposeRecord(MadeDirectory, "C:\\windows\\win.ini=\\Notes\\", r); }, {}},
        {"made key, '|' in it", [](LogRecord& r) { return ComposeRecord(MadeKey, "HKEY_CURRENT_USER\\a|b", r); },
         {"HKEY_CURRENT_USER\\a|b", std::string(":") + kRemoveEmptyKeysType, "=", kMadeKeyText}},
        {"made key, ':' in it", [](LogRecord& r) { return ComposeRecord(MadeKey, "HKEY_CURRENT_USER\\a:b", r); }, {}},
    };
    return rows;
}

TEST(LogRecords, EveryKindReadsBackToItsFields) {
    for (const Row& row : Rows()) {
        LogRecord record;
        bool composed = row.compose(record);
        if (row.expected.empty()) {
            EXPECT_FALSE(composed) << row.what << ": composed as " << record.key.Text() << "=" << record.value.Text();
            continue;
        }
        ASSERT_TRUE(composed) << row.what;
        EXPECT_EQ(ReadBack(record), row.expected) << row.what << ": " << record.key.Text() << "=" << record.value.Text();
    }
}

TEST(UndoRecords, LinesReadBackAndCutOnesAreRefused) {
    const std::string odd = "C:\\a\tb\\\\c\r\nd\\t";
    struct UndoRow {
        UndoKind kind;
        Fields fields;
    } rows[] = {
        {UndoKind::Start, {"1"}},
        {UndoKind::Log, {"saved"}},
        {UndoKind::NewFile, {odd}},
        {UndoKind::Aside, {odd, odd + ".setup-aside7"}},
        {UndoKind::Value, {"HKEY_CURRENT_USER\\Software\\X", "", "absent", ""}},
        {UndoKind::Value, {"HKEY_CURRENT_USER\\S", odd, "1", "6f6c6400"}},
        {UndoKind::Key, {"HKEY_CURRENT_USER\\S\\New"}},
        {UndoKind::Commit, {}},
    };
    for (const UndoRow& row : rows) {
        std::vector<const char*> pointers;
        for (const std::string& f : row.fields) pointers.push_back(f.c_str());
        TextBuffer line;
        bool composed = false;
        switch (pointers.size()) {
            case 0: composed = ComposeUndoLine(row.kind, {}, line); break;
            case 1: composed = ComposeUndoLine(row.kind, {pointers[0]}, line); break;
            case 2: composed = ComposeUndoLine(row.kind, {pointers[0], pointers[1]}, line); break;
            default: composed = ComposeUndoLine(row.kind, {pointers[0], pointers[1], pointers[2], pointers[3]}, line);
        }
        ASSERT_TRUE(composed);
        std::string text(line.Text(), line.Length());
        ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
        // One line: the fields' own line ends are escaped.
        EXPECT_EQ(text.find_first_of("\r\n"), text.size() - 2) << text;
        std::string whole = text.substr(0, text.size() - 2);
        UndoLine parsed;
        ASSERT_TRUE(ParseUndoLine(&whole[0], parsed)) << text;
        EXPECT_EQ(parsed.kind, row.kind);
        EXPECT_EQ(Fields(parsed.fields, parsed.fields + parsed.count), row.fields) << text;
        // Cut anywhere before its last field, a line is no line: a field
        // too few, or a broken escape. (A cut inside the last field is kept
        // from being read by the missing line end.)
        size_t lastTab = text.rfind('\t');
        for (size_t cut = 1; lastTab != std::string::npos && cut <= lastTab; ++cut) {
            std::string part = text.substr(0, cut);
            UndoLine partial;
            EXPECT_FALSE(ParseUndoLine(&part[0], partial)) << "cut at " << cut << ": " << part;
        }
    }
    TextBuffer hex, bytes;
    const unsigned char data[] = {0, 1, 0x7f, 0x80, 0xff};
    ASSERT_TRUE(HexOfBytes(data, sizeof data, hex));
    EXPECT_STREQ(hex.Text(), "00017f80ff");
    ASSERT_TRUE(BytesOfHex(hex.Text(), bytes));
    EXPECT_EQ(std::string(bytes.Text(), bytes.Length()), std::string(reinterpret_cast<const char*>(data), sizeof data));
    EXPECT_FALSE(BytesOfHex("0g", bytes));
    EXPECT_FALSE(BytesOfHex("123", bytes));
}

}  // namespace
