"""An install killed at any moment leaves a removal log that is a whole
script and holds every change made so far: removed on that log, the machine
is as it was before. The install makes folders (records into an earlier
section of the log), changes INI values and registry values, and writes INI
entries of its own into the log between the installer's records."""
import os
import random
import signal
import threading
import time

from harness import (Media, check, differences, expect_done, import_registry, read_bytes, read_ini,
                     registry_differences, run_setup, scenario, snapshot)

KEY = r"HKEY_CURRENT_USER\Software\Killed"
LOG = r"C:\Logs\remove.inf"
FOLDERS, PER_FOLDER, VALUES = 6, 50, 12

REMOVAL = "\r\n[SetUp]\r\nsilent=1\r\nreboot=0\r\nremove=1\r\n[choise]\r\nUndo=step1|Old values\r\n" \
          "Remove=step2|Files\r\nFolders=step3|Folders\r\n[disks]\r\n1=Disk one\r\n"
IGNORE = 5
START = """
    expect caption=Welcome
    click 1
"""


def files():
    return [("d%d" % d, "d%df%03d.txt" % (d, i)) for d in range(FOLDERS) for i in range(PER_FOLDER)]


def lay_out(prefix):
    media = Media(prefix)
    lines = ["[SetUp]", "silent=1", "reboot=0", "", "[choise]", "Main=Main|The program", "",
             "[path]", r"AppDir=C:\App", r"LogDir=C:\Logs", "RemoveInf=" + LOG, "", "[disks]", "1=Disk one", "",
             "[Main]"]
    # A copy takes the file of the target's name from the media.
    for folder, name in files():
        media.write(name, ("%s\r\n" % name) * 4)
        lines.append(r"1:%%AppDir%%\%s\%s=File %s" % (folder, name, name))
    # Old values and notes the platform's own writer puts into the log, taking turns.
    lines += ["", "[ini.Main]"]
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


def install_killed_at(prefix, media, log_bytes):
    """Installs, and kills the installer once the log holds log_bytes bytes
    (None: lets it end). Returns whether the kill came before the end."""
    log = prefix.unix(LOG)
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
    while log_bytes is not None and not done.is_set():
        if os.path.exists(log) and os.path.getsize(log) >= log_bytes:
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


def remove(prefix, media, where):
    """Removes on the log. Every record is written before its change: a kill
    leaves at most one file recorded but not yet copied, which the removal
    reports as not found (answered with Ignore)."""
    log = read_ini(prefix.unix(LOG))
    missing = [k for k, _ in log.get("del.step2", [])
               if not os.path.exists(prefix.unix(k.replace("%AppDir%", r"C:\App")))]
    check(len(missing) <= 1, "%s: recorded files never copied: %s" % (where, missing))
    with open(prefix.unix(LOG), "ab") as f:
        f.write(REMOVAL.encode())
    plan = START + "".join("expect message~Cannot delete specified file\nclick %d\n" % IGNORE for _ in missing)
    expect_done(run_setup(prefix, media, plan, args=LOG, name="remove"))


@scenario
def install_killed_anywhere_is_removed_whole(prefix):
    with open(os.path.join(prefix.windows, "killed.ini"), "wb") as f:
        f.write(b"[s]\r\n" + b"".join(b"k%d=old%d\r\n" % (i, i) for i in range(0, VALUES, 2)))
    import_registry(prefix, "REGEDIT4\n\n[%s]\n" % KEY + "".join('"V%d"="old%d"\n' % (i, i)
                                                                  for i in range(0, VALUES, 3)))
    media = lay_out(prefix)
    before = snapshot(prefix)
    # What a removal leaves: the log it ran on, in the folder it made, and
    # the log writer's new file when the kill came while it wrote one.
    logs = os.path.join("Logs", "remove.inf")
    allowed = {"Logs", logs, logs + ".new"}

    seed = int(os.environ.get("SETUP_SEED", "0")) or random.randrange(1, 1 << 30)
    rng = random.Random(seed)
    install_killed_at(prefix, media, None)
    whole = os.path.getsize(prefix.unix(LOG))
    # Short of the end, so that the kill always comes while the install runs.
    points = [None] + sorted(rng.randrange(1, whole * 9 // 10) for _ in range(4))
    for point in points:
        where = "seed %d, kill at %s of %d log bytes" % (seed, point, whole)
        if point is not None:
            killed = install_killed_at(prefix, media, point)
            check(killed, "%s: the install ended before the kill" % where)
        log = read_bytes(prefix.unix(LOG))
        remove(prefix, media, where)
        files, registry = snapshot(prefix)
        # A killed run cannot take away its own working copy in Temp: that is no installed file.
        temp = os.path.relpath(prefix.temp, prefix.drive_c)
        left = [k for k in differences(before[0], files)
                if k not in allowed and not (point and k.startswith(os.path.join(temp, "setup")))]
        check(not left, "%s: left after the removal: %s\nlog:\n%s" % (where, left[:10], log.decode("latin-1")))
        changed = registry_differences(before[1], registry)
        check(not changed, "%s: registry not as before: %s" % (where, changed))
        # Each install starts from the same machine, the log's folder not there yet.
        for name in (logs, logs + ".new"):
            if os.path.exists(os.path.join(prefix.drive_c, name)):
                os.remove(os.path.join(prefix.drive_c, name))
        os.rmdir(os.path.join(prefix.drive_c, "Logs"))
