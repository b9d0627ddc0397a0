// TEMPORARY, branch ui only: stands in for the install pass until the real one
// is merged, so that the component dialog links. It does nothing and reports
// success. Delete this file when the install pass lands.
#include "actions/install_pass.h"

int RunInstallPass(HWND) { return 0; }
