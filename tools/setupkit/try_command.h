// `setupkit try MEDIA [--quiet] [--plan PLAN] [--answers FILE] [--shots DIR]`:
// the media installed, listed, removed and checked for leftovers under Wine.
// The loop drives Wine, Xvfb and the UI robot, which the Python harness of
// the tests already does; the Linux setupkit runs tools/try_media.py (its path
// is compiled in) in its own place, and setupkit.exe says that it cannot.
#pragma once

// args: the command's arguments, ending in a null pointer. Exit status: that
// of the loop (0 nothing left, 1 something left or failed, 2 bad usage), or 1
// when it cannot be started.
int TryCommand(char** args);
