// A stand-in Program Manager for the driver's window station without a shell:
// it answers the initiate for PROGMAN on its own thread, acknowledges every
// execute and keeps it, and ends each conversation after a given number of
// commands, as a shell that closes its side does. Commands that still come
// over an ended conversation are neither kept nor acknowledged.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class ProgmanStandIn {
public:
    struct Command {
        int conversation;  // counted from 1
        std::string text;  // UTF-8
    };

    ProgmanStandIn(HDESK desktop, int endAfter);
    ~ProgmanStandIn();
    ProgmanStandIn(const ProgmanStandIn&) = delete;
    ProgmanStandIn& operator=(const ProgmanStandIn&) = delete;

    // Ends the server's thread; the commands may be read after that.
    void Stop();
    const std::vector<Command>& Commands() const { return commands_; }

private:
    static DWORD WINAPI Run(void* self);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HDESK desktop_;
    int endAfter_;
    HWND window_ = nullptr;
    HWND client_ = nullptr;  // the partner of the conversation now open
    int conversation_ = 0;
    int inConversation_ = 0;  // commands of the open conversation
    std::vector<Command> commands_;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
};
