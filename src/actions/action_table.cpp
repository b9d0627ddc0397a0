#include "actions/action_table.h"

#include "actions/delete_entry.h"
#include "actions/font_entry.h"
#include "actions/group_entry.h"
#include "actions/ini_entry.h"
#include "actions/registry_entry.h"
#include "actions/text_line_entry.h"

// The order is part of the script language: all fonts of all components come
// before any INI entry, and deletions run last.
const ActionKind ActionTable[6] = {
    {"fot.", '\\', '/', FontEntry},
    {"ini.", '|', '/', IniEntry},
    {"str.", '|', '/', TextLineEntry},
    {"reg.", '|', '/', RegistryEntry},
    {"group.", '|', '/', GroupEntry},
    {"del.", 0, '/', DeleteEntry},
};
