"""The restart at the end of a run: "Restart Now" asks the platform to restart
Windows, holding the shutdown privilege, after the run has cleaned up after
itself; "Later" leaves the session alone. Wine ends the prefix's session on a
restart, which a watching program sees as WM_QUERYENDSESSION and
WM_ENDSESSION."""
import os

from harness import Media, SessionWatch, check, expect_done, run_setup, scenario

SCRIPT = r"""[SetUp]
silent=%(silent)d
reboot=1

[choise]
Main=Main|The program

[path]
AppDir=C:\App
RemoveInf=C:\App\remove.inf

[disks]
1=Disk one

[Main]
1:%%AppDir%%\program.txt=Program
"""
TRACED = ("kernel32.DeleteFileW", "kernel32.FreeLibrary", "user32.DestroyWindow", "advapi32.OpenProcessToken",
          "advapi32.LookupPrivilegeValueW", "advapi32.AdjustTokenPrivileges", "user32.ExitWindowsEx",
          "kernel32.CreateDirectoryW", "kernel32.RemoveDirectoryW")


def install(prefix, silent, restart_answer):
    media = Media(prefix)
    media.script(SCRIPT % {"silent": silent})
    media.write("program.txt", b"the program\r\n")
    watch = SessionWatch(prefix)
    try:
        component_steps = "" if silent else "expect control=500\nclick 1\n"
        t = run_setup(prefix, media, "expect caption=Welcome\nclick 1\n" + component_steps +
                      "expect caption=Installation Complete\nclick %d\n" % restart_answer, trace=TRACED)
        # Restart Now: done, 0; Later: the restart the script asks for is still due.
        expect_done(t, exit_code=0 if restart_answer == 1 else 3010)
        return t, watch.wait_for_end(15 if restart_answer == 1 else 3)
    finally:
        watch.stop()


def check_restart(prefix, t, session):
    # When the session ended, nothing of the run was left: the query line
    # would name the background window or a temporary copy still there.
    check(session[:2] == ["ready", "query"], "the session did not end cleanly: %s" % session)
    check(session[-1] == "end 1", "the session's end was not confirmed: %s" % session)
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())

    restarts = [c for c in t.calls if c[1] == "user32.ExitWindowsEx"]
    check(len(restarts) == 1, "ExitWindowsEx calls: %s" % restarts)
    thread = restarts[0][0]
    calls = [c for c in t.calls if c[0] == thread]
    at = calls.index(restarts[0])
    flags = int(restarts[0][2].split(",")[0], 16)
    check(flags & 0x2, "ExitWindowsEx was not asked to restart: flags %#x" % flags)
    check(restarts[0][3] == 1, "ExitWindowsEx failed")

    # The shutdown privilege was looked up and enabled just before.
    lookups = [c for c in calls[:at] if c[1] == "advapi32.LookupPrivilegeValueW"]
    check(lookups and '"SeShutdownPrivilege"' in lookups[-1][2] and lookups[-1][3] == 1,
          "no look-up of the shutdown privilege: %s" % lookups)
    adjusted = [c for c in calls[calls.index(lookups[-1]):at] if c[1] == "advapi32.AdjustTokenPrivileges"]
    check(adjusted and adjusted[-1][3] == 1, "the shutdown privilege was not enabled: %s" % adjusted)

    # Every clean-up step came before: the windows destroyed, the library
    # freed, the temporary copies deleted.
    after = [c[1] for c in calls[at + 1:]]
    check(not any(f in after for f in ("kernel32.DeleteFileW", "kernel32.FreeLibrary", "user32.DestroyWindow",
                                       "kernel32.RemoveDirectoryW")),
          "clean-up after the restart was asked for: %s" % after)
    # The copies live in a directory made for the run under the temporary
    # directory; the clean-up deletes the script copy, frees the library, then
    # deletes the library's copy and removes the directory.
    def path(call):
        return call[2].split('"')[1].lower()
    made = [path(c) for c in calls[:at] if c[1] == "kernel32.CreateDirectoryW" and c[3] == 1 and "\\temp\\" in path(c)]
    check(len(made) == 1, "not one directory of the run's own: %s" % made)
    private = made[0]
    deletions = [path(c) for c in calls[:at] if c[1] == "kernel32.DeleteFileW" and c[3] == 1]
    script, library = private + "\\\\setup.inf", private + "\\\\stp.dll"
    check(sorted(deletions) == [script, library], "the copies were not each deleted once: %s" % deletions)
    removed = [path(c) for c in calls[:at] if c[1] == "kernel32.RemoveDirectoryW" and c[3] == 1]
    check(removed == [private], "the run's directory was not removed: %s" % removed)
    tail = [path(c) if c[1] in ("kernel32.DeleteFileW", "kernel32.RemoveDirectoryW") else c[1] for c in calls[:at]]
    def last(name):
        return len(tail) - 1 - tail[::-1].index(name)
    check(last(script) < last("kernel32.FreeLibrary") < last(library) < last(private),
          "clean-up out of order: script copy, library, library copy, directory: %s" % tail[-8:])


@scenario
def restart_now_from_a_silent_run(prefix):
    t, session = install(prefix, silent=1, restart_answer=1)
    check_restart(prefix, t, session)


@scenario
def restart_now_from_the_component_dialog(prefix):
    t, session = install(prefix, silent=0, restart_answer=1)
    check_restart(prefix, t, session)


@scenario
def later_leaves_the_session_alone(prefix):
    t, session = install(prefix, silent=1, restart_answer=2)
    check(session == ["ready"], "the session was touched: %s" % session)
    check(not [c for c in t.calls if c[1] in ("user32.ExitWindowsEx", "advapi32.AdjustTokenPrivileges")],
          "a restart was asked for")
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())


@scenario
def restart_asked_only_when_the_product_needs_one(prefix):
    """[SetUp] rebootprompt=needed: an interactive run asks about a restart
    only when the script's reboot key says the product needs one."""
    for reboot, question, code in ((0, "", 0), (1, "expect caption=Installation Complete\nclick 2\n", 3010)):
        media = Media(prefix)
        media.script((SCRIPT % {"silent": 0}).replace("reboot=1", "reboot=%d\nrebootprompt=needed" % reboot))
        media.write("program.txt", b"the program\r\n")
        t = run_setup(prefix, media, "expect caption=Welcome\nclick 1\nexpect control=500\nclick 1\n" + question)
        expect_done(t, exit_code=code)
        check(("Installation Complete" in t.captions()) == bool(reboot), t.captions())
        os.remove(prefix.unix(r"C:\App\program.txt"))
