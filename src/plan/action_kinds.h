// The kinds of entry an install pass carries out, the sections each stands
// in, how a section's entries are cut into fields, and the widths of the
// texts an entry may name. These are rules of the script language: the
// installer, the checker and the packer read them from here alone.
#pragma once
#include <cstddef>

#include "base/script_tables.h"

enum class ActionKind { Copy, Font, Ini, TextLine, Registry, Group, Delete };

struct ActionSection {
    ActionKind kind;
    const char* prefix;    // before the component's section name: "" for its copy section, "ini." ...
    char keySeparator;     // 0: the key is not cut
    char valueSeparator;
};

// A component's copy section: its own name.
extern const ActionSection kCopySection;
// The six action kinds in the order they run: all fonts of all components
// come before any INI entry, and deletions run last.
constexpr int kActionKindCount = 6;
extern const ActionSection kActionSections[kActionKindCount];

// Its name in the lines of a what-if run and in messages: "copy", "font",
// "ini", "text", "registry", "group", "delete".
const char* ActionName(ActionKind kind);

// Room for the longest section name of a component: a 7-character prefix,
// "!" and a 63-character component section.
constexpr size_t kSectionNameSize = 72;
// The section of a component for a kind, with "!" before the component's
// section when it is not selected.
void ComponentSectionName(char (&out)[kSectionNameSize], const ActionSection& kind, const ComponentEntry& component);

// Widths in characters, and the buffers' room for them in UTF-8 (TextRoom).
// Paths, INI sections and keys, and registry key paths are as long as the
// platform takes a path; registry value names, key classes, group and item
// names as long as a file name; a program item's arguments hold a command
// line and a name. A type name is plain ASCII, its size terminator included.
constexpr size_t kNameWidth = 255;
constexpr size_t kNameSize = TextRoom(kNameWidth);
constexpr size_t kTypeNameSize = 64;
constexpr size_t kArgumentsWidth = 1023;
constexpr size_t kArgumentsSize = TextRoom(kArgumentsWidth);
constexpr size_t kDiskKeySize = 64;
// A deletion, INI or text file path holds at most a directory, a middle
// piece and the file name; more backslashes stay in the last part.
constexpr int kFilePathPartRoom = 4;
