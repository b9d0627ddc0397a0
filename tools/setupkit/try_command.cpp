#include "try_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

int TryCommand(char** args) {
#if defined(_WIN32) || !defined(SETUPKIT_TRY_SCRIPT)
    (void)args;
    std::fputs("setupkit: try needs Linux and Wine: run it with the Linux setupkit (build/host/setupkit)\n", stderr);
    return 1;
#else
    std::vector<char*> argv = {const_cast<char*>("python3"), const_cast<char*>(SETUPKIT_TRY_SCRIPT)};
    for (char** a = args; *a; ++a) argv.push_back(*a);
    argv.push_back(nullptr);
    // Replaces this process, so that the loop's exit status is setupkit's.
    execvp(argv[0], argv.data());
    std::fprintf(stderr, "setupkit: python3: %s\n", std::strerror(errno));
    return 1;
#endif
}
