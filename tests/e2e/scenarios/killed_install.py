"""An install killed at any moment leaves a removal log that holds every
change made so far, and a machine from which that log removes the product
unattended: run quietly on the log as the kill left it (no [SetUp] or
[choise] yet), the machine is as it was before. The install makes folders
(records into an earlier section of the log), changes INI values and
registry values, writes INI entries of its own into the log between the
installer's records, saves a large file it replaces with "!" and writes a
value into a large shared INI file; kills come at seeded random points of
the log, while the large file is saved, and while the INI file is written."""
import os
import random
import signal
import threading
import time

from harness import (Media, check, differences, expect_done, import_registry, log_lines, read_bytes, read_text,
                     registry_differences, run_setup, scenario, snapshot)

KEY = r"HKEY_CURRENT_USER\Software\Killed"
LOG = r"C:\Logs\remove.inf"
FOLDERS, PER_FOLDER, VALUES = 6, 50, 12

# Replaced with "!" and saved to the backup directory, where the removal
# runs from; and a shared INI file of many sections that the platform's
# writer takes a while to write anew.
BIG, BACKUP = r"C:\windows\big.dll", r"C:\Backup"
SHARED = r"C:\windows\shared.ini"
START = """
    expect caption=Welcome
    click 1
"""


def files(folders=FOLDERS):
    return [("d%d" % d, "d%df%03d.txt" % (d, i)) for d in range(folders) for i in range(PER_FOLDER)]


def big_data(tag, megabytes=24):
    return (tag * 64 + b"\r\n") * (megabytes << 14)


def lay_out(prefix, rollback=False):
    """The product; with rollback on, a smaller one that rolls back."""
    media = Media(prefix)
    media.write("big.dll", big_data(b"n", 1 if rollback else 24))
    lines = ["[SetUp]", "silent=1", "reboot=0", "Y2AOverwrite=1", "rollback=%d" % rollback, "",
             "[choise]", "Main=Main|The program", "",
             "[path]", r"AppDir=C:\App", r"LogDir=C:\Logs", "RemoveInf=" + LOG, "BackUpDir=" + BACKUP, "",
             "[disks]", "1=Disk one", "", "[Main]"]
    # A copy takes the file of the target's name from the media.
    for folder, name in files(2 if rollback else FOLDERS):
        media.write(name, ("%s\r\n" % name) * 4)
        lines.append(r"1:%%AppDir%%\%s\%s=File %s" % (folder, name, name))
    lines.append(r"1:%WinDir%\big.dll=Big library/,!")
    # Old values and notes the platform's own writer puts into the log, taking turns.
    lines += ["", "[ini.Main]", r"shared.ini|s20000|k=new"]
    for i in range(VALUES):
        lines += [r"WinDir\killed.ini|s|k%d=new%d" % (i, i), r"LogDir\remove.inf|Notes|n%d=%d/,-" % (i, i)]
    lines += ["", "[reg.Main]"] + ["%s|V%d=new%d" % (KEY, i, i) for i in range(VALUES)]
    lines += ["%s\\Made\\Deeper|V=1" % KEY]
    media.script("\r\n".join(lines) + "\r\n")
    return media


def setup_process(prefix, media):
    """The Linux process id of the installer of this prefix, or None."""
    wanted = ("WINEPREFIX=%s" % prefix.path).encode()
    program = (media.windows_path + "\\setup.exe").encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                if wanted not in f.read().split(b"\0"):
                    continue
            # The program itself, not the robot that names it on its command line.
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if f.read().split(b"\0")[0].lower() == program.lower():
                    return int(pid)
        except OSError:
            continue
    return None


def install_killed_at(prefix, media, log_bytes=None, appears=None, delay=0.0):
    """Installs, and kills the installer once the log holds log_bytes bytes,
    or `delay` seconds after the file `appears` (a Windows path) is there
    (neither: lets it end). Returns whether the kill came before the end."""
    log = prefix.unix(LOG)
    watched = prefix.unix(appears) if appears else None
    done = threading.Event()
    result = {}

    def run():
        try:
            result["t"] = run_setup(prefix, media, START, name="install", timeout=120)
        finally:
            done.set()

    runner = threading.Thread(target=run)
    runner.start()
    killed = False
    while (log_bytes is not None or watched) and not done.is_set():
        due = (os.path.exists(watched) if watched else
               os.path.exists(log) and os.path.getsize(log) >= log_bytes)
        if due:
            time.sleep(delay)
            pid = setup_process(prefix, media)
            if pid:
                os.kill(pid, signal.SIGKILL)
                killed = True
            break
        time.sleep(0.001)
    runner.join()
    check("t" in result, "the install did not run")
    if not killed:
        expect_done(result["t"])
    return killed


def remove(prefix):
    """Removes quietly on the log as the install left it, from the backup
    directory: every record was written before its change, so the removal
    passes over a file recorded but not yet made."""
    remover = Media(prefix, "Backup", program=False)
    expect_done(run_setup(prefix, remover, "", args="/quiet " + LOG, name="remove"))


@scenario
def prepare(prefix, rollback=False):
    """The machine before the install (with the removal's installer in the
    backup directory, there from before), the media, and the seeded random
    numbers of the kills."""
    with open(os.path.join(prefix.windows, "killed.ini"), "wb") as f:
        f.write(b"[s]\r\n" + b"".join(b"k%d=old%d\r\n" % (i, i) for i in range(0, VALUES, 2)))
    with open(prefix.unix(SHARED), "wb") as f:
        f.write(b"".join(b"[s%05d]\r\nk=%05d\r\n" % (i, i) for i in range(40001)))
    with open(prefix.unix(BIG), "wb") as f:
        f.write(big_data(b"o", 1 if rollback else 24))
    import_registry(prefix, "REGEDIT4\n\n[%s]\n" % KEY + "".join('"V%d"="old%d"\n' % (i, i)
                                                                  for i in range(0, VALUES, 3)))
    media = lay_out(prefix, rollback)
    Media(prefix, "Backup")
    seed = int(os.environ.get("SETUP_SEED", "0")) or random.randrange(1, 1 << 30)
    print("seed %d" % seed, flush=True)
    return media, snapshot(prefix), seed, random.Random(seed)


def check_as_before(prefix, before, where, log="", killed=True):
    """The machine as before the install, but for the log a removal leaves
    (the one it ran on, in the folder it made) and a killed run's own working
    copy in Temp, which it cannot take away: that is no installed file."""
    files, registry = snapshot(prefix)
    temp = os.path.relpath(prefix.temp, prefix.drive_c)
    left = [k for k in differences(before[0], files)
            if k not in ("Logs", os.path.join("Logs", "remove.inf")) and not (killed and k.startswith(
                os.path.join(temp, "setup")))]
    check(not left, "%s: left after the removal: %s\nlog:\n%s" % (where, left[:10], log))
    changed = registry_differences(before[1], registry)
    check(not changed, "%s: registry not as before: %s" % (where, changed))
    # Each install starts from the same machine, the log's folder not there yet.
    if os.path.exists(prefix.unix(LOG)):
        os.remove(prefix.unix(LOG))
    if os.path.isdir(prefix.unix(r"C:\Logs")):
        os.rmdir(prefix.unix(r"C:\Logs"))


@scenario
def install_killed_anywhere_is_removed_whole(prefix):
    media, before, seed, rng = prepare(prefix)
    install_killed_at(prefix, media)
    whole = os.path.getsize(prefix.unix(LOG))
    # Short of the end, so that the kill always comes while the install runs.
    kills = [dict()] + [dict(log_bytes=b) for b in sorted(rng.randrange(1, whole * 9 // 10) for _ in range(6))]
    kills += [dict(appears=BACKUP + r"\big.dll.setup-new", delay=rng.uniform(0, 0.02)),
              dict(appears=SHARED + ".setup-new", delay=rng.uniform(0, 0.05))]
    for kill in kills:
        where = "seed %d, kill %s (%d log bytes when whole)" % (seed, kill, whole)
        if kill:
            check(install_killed_at(prefix, media, **kill), "%s: the install ended before the kill" % where)
        log = read_text(prefix.unix(LOG))
        remove(prefix)
        check_as_before(prefix, before, where, log, killed=bool(kill))


@scenario
def killed_install_is_undone_by_the_next_run(prefix):
    """With rollback on, a kill anywhere leaves a pass that the next run
    undoes before anything else: an install, which then completes (and is
    removed), or the removal, which then finds nothing left to remove."""
    media, before, seed, rng = prepare(prefix, rollback=True)
    install_killed_at(prefix, media)
    whole = os.path.getsize(prefix.unix(LOG))
    remove(prefix)
    check_as_before(prefix, before, "seed %d, not killed" % seed, killed=False)
    for i, log_bytes in enumerate(sorted(rng.randrange(1, whole * 9 // 10) for _ in range(20))):
        where = "seed %d, kill at %d log bytes of %d, then %s" % (seed, log_bytes, whole,
                                                                 "an install" if i % 2 else "the removal")
        check(install_killed_at(prefix, media, log_bytes=log_bytes), "%s: the install ended before the kill" % where)
        if i % 2:
            expect_done(run_setup(prefix, media, "", args="/quiet", name="again"))
        remove(prefix)
        check_as_before(prefix, before, where)

# With rollback on, an install that does not run to its end puts back what
# it changed. Disk 2 holds a file that the "missing" case leaves off the
# media; the deletion of a file that is not there stops the pass at its very
# end, after every kind of change.
ROLLBACK = r"""[SetUp]
name=Product
rollback=1
reboot=0
Y2AOverwrite=1

[choise]
Main=Main|The program

[path]
AppDir=C:\App
RemoveInf=C:\App\Uninstall\remove.inf
BackUpDir=C:\App\Backup

[disks]
1=Disk one
2=Disk two

[Main]
1:%%AppDir%%\one.txt=One
1:%%WinDir%%\shared.dll=Shared library/,!
1:%%WinDir%%\plain.dll=Plain library
2:%%AppDir%%\Deep\two.txt=Two

[ini.Main]
WinDir\prod.ini|s|k=%(version)s
AppDir\app.ini|s|k=%(version)s

[str.Main]
WinDir\lines.txt|none|KEY=KEY=%(version)s

[reg.Main]
HKEY_CURRENT_USER\Software\RbOld|V=%(version)s
HKEY_CURRENT_USER\Software\RbNew\Deeper|V=%(version)s

[del.Main]
WinDir\gone.txt=Gone
%(stop)s
"""
RB_KEY = r"HKEY_CURRENT_USER\Software\RbOld"
TO_THE_PASS = "expect caption=Welcome\nclick 1\nexpect caption=Product\nclick 1\n"
LEAVE = "ready 2 caption=Product\npress 2 caption=Product\n"


def rollback_media(prefix, version, stop="", missing=False):
    media = Media(prefix)
    media.script(ROLLBACK % {"version": version, "stop": stop})
    for name in ("one.txt", "shared.dll", "plain.dll", "two.txt"):
        media.write(name, "%s %s\r\n" % (name, version))
    if missing:
        os.remove(os.path.join(media.path, "two.txt"))
    return media


@scenario
def install_that_does_not_finish_is_rolled_back(prefix):
    windows = prefix.windows
    old = {"shared.dll": b"shared, there before\r\n", "plain.dll": b"plain, there before\r\n",
           "gone.txt": b"deleted by the pass\r\n", "prod.ini": b"[s]\r\nk=old\r\n",
           "lines.txt": b"first\r\nKEY=old\r\nlast\r\n"}
    for name, data in old.items():
        with open(os.path.join(windows, name), "wb") as f:
            f.write(data)
    os.utime(os.path.join(windows, "shared.dll"), (1e9, 1e9))
    os.chmod(os.path.join(windows, "shared.dll"), 0o444)  # read-only
    import_registry(prefix, 'REGEDIT4\n\n[%s]\n"V"="old"\n' % RB_KEY)
    before = snapshot(prefix)
    stat = os.stat(os.path.join(windows, "shared.dll"))

    def as_before(state, what):
        files, registry = snapshot(prefix)
        left = [k for k in differences(state[0], files) if not k.startswith(("media", "rb.log"))]
        check(not left, "%s: files not as before: %s" % (what, left))
        changed = registry_differences(state[1], registry)
        check(not changed, "%s: registry not as before: %s" % (what, changed))

    cases = [
        # Cancel on the progress dialog while disk 2 is asked for: the next
        # copy ends the pass, after one.txt and the replaced libraries.
        ("cancel", dict(), TO_THE_PASS + "expect caption=Insert Disk\npress 2 control=300\nclick 1\n" + LEAVE,
         "", 1602),
        # Abort at a media file that is not there.
        ("missing", dict(missing=True), "", "/quiet", 1603),
        # Abort at the pass's last entry: every kind of change made by then.
        ("deletion", dict(stop=r"WinDir\not-there.txt=Not there"), "", "/quiet", 1603),
    ]
    for name, layout, plan, args, code in cases:
        media = rollback_media(prefix, "v1", **layout)
        t = run_setup(prefix, media, plan, args=(args + r" /log=C:\rb.log").strip(), name=name)
        expect_done(t, exit_code=code)
        lines = log_lines(prefix, r"C:\rb.log")
        check(any(line.startswith("Install pass rolled back") for line in lines), "%s: %s" % (name, lines))
        as_before(before, name)
        now = os.stat(os.path.join(windows, "shared.dll"))
        check((now.st_mtime, now.st_mode) == (stat.st_mtime, stat.st_mode), "%s: date or attributes changed" % name)

    # Version 1 installed whole; version 2 over it fails at its end and
    # leaves version 1 as it was, its removal log too, from which a removal
    # puts back the machine from before version 1.
    expect_done(run_setup(prefix, rollback_media(prefix, "v1"), "", args="/quiet", name="v1"))
    installed = snapshot(prefix)
    check(read_bytes(os.path.join(windows, "plain.dll")) == b"plain.dll v1\r\n", "version 1 not installed")
    media = rollback_media(prefix, "v2", stop=r"WinDir\not-there.txt=Not there")
    expect_done(run_setup(prefix, media, "", args="/quiet", name="v2"), exit_code=1603)
    as_before(installed, "version 2 over version 1")
    # The removal runs from the backup directory, where the saved file is.
    remover = Media(prefix, "App/Backup")
    expect_done(run_setup(prefix, remover, "", args=r"/quiet C:\App\Uninstall\remove.inf", name="remove"))
    files, registry = snapshot(prefix)
    left = [k for k in differences(before[0], files) if not k.startswith(("App", "media", "rb.log"))]
    # What the script does not keep stays changed: the deletion, and the
    # library replaced without "!".
    check(left == [os.path.join("windows", "gone.txt"), os.path.join("windows", "plain.dll")],
          "after the removal: %s" % left)
    changed = registry_differences(before[1], registry)
    check(not changed, "after the removal, registry not as before: %s" % changed)
