// The UI robot: starts a program, watches for the dialogs and message boxes it
// shows, records each one (caption and every control's id, class and text, the
// items of list and combo boxes) as a JSON line, and answers it from a plan.
//
//   robot.exe PLAN TRANSCRIPT SECONDS COMMAND-LINE
//
// Plan lines (one per line, '#' starts a comment):
//   ignore  MATCH       dialogs that match are recorded but never answered
//                       (the modeless progress dialog, for example)
//   expect  MATCH       wait for the next new dialog; it must match
//   click   ID          press button ID of the current dialog
//   close               send the current dialog WM_CLOSE
//   text    ID TEXT     set the text of control ID
//   item    ID N        click item N of list box ID, as the mouse would
//   choose  ID N        select item N of combo box ID (N = -1: none)
//   snap                record the current dialog again
//   peek    MATCH       record another window of the program that matches
//                       (an ignored one too), as a "snap" event
//   press   ID MATCH    press button ID (or "close": send WM_CLOSE) of another
//                       window that matches, without making it current
//   ready   ID MATCH    wait (up to 10 s) until control ID of another window
//                       that matches is enabled, then record it as "peek" does
//   wait    MS          pause
//   shot    NAME        ask the driver for a screenshot named NAME: writes
//                       NAME into TRANSCRIPT.shot and waits (within the run's
//                       time limit) until the driver has taken it and deleted
//                       that file; a driver may act meanwhile instead
//   shots               (anywhere in the plan) ask for a screenshot of every
//                       dialog and message box, answered or ignored, once it is
//                       recorded and before it is answered, named by its number
//                       in the run: 01, 02 ... (none of one that is gone by then)
// MATCH is one of: any | caption=TEXT | caption~TEXT | control=ID | message~TEXT
// (message~ looks in the message box text; ~ means "contains").
//
// The plan is UTF-8 (a plan that is not valid UTF-8 is read in the machine's
// code page, as plans were once written). Window texts are read wide and
// compared in UTF-8, so a plan matches any text a window shows; the
// transcript writes every character beyond ASCII as a JSON \u escape.
//
// Every transcript line carries "t", the milliseconds since the robot started;
// each click, close and press is recorded as an "act" line.
//
// A new dialog that matches neither the awaited step nor an ignore rule ends
// the run as unexpected. The transcript's last line tells how the run ended.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Match {
    std::string kind;  // any, caption=, caption~, control=, message~
    std::string value;
};

struct Step {
    std::string verb;
    std::string arg1;
    std::string arg2;
    Match match;
};

FILE* transcript = nullptr;
std::wstring shotRequest;  // the transcript's path with ".shot" added
DWORD runDeadline = 0;    // the tick count at which the run's time is up
DWORD childPid = 0;
bool shotEach = false;    // the plan's "shots"

// UTF-8 to UTF-16 and back, for the wide window functions.
std::wstring Widen(const std::string& s, UINT codePage = CP_UTF8) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), &wide[0], n);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &s[0], n, nullptr, nullptr);
    return s;
}

bool IsUtf8(const std::string& s) {
    return s.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                                            nullptr, 0) > 0;
}

// A JSON string of a UTF-8 text, in ASCII: every other character as \uXXXX
// (UTF-16 units), so the transcript reads the same in any encoding.
std::string Json(const std::string& s) {
    std::string out = "\"";
    for (wchar_t c : Widen(s)) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c > 0x7E) {
                    char buf[8];
                    snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

DWORD startTick = GetTickCount();

// line is a JSON object; the time is added as its last member.
void Emit(const std::string& line) {
    std::string timed = line.substr(0, line.size() - 1) + ",\"t\":" + std::to_string(GetTickCount() - startTick) + "}";
    fputs(timed.c_str(), transcript);
    fputc('\n', transcript);
    fflush(transcript);
}

// The window's text in UTF-8, read wide: an ANSI read would see only what
// the code page can spell.
std::string WindowText(HWND w) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return "";
    std::wstring s(len + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&s[0]), SMTO_ABORTIFHUNG, 2000, &got);
    s.resize(wcslen(s.c_str()));
    return Utf8(s);
}

std::string ClassOf(HWND w) {
    wchar_t name[64] = L"";
    GetClassNameW(w, name, 64);
    return Utf8(name);
}

HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string ListItems(HWND w, bool combo) {
    UINT countMsg = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT lenMsg = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT textMsg = combo ? CB_GETLBTEXT : LB_GETTEXT;
    LRESULT count = SendMessageW(w, countMsg, 0, 0);
    LRESULT current = combo ? SendMessageW(w, CB_GETCURSEL, 0, 0) : -1;
    std::string out = "[";
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT len = SendMessageW(w, lenMsg, i, 0);
        std::wstring wide(len > 0 ? len + 1 : 1, L'\0');
        SendMessageW(w, textMsg, i, reinterpret_cast<LPARAM>(&wide[0]));
        wide.resize(wcslen(wide.c_str()));
        std::string s = Utf8(wide);
        bool selected = combo ? (i == current) : SendMessageW(w, LB_GETSEL, i, 0) > 0;
        if (i) out += ",";
        out += "{\"text\":" + Json(s) + ",\"selected\":" + (selected ? "true" : "false") + "}";
    }
    return out + "]";
}

struct Snapshot {
    std::string json;
};

BOOL CALLBACK CollectChild(HWND w, LPARAM param) {
    auto* out = reinterpret_cast<std::string*>(param);
    std::string cls = ClassOf(w);
    int id = GetDlgCtrlID(w);
    std::string entry = "{\"id\":" + std::to_string(id) + ",\"class\":" + Json(cls) +
                        ",\"text\":" + Json(WindowText(w)) +
                        ",\"enabled\":" + (IsWindowEnabled(w) ? "true" : "false") +
                        ",\"visible\":" + (IsWindowVisible(w) ? "true" : "false");
    RECT r;  // on the screen, as the dialog's own
    GetWindowRect(w, &r);
    entry += ",\"rect\":[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
             std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
    if (!_stricmp(cls.c_str(), "ListBox")) entry += ",\"items\":" + ListItems(w, false);
    if (!_stricmp(cls.c_str(), "ComboBox")) entry += ",\"items\":" + ListItems(w, true);
    entry += "}";
    if (out->back() != '[') *out += ",";
    *out += entry;
    return TRUE;
}

void Record(HWND dialog, const char* event) {
    std::string controls = "[";
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&controls));
    controls += "]";
    RECT r;
    GetWindowRect(dialog, &r);
    Emit(std::string("{\"event\":") + Json(event) + ",\"hwnd\":" +
         std::to_string(reinterpret_cast<uintptr_t>(dialog)) + ",\"class\":" + Json(ClassOf(dialog)) +
         ",\"caption\":" + Json(WindowText(dialog)) + ",\"rect\":[" + std::to_string(r.left) + "," +
         std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom) +
         "],\"controls\":" + controls + "}");
}

bool Matches(HWND dialog, const Match& m) {
    if (m.kind == "any") return true;
    if (m.kind == "caption=") return WindowText(dialog) == m.value;
    if (m.kind == "caption~") return WindowText(dialog).find(m.value) != std::string::npos;
    if (m.kind == "control=") return Control(dialog, atoi(m.value.c_str())) != nullptr;
    if (m.kind == "message~") {
        HWND text = Control(dialog, 0xFFFF);
        return text && WindowText(text).find(m.value) != std::string::npos;
    }
    return false;
}

Match ParseMatch(const std::string& s) {
    if (s == "any") return {"any", ""};
    for (const char* kind : {"caption=", "caption~", "control=", "message~"})
        if (s.compare(0, strlen(kind), kind) == 0) return {kind, s.substr(strlen(kind))};
    fprintf(stderr, "robot: bad match '%s'\n", s.c_str());
    exit(2);
}

std::vector<Step> ReadPlan(const wchar_t* path, std::vector<Match>& ignores) {
    std::vector<Step> steps;
    FILE* f = _wfopen(path, L"rb");
    if (!f) {
        fprintf(stderr, "robot: cannot read plan %s\n", Utf8(path).c_str());
        exit(2);
    }
    char line[4096];
    while (fgets(line, sizeof line, f)) {
        std::string s(line);
        if (!IsUtf8(s)) s = Utf8(Widen(s, CP_ACP));
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        size_t start = s.find_first_not_of(" \t");
        if (start == std::string::npos || s[start] == '#') continue;
        s = s.substr(start);
        size_t sp = s.find(' ');
        Step step;
        step.verb = s.substr(0, sp);
        std::string rest = sp == std::string::npos ? "" : s.substr(sp + 1);
        if (step.verb == "ignore") {
            ignores.push_back(ParseMatch(rest));
            continue;
        }
        if (step.verb == "shots") {
            shotEach = true;
            continue;
        }
        if (step.verb == "expect" || step.verb == "peek") {
            step.match = ParseMatch(rest);
        } else if (step.verb == "press" || step.verb == "ready") {
            size_t sp2 = rest.find(' ');
            step.arg1 = rest.substr(0, sp2);
            step.match = ParseMatch(sp2 == std::string::npos ? "" : rest.substr(sp2 + 1));
        } else {
            size_t sp2 = rest.find(' ');
            step.arg1 = rest.substr(0, sp2);
            step.arg2 = sp2 == std::string::npos ? "" : rest.substr(sp2 + 1);
        }
        steps.push_back(step);
    }
    fclose(f);
    return steps;
}

struct Finder {
    std::vector<HWND>* seen;
    std::vector<HWND> found;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM param) {
    auto* finder = reinterpret_cast<Finder*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != childPid || !IsWindowVisible(w)) return TRUE;
    for (HWND s : *finder->seen)
        if (s == w) return TRUE;
    finder->found.push_back(w);
    return TRUE;
}

struct Seeker {
    const Match* match;
    HWND found;
};

BOOL CALLBACK SeekTopLevel(HWND w, LPARAM param) {
    auto* seeker = reinterpret_cast<Seeker*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != childPid || !IsWindowVisible(w) || ClassOf(w) != "#32770") return TRUE;
    if (!Matches(w, *seeker->match)) return TRUE;
    seeker->found = w;
    return FALSE;
}

// A visible dialog of the program that matches, whether seen before or not.
HWND Seek(const Match& match) {
    Seeker seeker{&match, nullptr};
    EnumWindows(SeekTopLevel, reinterpret_cast<LPARAM>(&seeker));
    return seeker.found;
}

// Sends a command synchronously but never waits long: the command may start
// work (an install pass) whose dialogs this robot must answer meanwhile.
void SendBriefly(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result;
    SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL, 700, &result);
}

// Asks the driver for a screenshot and waits until it has been taken.
void RequestShot(const std::string& name) {
    // Written aside and renamed, so the driver never reads a request that
    // exists but does not hold its name yet.
    std::wstring pending = shotRequest + L".new";
    if (FILE* f = _wfopen(pending.c_str(), L"wb")) {
        fputs(name.c_str(), f);
        fclose(f);
        MoveFileExW(pending.c_str(), shotRequest.c_str(), MOVEFILE_REPLACE_EXISTING);
        while (static_cast<int>(runDeadline - GetTickCount()) > 0 &&
               GetFileAttributesW(shotRequest.c_str()) != INVALID_FILE_ATTRIBUTES)
            Sleep(50);
    }
}

// With "shots", every dialog recorded is shot before anything answers it,
// named by its number among the dialogs recorded. One that is gone once the
// screen has settled (a short pass's progress dialog) is not: its picture
// would show what came after it.
void ShootRecorded(HWND dialog, int* count) {
    if (!shotEach) return;
    char name[16];
    snprintf(name, sizeof name, "%02d", ++*count);
    Sleep(300);
    if (IsWindow(dialog) && IsWindowVisible(dialog)) RequestShot(name);
}

void Act(HWND dialog, const Step& step) {
    int id = atoi(step.arg1.c_str());
    if (step.verb == "click" || step.verb == "close" || step.verb == "press")
        Emit("{\"event\":\"act\",\"verb\":" + Json(step.verb) + ",\"arg\":" + Json(step.arg1) + "}");
    if (step.verb == "click") {
        SendBriefly(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(dialog, id)));
    } else if (step.verb == "close") {
        SendBriefly(dialog, WM_CLOSE, 0, 0);
    } else if (step.verb == "text") {
        std::wstring text = Widen(step.arg2);
        SendMessageW(Control(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (step.verb == "item") {
        HWND list = Control(dialog, id);
        int n = atoi(step.arg2.c_str());
        RECT r = {};
        SendMessageW(list, LB_GETITEMRECT, n, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendBriefly(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendBriefly(list, WM_LBUTTONUP, 0, at);
    } else if (step.verb == "choose") {
        HWND combo = Control(dialog, id);
        SendMessageW(combo, CB_SETCURSEL, atoi(step.arg2.c_str()), 0);
        SendBriefly(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    } else if (step.verb == "snap") {
        Sleep(300);
        Record(dialog, "snap");
    } else if (step.verb == "shot") {
        Sleep(300);  // let the screen settle after the last step
        RequestShot(step.arg1);
    } else if (step.verb == "peek" || step.verb == "press") {
        HWND other = Seek(step.match);
        if (!other) {
            Emit("{\"event\":\"missing\",\"verb\":" + Json(step.verb) + "}");
        } else if (step.verb == "peek") {
            Record(other, "snap");
        } else if (step.arg1 == "close") {
            SendBriefly(other, WM_CLOSE, 0, 0);
        } else {
            int button = atoi(step.arg1.c_str());
            SendBriefly(other, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                        reinterpret_cast<LPARAM>(Control(other, button)));
        }
    } else if (step.verb == "ready") {
        HWND other = Seek(step.match);
        HWND control = other ? Control(other, atoi(step.arg1.c_str())) : nullptr;
        for (int waited = 0; control && !IsWindowEnabled(control) && waited < 10000; waited += 50) Sleep(50);
        if (other) Record(other, "snap");
        else Emit("{\"event\":\"missing\",\"verb\":\"ready\"}");
    } else if (step.verb == "wait") {
        Sleep(atoi(step.arg1.c_str()));
    } else {
        fprintf(stderr, "robot: unknown step '%s'\n", step.verb.c_str());
        exit(2);
    }
}

// The program's arguments, wide, split by the C runtime's rules (argv would
// hold them in the code page, and a path beyond it would be lost).
std::vector<std::wstring> WideArguments() {
    std::vector<std::wstring> arguments;
    const wchar_t* at = GetCommandLineW();
    while (*at) {
        while (*at == L' ' || *at == L'\t') ++at;
        if (!*at) break;
        std::wstring argument;
        bool quoted = false;
        for (; *at && (quoted || (*at != L' ' && *at != L'\t')); ++at) {
            size_t backslashes = 0;
            while (at[backslashes] == L'\\') ++backslashes;
            if (at[backslashes] != L'"') {
                argument.append(backslashes ? backslashes : 1, *at);
                at += backslashes ? backslashes - 1 : 0;
                continue;
            }
            argument.append(backslashes / 2, L'\\');
            at += backslashes;
            if (backslashes % 2) argument += L'"';
            else if (quoted && at[1] == L'"') argument += L'"', ++at;
            else quoted = !quoted;
        }
        arguments.push_back(argument);
    }
    return arguments;
}

}  // namespace

int main(int argc, char**) {
    std::vector<std::wstring> argv = WideArguments();
    if (argc < 5 || argv.size() < 5) {
        fprintf(stderr, "usage: robot PLAN TRANSCRIPT SECONDS COMMAND-LINE\n");
        return 2;
    }
    std::vector<Match> ignores;
    std::vector<Step> steps = ReadPlan(argv[1].c_str(), ignores);
    transcript = _wfopen(argv[2].c_str(), L"wb");
    shotRequest = argv[2] + L".shot";
    if (!transcript) return 2;
    DWORD deadline = GetTickCount() + static_cast<DWORD>(_wtoi(argv[3].c_str())) * 1000;
    runDeadline = deadline;

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Wine on a heavily loaded machine now and then fails to start a process
    // that starts fine a moment later; the program never ran then, so trying
    // again hides nothing of it. Each failed try is in the transcript.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        std::wstring command = argv[4];
        started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        if (!started) {
            Emit("{\"event\":\"start-failed\",\"error\":" + std::to_string(GetLastError()) + "}");
            Sleep(1000);
        }
    }
    if (!started) {
        Emit("{\"event\":\"end\",\"how\":\"cannot-start\"}");
        return 2;
    }
    childPid = pi.dwProcessId;

    std::vector<HWND> seen;
    size_t next = 0;
    HWND current = nullptr;
    int shots = 0;
    const char* how = nullptr;
    while (!how) {
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        if (static_cast<int>(GetTickCount() - deadline) > 0) {
            how = "timeout";
            break;
        }
        // Forget windows that are gone, so a reused handle counts as new.
        for (size_t i = 0; i < seen.size();)
            if (!IsWindow(seen[i])) seen.erase(seen.begin() + i);
            else ++i;
        // Run actions up to the next expect.
        while (next < steps.size() && steps[next].verb != "expect" && current) Act(current, steps[next++]);
        Finder finder{&seen, {}};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&finder));
        // Plain windows first: a dialog that is answered at once must not
        // keep a window that appeared with it (the background behind the
        // welcome dialog) out of the transcript.
        std::stable_partition(finder.found.begin(), finder.found.end(),
                              [](HWND w) { return ClassOf(w) != "#32770"; });
        for (HWND w : finder.found) {
            seen.push_back(w);
            Sleep(80);  // let the new window finish its initialisation
            // A window that is gone again (a short pass's progress dialog) was
            // nothing to answer; looking at it half-destroyed would mislead.
            if (!IsWindow(w) || !IsWindowVisible(w)) continue;
            std::string cls = ClassOf(w);
            if (cls != "#32770") {
                Record(w, "window");
                continue;
            }
            bool ignored = false;
            for (const Match& m : ignores) ignored = ignored || Matches(w, m);
            if (ignored) {
                Record(w, "ignored");
                ShootRecorded(w, &shots);
                continue;
            }
            // A short-lived window (the progress dialog of a quick pass) may be
            // gone before its controls were looked at: it needed no answer.
            if (!IsWindow(w)) continue;
            Record(w, "dialog");
            ShootRecorded(w, &shots);
            if (next < steps.size() && steps[next].verb == "expect" && Matches(w, steps[next].match)) {
                current = w;
                ++next;
                break;  // act before looking at further windows
            }
            if (!IsWindow(w)) continue;
            how = "unexpected";
            break;
        }
        if (!how) Sleep(40);
    }
    if (how) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    } else {
        how = next < steps.size() ? "exited-early" : "done";
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    Emit(std::string("{\"event\":\"end\",\"how\":\"") + how + "\",\"exit\":" +
         std::to_string(static_cast<int>(code)) + ",\"stepsLeft\":" + std::to_string(steps.size() - next) + "}");
    fclose(transcript);
    return std::string(how) == "done" ? 0 : 1;
}
