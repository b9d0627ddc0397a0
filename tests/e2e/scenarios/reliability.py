"""What must never be lost or passed off as done: a change whose removal
record cannot be written (the log on a full disk, here /dev/full), an INI
file the disk cannot take whole once it is written anew, the records
of two runs started together, old values longer than a line of the old
buffers or that the log cannot hold, text files with CR line ends, and a
script that is no script. Each installs, removes on the log the install left,
and compares bytes and values, or expects the message."""
import os
import random
import threading

from harness import (Media, check, expect_done, import_registry, read_bytes, read_ini, run_setup, scenario)

KEY = r"HKEY_CURRENT_USER\Software\Reliability"
LOG = r"C:\App\remove.inf"

SCRIPT = r"""[SetUp]
silent=1
reboot=0

[choise]
Main=Main|The program

[path]
AppDir=C:\App
RemoveInf=C:\App\remove.inf

[disks]
1=Disk one

[Main]
"""

# What turns the log into the script of a removal run.
REMOVAL = "\r\n[SetUp]\r\nsilent=1\r\nreboot=0\r\nremove=1\r\n[choise]\r\nUndo=step1|Old values\r\n" \
          "Remove=step2|Files\r\n[disks]\r\n1=Disk one\r\n"

START = """
    expect caption=Welcome
    click 1
"""
OK, ABORT, RETRY = 1, 3, 4


def lay_out(prefix, sections, files=(), name="media"):
    media = Media(prefix, name)
    media.script(SCRIPT + sections)
    for file in files:
        media.write(file, ("%s\r\n" % file) * 10)
    return media


def app(prefix, name=""):
    return os.path.join(prefix.unix(r"C:\App"), name)


def remove(prefix, media):
    """Runs the installer on the log, completed into a removal script."""
    with open(app(prefix, "remove.inf"), "ab") as f:
        f.write(REMOVAL.encode())
    expect_done(run_setup(prefix, media, START, args=LOG, name="remove"))


def registry_value(prefix, name):
    return prefix.reg_query(KEY, name)


def log_on_a_full_disk(prefix):
    os.makedirs(app(prefix))
    os.symlink("/dev/full", app(prefix, "remove.inf"))
    import_registry(prefix, "REGEDIT4\n\n[%s]\n\"Version\"=\"1.0\"\n" % KEY)
    return lay_out(prefix, "1:%AppDir%\\one.txt=One\n1:%AppDir%\\two.txt=Two\n"
                           "[reg.Main]\n" + KEY + "|Version=2.0\n", files=["one.txt", "two.txt"])


@scenario
def full_disk_is_reported_before_any_change(prefix):
    media = log_on_a_full_disk(prefix)
    t = run_setup(prefix, media, START + """
        expect message~Cannot write the removal log
        click %d
    """ % ABORT)
    expect_done(t, exit_code=1603)
    check(t.messages() == [LOG + "\nCannot write the removal log !"], "messages: %s" % t.messages())
    check(sorted(os.listdir(app(prefix))) == ["remove.inf"], "files: %s" % os.listdir(app(prefix)))
    check(registry_value(prefix, "Version") == ("REG_SZ", "1.0"), registry_value(prefix, "Version"))


@scenario
def full_disk_retried_once_there_is_room(prefix):
    media = log_on_a_full_disk(prefix)
    seen = []

    def make_room(_):
        seen.append(sorted(os.listdir(app(prefix))))
        os.remove(app(prefix, "remove.inf"))

    t = run_setup(prefix, media, START + """
        expect message~Cannot write the removal log
        shot room
        click %d
    """ % RETRY, on_shot=make_room)
    expect_done(t)
    check(seen == [["remove.inf"]], "changed before the record was written: %s" % seen)
    check(read_bytes(app(prefix, "two.txt")) == b"two.txt\r\n" * 10, "not installed")
    check(registry_value(prefix, "Version") == ("REG_SZ", "2.0"), registry_value(prefix, "Version"))
    log = read_ini(app(prefix, "remove.inf"))
    check(dict(log["path"]) == {"AppDir": r"C:\App", "RemoveInf": LOG}, log)
    check([k for k, _ in log["del.step2"]] == [r"%AppDir%\one.txt", r"%AppDir%\two.txt"], log)

    remove(prefix, media)
    check(sorted(os.listdir(app(prefix))) == ["remove.inf"], "left: %s" % os.listdir(app(prefix)))
    check(registry_value(prefix, "Version") == ("REG_SZ", "1.0"), registry_value(prefix, "Version"))


@scenario
def ini_file_the_disk_cannot_take_stays_whole(prefix):
    # The platform's writer writes the file anew, and says it did even when
    # the disk took only part of it: 4 KB more than the disk holds.
    sections = b"".join(b"[s%05d]\r\nk=%05d\r\n" % (i, i) for i in range(20000))
    shared = os.path.join(prefix.windows, "shared.ini")
    with open(shared, "wb") as f:
        f.write(sections)
    media = lay_out(prefix, "[ini.Main]\nshared.ini|s00000|k=%s\n" % ("v" * 4096))
    t = run_setup(prefix, media, "", args="/quiet", file_size_limit=len(sections) + 512)
    expect_done(t, exit_code=1603)
    check(read_bytes(shared) == sections, "shared.ini changed: %d bytes" % len(read_bytes(shared)))
    check(not os.path.exists(shared + ".setup-new"), "the cut copy was left")


@scenario
def folder_the_log_cannot_name_is_refused(prefix):
    # An install folder read from the user's registry that holds '=': its
    # record of the folder made would read back as a deletion of win.ini.
    # It is refused before the folder or anything else is made.
    import_registry(prefix, 'REGEDIT4\n\n[%s]\n"Dir"="C:\\\\windows\\\\win.ini=\\\\Notes"\n' % KEY)
    media = lay_out(prefix, "1:%AppDir%\\one.txt=One\n", files=["one.txt"])
    media.script(SCRIPT.replace("AppDir=C:\\App\n", "").replace("[path]", "[reg]\nAppDir=%s|Dir\n\n[path]" % KEY)
                 + "1:%AppDir%\\one.txt=One\n")
    win_ini = read_bytes(os.path.join(prefix.windows, "win.ini"))
    t = run_setup(prefix, media, "", args="/quiet /log=C:\\run.log")
    expect_done(t, exit_code=1603)
    check(not os.path.exists(os.path.join(prefix.windows, "win.ini=")), "the folder was made")
    check(read_bytes(os.path.join(prefix.windows, "win.ini")) == win_ini, "win.ini changed")
    log = read_bytes(prefix.unix(r"C:\run.log")).decode("latin-1")
    check("Cannot write the removal log" in log, "not reported: %s" % log[-600:])


@scenario
def second_run_waits_for_the_first(prefix):
    # Two products, one log: the second run, started while the first stands
    # at its welcome dialog, is held with a message; Retry once the first has
    # ended installs it too, and the log keeps every record of both.
    count = 60
    products = []
    for letter in "AB":
        files = ["%s%02d.txt" % (letter.lower(), i) for i in range(count)]
        entries = "".join("1:%%AppDir%%\\%s=File %s\n" % (f, f) for f in files)
        media = lay_out(prefix, entries, files, name="media" + letter)
        products.append((media, files))

    events = {name: threading.Event() for name in ("first waits", "release first", "second asked", "release second")}

    def hold(reached, release):
        def on_shot(_):
            events[reached].set()
            check(events[release].wait(120), "never released")
        return on_shot

    results = {}

    def run(name, media, plan, on_shot):
        try:
            results[name] = run_setup(prefix, media, plan, name=name, timeout=180, on_shot=on_shot)
        except Exception as error:  # noqa: BLE001 - reported by the main thread
            results[name] = error
        finally:
            events["first waits" if name == "first" else "second asked"].set()

    first = threading.Thread(target=run, args=("first", products[0][0], """
        expect caption=Welcome
        shot waiting
        click 1
    """, hold("first waits", "release first")))
    second = threading.Thread(target=run, args=("second", products[1][0], """
        expect message~Another installation
        shot asked
        click %d
    """ % RETRY + START, hold("second asked", "release second")))
    first.start()
    try:
        check(events["first waits"].wait(120), "the first run did not reach its welcome dialog")
        second.start()
        check(events["second asked"].wait(120), "the second run did not ask")
    finally:
        events["release first"].set()
        first.join()
        events["release second"].set()
        if second.ident:
            second.join()
    for name in ("first", "second"):
        check(not isinstance(results.get(name), Exception), "%s run: %s" % (name, results.get(name)))
        expect_done(results[name])
    check(results["second"].messages()[0] ==
          "Another installation is running on this computer !\nFinish it, then choose Retry.",
          results["second"].messages())
    log = read_ini(app(prefix, "remove.inf"))
    check("path" in log, "the log lost its [path] section")
    recorded = sorted(k for k, _ in log["del.step2"])
    check(recorded == sorted("%%AppDir%%\\%s" % f for _, files in products for f in files),
          "%d of %d file records" % (len(recorded), 2 * count))


@scenario
def old_values_come_back_whole(prefix):
    random.seed(11)
    long_line = b"long=" + b"x" * 195
    huge_line = b"huge=" + b"h" * 70000
    config = b"[s]\r\n" + long_line + b"\r\nnul=a\0b\r\n" + huge_line + b"\r\n"
    os.makedirs(app(prefix))
    with open(app(prefix, "config.txt"), "wb") as f:
        f.write(config)
    binary = bytes(random.getrandbits(8) for _ in range(200))
    text = "a" + "".join(random.choice("abcdefghij/%; ") for _ in range(398)) + "z"
    import_registry(prefix, "REGEDIT4\n\n[%s]\n\"Bin\"=hex:%s\n\"Str\"=\"%s\"\n" %
                    (KEY, ",".join("%02x" % b for b in binary), text))
    before = [registry_value(prefix, name) for name in ("Bin", "Str")]
    media = lay_out(prefix, r"""[str.Main]
AppDir\config.txt|s|long=long=new
AppDir\config.txt|s|nul=nul=new
AppDir\config.txt|s|huge=huge=new
[reg.Main]
""" + KEY + "|Bin:REG_BINARY=<01>\n" + KEY + "|Str=new\n")
    t = run_setup(prefix, media, START + """
        expect message~The old value cannot be recorded
        click %(ok)d
        expect message~The old value cannot be recorded
        click %(ok)d
    """ % {"ok": OK})
    expect_done(t)
    check([m.split("\n")[0] for m in t.messages()] == [r"[str.Main] AppDir\config.txt|s|nul",
                                                        r"[str.Main] AppDir\config.txt|s|huge"], t.messages())
    check(read_bytes(app(prefix, "config.txt")) == b"[s]\r\nlong=new\r\nnul=a\0b\r\n" + huge_line + b"\r\n",
          "the lines the log cannot hold were changed")
    check([registry_value(prefix, name) for name in ("Bin", "Str")] == [("REG_BINARY", "01"), ("REG_SZ", "new")],
          "registry not changed")

    remove(prefix, media)
    check(read_bytes(app(prefix, "config.txt")) == config, "the text file did not come back as it was")
    check([registry_value(prefix, name) for name in ("Bin", "Str")] == before, "registry values did not come back")


@scenario
def text_file_with_cr_line_ends(prefix):
    original = b"[boot]\rshell=progman.exe\rdrivers=mmsystem.dll\r\r[386Enh]\rdevice=x\r"
    os.makedirs(app(prefix))
    with open(app(prefix, "cr.ini"), "wb") as f:
        f.write(original)
    media = lay_out(prefix, r"""[str.Main]
AppDir\cr.ini|boot|drivers=drivers=new.drv
AppDir\cr.ini|boot|added=added=1
""")
    expect_done(run_setup(prefix, media, START))
    check(read_bytes(app(prefix, "cr.ini")) ==
          b"[boot]\rshell=progman.exe\rdrivers=new.drv\radded=1\r\r[386Enh]\rdevice=x\r",
          read_bytes(app(prefix, "cr.ini")))
    remove(prefix, media)
    check(read_bytes(app(prefix, "cr.ini")) == original, read_bytes(app(prefix, "cr.ini")))


@scenario
def a_file_that_is_no_script(prefix):
    random.seed(3)
    media = Media(prefix)
    media.write("SETUP.INF", bytes(random.getrandbits(8) for _ in range(20000)))
    t = run_setup(prefix, media, """
        expect message~not an installation script
        click %d
    """ % OK)
    expect_done(t, exit_code=1603)
    check(t.messages() == ["SETUP.INF\nSpecified file is not an installation script !"], t.messages())
    check(t.captions() == ["SetUp"], "dialogs: %s" % t.captions())
