#include "actions/actions.h"
#include "actions/install_pass.h"

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
