#include "base/run_switches.h"

RunSwitches gSwitches = {};
