#include "actions/actions.h"
#include "actions/install_pass.h"

// The order is part of the script language: all fonts of all components come
// before any INI entry, and deletions run last. A row without a visitor is
// skipped by the pass but still counts its progress steps.
const ActionKind ActionTable[6] = {
    {"fot.", '\\', '/', nullptr},   // FontEntry
    {"ini.", '|', '/', nullptr},    // IniEntry
    {"str.", '|', '/', nullptr},    // TextLineEntry
    {"reg.", '|', '/', nullptr},    // RegistryEntry
    {"group.", '|', '/', nullptr},  // GroupEntry
    {"del.", 0, '/', nullptr},      // DeleteEntry
};
