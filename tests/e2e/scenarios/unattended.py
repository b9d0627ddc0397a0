"""The sample product unattended, as an administrator deploys it: installed
with /quiet /norestart /log=FILE on a Windows 10 machine (no window at all,
not even the shell's window on the program group, every default taken, the platform group sees the real version, exit code
3010 since the sample asks for a restart), listed in Apps & Features, a
removal started interactively from its entry and cancelled (1602, nothing
gone), then removed with the entry's quiet command (exit code 0), started
from a download folder that holds a script of its own: the product's log is
the one carried out. The removal cleans up after itself: once Windows has
restarted, no file, folder or registry key of the product is left, and
nothing that was there before has gone. A log removed by another setup.exe
leaves that setup.exe and everything around it alone."""
import os
import time

from harness import (Media, Prefix, check, control_text, differences, expect_done, lnk_target, log_lines, read_bytes, read_ini,
                     registry_differences, run_setup, sample_media, scenario, snapshot)

APP = r"C:\Program Files\Sample Notes"
ENTRY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample Notes"
QUIET_REMOVAL = '"%s\\Uninstall\\setup.exe" /quiet' % APP
# A script in a folder any user can write to, which would damage the machine
# with the removal's rights if it were taken for the product's log.
PLANTED = r"""[SetUp]
reboot=0

[choise]
Planted=Planted

[disks]
1=Planted disk

[reg.Planted]
HKEY_LOCAL_MACHINE\Software\Planted|Ran=yes

[del.Planted]
win.ini=the machine's settings
"""


def what_if(prefix, media, name, **run):
    """A what-if run's lines, split at tabs; it must change nothing but its file."""
    before = snapshot(prefix)[0]
    t = run_setup(prefix, media, "", args=r"/PLAN=C:\%s.txt" % name, name=name, **run)
    expect_done(t)
    check(t.events == [t.end], "a what-if run showed: %s" % t.events[:-1])
    changed = differences(before, snapshot(prefix)[0])
    check(changed == [name + ".txt"], "a what-if run changed %s" % changed)
    path = prefix.unix("C:\\%s.txt" % name)
    with open(path, encoding="latin-1") as f:
        lines = [tuple(line.rstrip("\r\n").split("\t")) for line in f]
    os.remove(path)
    return lines


def in_order(lines, wanted):
    """Whether every wanted line is among the lines, in that order."""
    at = 0
    for line in wanted:
        while at < len(lines) and lines[at] != line:
            at += 1
        if at == len(lines):
            return False
    return True


def listed_programs(prefix):
    """What Wine's Add/Remove Programs lists: one "key|||name" line each."""
    return [line.strip() for line in prefix.wine("uninstaller", "--list").stdout.decode("latin-1").splitlines()]


@scenario
def sample_installs_and_removes_itself_unattended(prefix):
    prefix.reg("add", r"HKCU\Software\Wine", "/v", "Version", "/d", "win10", "/f")
    media = sample_media(prefix)
    downloads = Media(prefix, "users/Public/Downloads", program=False)
    downloads.script(PLANTED)
    before = snapshot(prefix)

    # What the install would do, listed first by a what-if run.
    plan = what_if(prefix, media, "plan")
    wanted = [("folder", r"C:\Program Files\Sample Notes"), ("copy", APP + r"\README.TXT", r"C:\media\README.TXT"),
              ("copy", APP + r"\HELP.TXT", r"C:\media\HELP.TX_"), ("font", APP + r"\NOTESANS.fot"),
              ("ini", APP + r"\NOTES.INI", "Settings", "Version", "1.0"),
              ("text", r"C:\windows\system.ini", "drivers32", "msacm.notes", "msacm.notes=notesacm.acm"),
              ("registry", r"HKEY_CURRENT_USER\Software\Sample Notes", "Window", "REG_DWORD", "1"),
              ("group", "Sample Notes", "Read me")]
    check(in_order(plan, wanted), "the what-if lines: %s" % plan)

    t = run_setup(prefix, media, "", args=r"/QUIET /NoRestart /Log=C:\install.log", name="install")
    expect_done(t, exit_code=3010)
    check(t.events == [t.end], "a quiet run showed: %s" % t.events[:-1])
    lines = log_lines(prefix, r"C:\install.log")
    # The preselections: English, and Windows 10 detected; every listed
    # component, Examples too (its condition holds for E).
    check('Installation Options: codes "EW"' in lines, lines)
    for step in ("Licence: accepted (quiet)", "Component Examples [Examples]: selected",
                 "Path AppDir = " + APP, "Install pass completed", "A restart is due and was not done",
                 "Exit code 3010"):
        check(step in lines, "%r not in the log: %s" % (step, lines))
    check("Copy: Read me  From: C:\\media\\README.TXT  To: %s\\README.TXT" % APP in lines, lines)
    check("Modify key: HKEY_CURRENT_USER\\Software\\Sample Notes  Value: Window  Data: 1" in lines, lines)
    check(sorted(os.listdir(prefix.unix(APP))) ==
          ["FIRST.TXT", "HELP.TXT", "NOTES.INI", "NOTESANS.TTF", "NOTESANS.fot", "README.TXT", "Uninstall"],
          os.listdir(prefix.unix(APP)))
    check(all(os.path.exists(prefix.unix(line[1])) for line in plan if line[0] in ("copy", "font", "folder")),
          "what the what-if run listed was not made")
    # The program group, made without Program Manager, whose folder windows
    # (a program each under Wine, beside the desktop's) would outlive the run.
    group = os.path.join(prefix.programs, "Sample Notes")
    links = {name: lnk_target(os.path.join(group, name)) for name in sorted(os.listdir(group))}
    check(links == {"Read me.lnk": APP + r"\README.TXT", "Remove Sample Notes.lnk": APP + r"\Uninstall\setup.exe"},
          links)
    shells = [p for p in prefix.processes() if p.lower() == "explorer.exe"]
    check(len(shells) <= 1, "a quiet run left windows open: %s" % shells)

    # The entry of Apps & Features, with its values and types.
    check("Sample Notes|||Sample Notes 1.0" in listed_programs(prefix), listed_programs(prefix))
    values = {name: prefix.reg_query(ENTRY, name) for name in
              ("DisplayName", "DisplayVersion", "Publisher", "InstallLocation", "EstimatedSize", "UninstallString",
               "QuietUninstallString")}
    check(values == {"DisplayName": ("REG_SZ", "Sample Notes 1.0"), "DisplayVersion": ("REG_SZ", "1.0"),
                     "Publisher": ("REG_SZ", "Sample Software"), "InstallLocation": ("REG_SZ", APP),
                     "EstimatedSize": ("REG_DWORD", "0x5dc"),
                     "UninstallString": ("REG_SZ", '"%s\\Uninstall\\setup.exe"' % APP),
                     "QuietUninstallString": ("REG_SZ", QUIET_REMOVAL)}, values)

    # What the removal would do, listed by a what-if run on the log.
    remover = Media(prefix, APP[3:].replace("\\", "/") + "/Uninstall", program=False)
    removal = what_if(prefix, remover, "removal-plan")
    check(in_order(removal, [("registry", r"HKEY_CURRENT_USER\Software\Sample Notes", "Version", "REG_SZ", ""),
                             ("group", "Sample Notes", "", "deleted"), ("delete", APP + r"\README.TXT")]),
          "the removal's what-if lines: %s" % removal)

    # The entry's interactive removal, cancelled: everything stays for another
    # try. Its welcome speaks of the removal, in the texts the log carries.
    t = run_setup(prefix, remover, "expect caption=Welcome\nclick 2", name="cancelled")
    expect_done(t, exit_code=1602)
    check(control_text(t.find(caption="Welcome"), 101) == "Sample Notes will be removed.", t.find(caption="Welcome"))
    check(sorted(os.listdir(prefix.unix(APP + r"\Uninstall"))) == ["SETUP.INF", "STP.DLL", "setup.exe"],
          os.listdir(prefix.unix(APP + r"\Uninstall")))
    check(prefix.reg_query(ENTRY, "DisplayName") is not None, "the entry went with a cancelled removal")

    # The entry's quiet removal, started as its command line says.
    command = values["QuietUninstallString"][1]
    t = run_setup(prefix, remover, "", args=command[command.index(" /") + 1:], name="remove", cwd=downloads.path)
    expect_done(t, exit_code=0)
    check(os.path.exists(prefix.unix(r"C:\windows\win.ini")), "the planted script ran")
    check(t.events == [t.end], "a quiet removal showed: %s" % t.events[:-1])
    check("Sample Notes|||Sample Notes 1.0" not in listed_programs(prefix), listed_programs(prefix))
    check(not os.path.exists(group), "the program group is left")
    # The helper deletes the removal's setup.exe once the removal has ended.
    for _ in range(150):
        if not os.path.exists(prefix.unix(APP)):
            break
        time.sleep(0.2)
    check(not os.path.exists(prefix.unix(APP)), "left: %s" % list(os.walk(prefix.unix(APP))))

    # What only a restart deletes: the helper's own copy. Then nothing of the
    # product is left, and nothing that was there before has gone.
    prefix.wine("wineboot", "-r")
    files, registry = snapshot(prefix)
    check(differences(before[0], files) == ["install.log"], differences(before[0], files))
    check(registry_differences(before[1], registry) == [], registry_differences(before[1], registry))


@scenario
def removal_by_another_setup_leaves_it_alone(prefix):
    """A cleanup=1 log carried out by a setup.exe at the drive's root: the
    product's files go, and nothing else: not that setup.exe nor its STP.DLL,
    not the log with the setup.exe beside it, not an empty folder anywhere."""
    tool = r"C:\Program Files\Tool"
    backup = Media(prefix, "Program Files/Tool/Uninstall")
    backup.script(r"""[SetUp]
remove=1
cleanup=1
reboot=0

[choise]
Remove Tool=step2|Deletes the tool.
Folders=step3

[disks]
1=Tool backup

[path]
AppDir=%(tool)s
BackUpDir=%(tool)s\Uninstall

[del.step2]
AppDir\tool.txt=Tool

[del.step3]
%(tool)s\=Folder made by the install
""" % {"tool": tool})
    with open(prefix.unix(tool + r"\tool.txt"), "w") as f:
        f.write("the tool")
    os.makedirs(os.path.join(prefix.drive_c, "empty", "media", "DISK1"))
    foreign = Media(prefix, "")
    before = snapshot(prefix)

    t = run_setup(prefix, foreign, "", args=r"/quiet /log=C:\foreign.log %s\Uninstall\SETUP.INF" % tool)
    expect_done(t, exit_code=0)
    check(prefix.temp_files() == [], "a clean-up helper was started: %s" % prefix.temp_files())
    files = snapshot(prefix)[0]
    check(differences(before[0], files) == ["Program Files/Tool/tool.txt", "foreign.log"],
          differences(before[0], files))


# The sample answered by a person: German, the examples left out, installed
# into C:\Notes; the platform as detected (Windows 7 in a fresh prefix); the
# restart left for later.
ANSWERED = r"""expect caption=Welcome
click 1
expect caption=Licence Agreement
click 1
expect caption=Installation Options
choose 100 1
click 1
expect caption=Sample Notes 1.0 Setup
item 500 2
click 1
expect caption=Destination Directory
text 200 C:\Notes
click 1
expect caption=Installation Complete
click 2
"""


def installed(prefix, before, run_logs):
    """What an install changed: files with their content (a program item's
    link only by its name, as Program Manager and the shell write links
    differently), and the product's registry keys with their values."""
    files, registry = snapshot(prefix)
    changed = {k: ("link" if k.endswith(".lnk") else files.get(k)) for k in differences(before[0], files)
               if k not in run_logs}
    keys = {k: registry.get(k) for k in registry_differences(before[1], registry) if "Sample Notes" in k[1]}
    return changed, keys


@scenario
def answers_given_or_recorded_install_what_a_person_chose(prefix):
    """/record writes an interactive run's answers; /answers replays them
    quietly, and /options /components /path: give them on the command line:
    each gives the same install. A name the script does not offer ends a
    quiet run before any change, with 1603."""
    media = sample_media(prefix)
    before = snapshot(prefix)
    t = run_setup(prefix, media, ANSWERED, args=r"/record=C:\answers.ini", name="person")
    expect_done(t, exit_code=3010)
    answers = read_ini(prefix.unix(r"C:\answers.ini"))
    check(answers == {"answers": [("options", "DS"), ("components", "Program,HelpD,Runtime,Removal")],
                      "path": [("AppDir", r"C:\Notes")]}, answers)
    logs = ["answers.ini", "replay.log", "given.log"]
    chosen = installed(prefix, before, logs)
    check("Notes/HILFE.TXT" in chosen[0] and "Notes/FIRST.TXT" not in chosen[0], sorted(chosen[0]))
    saved = read_bytes(prefix.unix(r"C:\answers.ini"))

    for name, args in (("replay", r"/answers=C:\answers.ini /norestart /log=C:\replay.log"),
                       ("given", r'/quiet /norestart /options=DS /components="program,German help" '
                                 r"/path:AppDir=C:\Notes /log=C:\given.log")):
        other = Prefix(prefix.path.rsplit("/", 1)[-1] + "." + name)
        try:
            media = sample_media(other)
            with open(other.unix(r"C:\answers.ini"), "wb") as f:
                f.write(saved)
            start = snapshot(other)
            t = run_setup(other, media, "", args=args, name=name)
            expect_done(t, exit_code=3010)
            check(t.events == [t.end], "a quiet run showed: %s" % t.events[:-1])
            again = installed(other, start, logs)
            check(again == chosen, "%s differs: %s" % (name, [(k, again[i].get(k), chosen[i].get(k)) for i in (0, 1)
                                                          for k in set(again[i]) | set(chosen[i])
                                                          if again[i].get(k) != chosen[i].get(k)]))
        finally:
            other.remove()

    # Nothing the script does not offer is taken: each is said, and nothing changes.
    for wrong in ("/components=Program,Extras", "/options=F", "/path:DataDir=C:\\Data"):
        start = snapshot(prefix)
        t = run_setup(prefix, media, "", args=r"/quiet %s /log=C:\wrong.log" % wrong, name="wrong")
        expect_done(t, exit_code=1603)
        lines = log_lines(prefix, r"C:\wrong.log")
        check(any("The installation offers no such choice" in line and wrong.split("=")[0] in line
                  for line in lines), lines)
        check(differences(start[0], snapshot(prefix)[0]) == ["wrong.log"], wrong)
