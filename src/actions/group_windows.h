// Program Manager opens a folder window on a group whenever it creates or
// shows one, in the shell's process, a moment after it has answered, and
// leaves it open: over the run's last dialog, and after the run. The run
// closes the windows its own commands opened: the shell's folder windows
// that show up, for a while after such a command, under the name of a group
// the run showed. Windows that were open before, the user's, are left alone.
#pragma once

// Called before a command that makes Program Manager show the group. The
// watch lives on the thread's timer, so it acts whenever the thread handles
// its messages (a dialog, the pass's message draining).
void WatchForGroupWindows(const char* group);
