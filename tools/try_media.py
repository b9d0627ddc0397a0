#!/usr/bin/env python3
"""setupkit try: a publisher's media tried the whole way under Wine. Installs
them in a fresh prefix (quietly, answered by the UI robot from a plan, or by
the user on the display), prints every change, removes the product as Apps &
Features would (its entry's QuietUninstallString, or else the removal log,
quietly), and prints what is left behind. Exit status 0 when the install
completed and its removal left nothing, 1 when anything is left or a run
failed, 2 on bad usage.

`setupkit try` on Linux runs this program; so does `scripts/demo MEDIA`."""
import argparse
import contextlib
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import prefix_changes as changes  # noqa: E402
from prefix_changes import harness  # noqa: E402

MEANING = {0: "completed", 1602: "cancelled", 1603: "failed", 1622: "the log could not be created",
           3010: "completed, a restart is due"}
UNINSTALL_ENTRY = re.compile(r"^(HKLM|HKCU)\\Software\\(Wow6432Node\\)?Microsoft\\Windows\\CurrentVersion\\"
                             r"Uninstall\\[^\\]+$", re.IGNORECASE)
SESSION_MANAGER = ("system.reg", r"[System\\CurrentControlSet\\Control\\Session Manager]")
# The window of the prefix's virtual desktop on the X display: dialogs are
# placed in its coordinates.
WINE_DESKTOP = "Default - Wine desktop"
# A person answering takes as long as they like; a run the robot answers or
# a quiet one is stopped after this long.
ROBOT_SECONDS = 600
PERSON_SECONDS = 24 * 3600
# How long programs may go on in the prefix after a run has ended (a
# removal's helper deletes the removal's files then).
SETTLE_SECONDS = 150


def fail(path, what):
    print("setupkit: %s: %s" % (path, what), file=sys.stderr)
    return 1


def arguments(argv):
    parser = argparse.ArgumentParser(prog="setupkit try", description=__doc__.split("\n\n")[0])
    parser.add_argument("media", metavar="MEDIA", help="a media directory (with setup.exe, or DISK1 ...) or a program")
    parser.add_argument("--quiet", action="store_true", help="install with /quiet /norestart: no window")
    parser.add_argument("--plan", metavar="PLAN", help="the UI robot answers the installer from PLAN")
    parser.add_argument("--answers", metavar="FILE", help="passed to the installer as /answers=FILE")
    parser.add_argument("--shots", metavar="DIR", help="save a PNG picture of each dialog into DIR")
    args = parser.parse_args(argv)
    if args.quiet and (args.plan or args.shots):
        parser.error("--quiet shows no dialog: no --plan or --shots with it")
    if not args.quiet and not args.plan and not os.environ.get("DISPLAY"):
        parser.error("no display to answer the installer on: give --plan PLAN or --quiet")
    return args


def quoted(path):
    return '"%s"' % path if " " in path else path


def windows(path):
    """A Linux path as the prefix sees it (drive Z: is the root), quoted when
    it holds a blank."""
    return quoted("Z:" + os.path.abspath(path).replace("/", "\\"))


def find_named(directory, name):
    """The entry of a directory called name in any letter case, or None."""
    return next((n for n in sorted(os.listdir(directory)) if n.lower() == name.lower()), None)


def installer_of(source):
    """The installer's path relative to the media (setup.exe, DISK1/setup.exe,
    or the program itself), or None."""
    if os.path.isfile(source):
        return os.path.basename(source) if source.lower().endswith(".exe") else None
    for disk in ("", find_named(source, "DISK1")):
        if disk is None:
            continue
        directory = os.path.join(source, disk)
        name = os.path.isdir(directory) and find_named(directory, "setup.exe")
        if name:
            return os.path.join(disk, name) if disk else name
    return None


@contextlib.contextmanager
def display(own):
    """The display the installer runs on: the user's, or one of its own for
    the robot and quiet runs, where nothing shows on anyone's screen."""
    if not own:
        yield
        return
    with harness.private_display(24) as number:
        os.environ["DISPLAY"] = number  # for the prefix, made after this, and the pictures
        yield


def shooter(transcript, directory, taken):
    """Takes the robot's screenshot requests: the dialog just recorded, cut
    out of the virtual desktop, saved as NN-CAPTION.png; each path saved is
    added to taken."""
    os.makedirs(directory, exist_ok=True)

    def shoot(number):
        event = harness.Transcript(transcript).dialogs(("dialog", "ignored"))[-1]
        left, top, right, bottom = [max(0, v) for v in event["rect"]]
        name = re.sub(r"[^A-Za-z0-9 ._-]+", "_", event["caption"]).strip() or "untitled"
        path = os.path.join(directory, "%s-%s.png" % (number, name))
        subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", WINE_DESKTOP, "-crop",
                        "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage", "png:" + path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        if os.path.exists(path):
            taken.append(path)
    return shoot


def report_run(t, what):
    """Prints the dialogs of a run and how it ended; whether it completed."""
    for e in t.events:
        if e["event"] in ("dialog", "ignored", "snap"):
            shown = [c["text"] for c in e["controls"] if c["text"] and c["class"] in ("Static", "Edit")]
            text = " | ".join(shown).replace("\r\n", " ").replace("\n", " ")
            print("  dialog %-26s %s" % ('"%s"' % e["caption"], text[:110]))
    end, code = t.end, t.end.get("exit")
    how = end.get("how")
    if how == "done":
        print("  %s ended: exit code %s (%s)" % (what, code, MEANING.get(code, "?")))
        return code in (0, 3010)
    if how == "unexpected":
        print("  the plan did not expect the dialog \"%s\": the %s was stopped" % (t.dialogs()[-1]["caption"], what))
    elif how == "exited-early":
        print("  %s ended (exit code %s, %s) with %s steps of the plan left" %
              (what, code, MEANING.get(code, "?"), end.get("stepsLeft")))
    elif how == "timeout":
        print("  the %s did not end in time: stopped" % what)
    else:
        print("  the %s could not be started" % what)
    return False


def settle(prefix, what):
    """Waits until every program of the prefix has ended (its server then
    saves the registry), restarts Windows in the prefix when files wait for
    that, and takes the snapshot."""
    def wait():
        try:
            subprocess.run(["wineserver", "-w"], env=prefix.env, timeout=SETTLE_SECONDS)
        except subprocess.TimeoutExpired:
            print("  programs still ran in the prefix %d s later: stopped" % SETTLE_SECONDS)
    wait()
    pending = harness.registry_listing(prefix).get(SESSION_MANAGER, [])
    if any(line.startswith('"PendingFileRenameOperations') for line in pending):
        prefix.wine("wineboot", "-r")
        wait()
        print("  restarted Windows in the prefix: %s left files to replace or delete then" % what)
    return harness.snapshot(prefix)


def uninstall_entries(before, installed):
    """(entry name, its QuietUninstallString or None) of each Apps & Features
    entry the install made or changed."""
    found = []
    for key in changes.registry_changes(before[1], installed[1]):
        name = changes.key_name(key)
        if key in installed[1] and UNINSTALL_ENTRY.match(name):
            quiet = changes.values(installed[1][key]).get("QuietUninstallString")
            found.append((name.rsplit("\\", 1)[1], changes.string_value(quiet) if quiet else None))
    return found


def removal_log(install_log, installed):
    """The removal log the install wrote, as (its Windows path, its path under
    drive_c): RemoveInf as the installer's log reports it, or else the
    Windows directory's RemoveInf; None when there is no such file."""
    path = None
    if os.path.exists(install_log):
        with open(install_log, encoding="latin-1") as f:
            for line in f:
                at = line.lower().find("path removeinf = ")
                if at >= 0:
                    path = line[at + len("path removeinf = "):].strip()
    path = path or r"C:\windows\RemoveInf"
    if path[:3].lower() != "c:\\":
        return None
    # The prefix's file system keeps letter case; the platform ignores it.
    wanted = path[3:].replace("\\", "/").lower()
    rel = next((r for r, digest in installed[0].items() if r.lower() == wanted and digest != "<dir>"), None)
    return (path, rel) if rel else None


def removal_command(prefix, before, installed, install_log, program, removal_log_path):
    """The command line that removes the product, and where it comes from."""
    entries = uninstall_entries(before, installed)
    for name, quiet in entries:
        if quiet:
            return quiet, "the Apps & Features entry \"%s\" runs" % name
    found = removal_log(install_log, installed)
    if not found:
        why = "the entry has no QuietUninstallString" if entries else "no Apps & Features entry"
        print("\nno removal: %s, and no removal log was written" % why)
        return None, None
    log, rel = found
    # The removal cleans up after itself only when run by the setup.exe beside its log.
    beside = find_named(os.path.join(prefix.drive_c, os.path.dirname(rel)), "setup.exe")
    remover = changes.windows_path(os.path.join(os.path.dirname(rel), beside)) if beside else program
    why = "%s: the removal log %s, quietly, by" % (
        "its entry has no QuietUninstallString" if entries else "no Apps & Features entry", log)
    return "%s /quiet /log=%s %s" % (quoted(remover), windows(removal_log_path), log), why


def try_media(args):
    source = os.path.abspath(args.media)
    if not os.path.exists(source):
        return fail(args.media, "not found")
    installer = installer_of(source)
    if not installer:
        return fail(args.media, "no setup.exe in it nor in DISK1, and no program")
    for path in (args.plan, args.answers):
        if path and not os.path.isfile(path):
            return fail(path, "not found")
    plan = ""
    if args.plan:
        with open(args.plan, encoding="latin-1") as f:
            plan = f.read()
    robot = bool(args.quiet or args.plan)
    with display(robot):
        harness.PREFIXES = os.environ.get("SETUP_PREFIX") or os.path.join(harness.BUILD, "demo-prefix")
        made = subprocess.run([os.path.join(harness.SOURCE, "tests", "e2e", "make_prefix.sh"), harness.PREFIXES])
        if made.returncode != 0:
            return fail(harness.PREFIXES, "no Wine prefix could be made there")
        prefix = harness.Prefix("try")
        try:
            return loop(prefix, args, source, installer, plan)
        except harness.Failure as failure:  # the robot itself did not end
            return fail(prefix.path, str(failure))
        finally:
            prefix.stop()


def loop(prefix, args, source, installer, plan):
    media = os.path.join(prefix.drive_c, "media")
    if os.path.isfile(source):
        os.makedirs(media)
        shutil.copy(source, media)
    else:
        shutil.copytree(source, media)
    program = "C:\\media\\" + installer.replace("/", "\\")
    install_log = os.path.join(prefix.path, "install.log")
    before = harness.snapshot(prefix)
    before_texts = changes.texts(prefix, before[0])
    print("media: %s (C:\\media in the prefix)" % source)

    switches = (["/quiet", "/norestart"] if args.quiet else []) + ["/log=" + windows(install_log)]
    if args.answers:
        switches.append("/answers=" + windows(args.answers))
    command = quoted(program) + " " + " ".join(switches)
    if args.quiet:
        print("\ninstall, quietly: %s" % command)
    else:
        print("\ninstall, answered by %s: %s" % ("the robot from " + args.plan if args.plan else "you", command))
        # Nobody but the person answers: every dialog is recorded, none answered.
        plan = plan if args.plan else "ignore any"
    transcript, pictures = os.path.join(prefix.path, "install.jsonl"), []
    t = harness.run_command(prefix, command, plan + ("\nshots" if args.shots else ""), name="install",
                            timeout=ROBOT_SECONDS if args.quiet or args.plan else PERSON_SECONDS,
                            cwd=os.path.dirname(prefix.unix(program)),
                            on_shot=shooter(transcript, args.shots, pictures) if args.shots else None)
    installed_whole = report_run(t, "installer")
    if args.shots:
        shown = len(t.dialogs(("dialog", "ignored")))
        print("  pictures of %d of the %d dialogs in %s" % (len(pictures), shown, args.shots))
    installed = settle(prefix, "the install")
    print("\nwhat the install changed:")
    print("\n".join(changes.describe(prefix, before, installed, before_texts)) or "  nothing")

    removal_log_path = os.path.join(prefix.path, "removal.log")
    command, why = removal_command(prefix, before, installed, install_log, program, removal_log_path)
    removed = False
    if command:
        print("\nremoval: %s %s" % (why, command))
        removed = report_run(harness.run_command(prefix, command, "", name="removal", timeout=ROBOT_SECONDS,
                                                 cwd=prefix.system), "removal")
        after = settle(prefix, "the removal")
    else:
        after = installed
    left = changes.describe(prefix, before, after, before_texts, checksums=True)
    print("\nwhat is left behind (differs from the prefix before the install):")
    print("\n".join(left) or "  nothing")
    print("\nthe installer's log: %s" % install_log)
    if os.path.exists(removal_log_path):
        print("the removal's log: %s" % removal_log_path)
    print("the prefix stays for a look: WINEPREFIX=%s" % prefix.path)
    return 0 if installed_whole and removed and not left else 1


def main(argv):
    return try_media(arguments(argv))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
