"""Copies that fail and the user's answers: a missing source (Retry, Ignore,
Abort), a target that cannot be created (also one named like a device), a
directory that cannot be made, a compressed file that ends early or whose
header is damaged, a plain file that shrinks while it is copied, and Cancel in
the progress dialog; the status lines a prompt finds after a run of quick
copies."""
import os
import random
import threading
import time

from harness import (Media, check, compressed, control_text, expect_done, read_bytes, read_ini, read_text, run_setup,
                     scenario)

SCRIPT = r"""[SetUp]
silent=1
reboot=1

[choise]
Main=Main|The program

[path]
AppDir=C:\App
RemoveInf=C:\App\remove.inf

[disks]
1=Disk one

[Main]
"""

START = """
    expect caption=Welcome
    click 1
"""
NO_RESTART = """
    expect caption=Installation Complete
    click 2
"""
ABORT, RETRY, IGNORE = 3, 4, 5


def setup(prefix, entries, files=()):
    media = Media(prefix)
    media.script(SCRIPT + entries)
    for name in files:
        media.write(name, ("%s\r\n" % name) * 10)
    return media


def app(prefix, name):
    return os.path.join(prefix.unix(r"C:\App"), name)


def status_lines_at_abort(prefix, media, message):
    """Runs until the message, reads the progress dialog's status lines while
    it is up, answers Abort; returns the four lines."""
    t = run_setup(prefix, media, START + """
        expect message~%s
        peek control=300
        click %d
    """ % (message, ABORT))
    expect_done(t, exit_code=1603)
    shown = t.find(control=300, event=("snap",))
    return [control_text(shown, cid) for cid in (200, 100, 110, 120)] if shown else None


@scenario
def missing_source_retry_then_ignore(prefix):
    media = setup(prefix, "1:%AppDir%\\gone.txt=Gone\n1:%AppDir%\\here.txt=Here\n", files=["here.txt"])
    t = run_setup(prefix, media, START + """
        expect message~Cannot open specified file
        click %d
        expect message~Cannot open specified file
        click %d
    """ % (RETRY, IGNORE) + NO_RESTART)
    expect_done(t, exit_code=3010)  # completed; the restart asked for was put off
    check(t.messages() == ["C:\\media\\gone.txt\nCannot open specified file !"] * 2, "messages: %s" % t.messages())
    check(not os.path.exists(app(prefix, "gone.txt")), "a missing source made a target")
    check(read_bytes(app(prefix, "here.txt")) == b"here.txt\r\n" * 10, "the pass did not go on")
    # Recorded before the copy was tried.
    log = read_ini(prefix.unix(r"C:\App\remove.inf"))
    check([k for k, _ in log["del.step2"]] == [r"%AppDir%\gone.txt", r"%AppDir%\here.txt"], log["del.step2"])


@scenario
def missing_source_abort(prefix):
    media = setup(prefix, "1:%AppDir%\\gone.txt=Gone\n1:%AppDir%\\here.txt=Here\n", files=["here.txt"])
    t = run_setup(prefix, media, START + """
        expect message~Cannot open specified file
        click %d
    """ % ABORT)
    expect_done(t, exit_code=1603)  # and no restart prompt
    check(not os.path.exists(app(prefix, "here.txt")), "the pass went on after Abort")
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())


@scenario
def status_lines_at_a_prompt_name_its_entry(prefix):
    # Quick copies paint their status at most once a frame: the box about the
    # missing file must still find the status lines naming that file.
    names = ["f%02d.txt" % i for i in range(60)]
    media = setup(prefix, "".join("1:%%AppDir%%\\%s=File %s\n" % (n, n) for n in names) +
                  "1:%AppDir%\\gone.txt=Gone\n", files=names)
    lines = status_lines_at_abort(prefix, media, "Cannot open specified file")
    check(lines == ["Copy:\n\nFrom:\n\nTo:", "Gone", "C:\\media\\gone.txt", "C:\\App\\gone.txt"], lines)
    check(read_bytes(app(prefix, "f59.txt")) == b"f59.txt\r\n" * 10, "the copies before it were not made")


@scenario
def target_and_directory_cannot_be_made(prefix):
    media = setup(prefix, "1:%AppDir%\\taken\\x.txt=In a file's place\n1:%AppDir%\\dir.txt=A directory\n"
                          "1:%AppDir%\\fine.txt=Fine\n", files=["x.txt", "dir.txt", "fine.txt"])
    os.makedirs(app(prefix, "dir.txt"))
    with open(app(prefix, "taken"), "wb") as f:
        f.write(b"a file where a directory should be")
    t = run_setup(prefix, media, START + """
        expect message~Cannot create specified directory
        click %(retry)d
        expect message~Cannot create specified directory
        click %(ignore)d
        expect message~Cannot create specified file
        click %(ignore)d
        expect message~Cannot create specified file
        click %(retry)d
        expect message~Cannot create specified file
        click %(ignore)d
    """ % {"retry": RETRY, "ignore": IGNORE} + NO_RESTART)
    expect_done(t, exit_code=3010)
    check(t.messages() == ["C:\\App\\taken\nCannot create specified directory !!"] * 2 +
          ["C:\\App\\taken\\x.txt\nCannot create specified file !"] +
          ["C:\\App\\dir.txt\nCannot create specified file !"] * 2, "messages: %s" % t.messages())
    check(read_bytes(app(prefix, "fine.txt")) == b"fine.txt\r\n" * 10, "the pass did not go on")


@scenario
def device_name_target_is_refused(prefix):
    # The platform takes NUL.txt in any directory for its null device: the
    # copy would vanish without a word. A quiet run answers Abort for the user.
    media = setup(prefix, "1:%AppDir%\\first.txt=First\n1:%AppDir%\\NUL.txt=Nowhere\n1:%AppDir%\\last.txt=Last\n",
                  files=["first.txt", "NUL.txt", "last.txt"])
    t = run_setup(prefix, media, "", args=r"/quiet /log=C:\quiet.log")
    expect_done(t, exit_code=1603)
    check(t.events == [t.end], "a quiet run showed: %s" % t.events[:-1])
    with open(prefix.unix(r"C:\quiet.log"), encoding="latin-1") as f:
        lines = [line[9:] for line in f.read().splitlines()]  # without the time of day
    check("Message 103: C:\\App\\NUL.txt | Cannot create specified file ! -> Abort (quiet)" in lines, lines)
    check(sorted(os.listdir(prefix.unix(r"C:\App"))) == ["first.txt", "remove.inf"],
          "installed: %s" % os.listdir(prefix.unix(r"C:\App")))
    log = read_ini(prefix.unix(r"C:\App\remove.inf"))
    check([k for k, _ in log["del.step2"]] == [r"%AppDir%\first.txt"], log["del.step2"])


@scenario
def compressed_file_ending_early(prefix):
    data = bytes(range(256)) * 40
    packed = compressed(data)
    media = setup(prefix, "1:%AppDir%\\cut.bin=Cut\n1:%AppDir%\\whole.bin=Whole\n")
    media.write("cut.bin", packed[:len(packed) // 2])
    media.write("whole.bin", packed)
    t = run_setup(prefix, media, START + """
        expect message~Lempel-Ziv
        click %d
    """ % IGNORE + NO_RESTART)
    expect_done(t, exit_code=3010)
    check(t.messages() == ["Lempel-Ziv Encoding Error #-3 !"], "messages: %s" % t.messages())
    check(read_bytes(app(prefix, "whole.bin")) == data, "the pass did not go on")


@scenario
def plain_file_that_shrinks_while_copied(prefix):
    # The second file is opened while the first one's data still moves, and
    # cut to half before its own data moves: what arrives is not the file
    # that was opened, and it is not installed.
    media = setup(prefix, "1:%AppDir%\\first.bin=First\n1:%AppDir%\\shrinks.bin=Shrinks\n")
    with open(os.path.join(media.path, "first.bin"), "wb") as f:
        f.truncate(200 << 20)
    media.write("shrinks.bin", bytes(range(256)) * 4096)
    log, shrinks = prefix.unix(r"C:\App\remove.inf"), os.path.join(media.path, "shrinks.bin")
    first_target = app(prefix, "first.bin")

    def cut_when_opened():
        deadline = time.time() + 60
        while time.time() < deadline:
            opened = os.path.exists(log) and "shrinks.bin" in read_text(log)
            if opened and os.path.exists(first_target) and os.path.getsize(first_target) >= 32 << 20:
                os.truncate(shrinks, 512 << 10)
                return
            time.sleep(0.001)

    cutter = threading.Thread(target=cut_when_opened)
    cutter.start()
    t = run_setup(prefix, media, START + """
        expect message~changed while it was read
        click %d
    """ % ABORT)
    cutter.join()
    expect_done(t, exit_code=1603)
    check(t.messages() == [media.windows_path + "\\shrinks.bin\nThe file on the media is damaged or changed while it "
                           "was read: it is not installed !"], "messages: %s" % t.messages())
    check(not os.path.exists(app(prefix, "shrinks.bin")), "the cut file was installed")


@scenario
def failure_found_after_the_next_entry_began(prefix):
    # A file's data still moves while the next entries are recorded and their
    # targets made: the failure at the end of the data is asked about with its
    # own entry on the status lines, and after Abort nothing of the entries
    # after it stays, whether their data had moved or not.
    packed = compressed(bytes(range(256)) * 40)
    media = setup(prefix, "1:%AppDir%\\cut.bin=Cut\n1:%AppDir%\\next.bin=Next\n1:%AppDir%\\last.bin=Last\n")
    media.write("cut.bin", packed[:len(packed) // 2])
    media.write("next.bin", packed)
    media.write("last.bin", packed)
    lines = status_lines_at_abort(prefix, media, "Lempel-Ziv")
    check(lines == ["Copy:\n\nFrom:\n\nTo:", "Cut", "C:\\media\\cut.bin", "C:\\App\\cut.bin"], lines)
    check(sorted(os.listdir(prefix.unix(r"C:\App"))) == ["remove.inf"],
          "left after Abort: %s" % os.listdir(prefix.unix(r"C:\App")))


@scenario
def damaged_compressed_files_are_never_copied_as_they_are(prefix):
    # The LZ library takes a file with a damaged header for a plain one, and
    # expands data that is not what its header says without a word.
    random.seed(5)
    noise = bytes(random.getrandbits(8) for _ in range(19994))
    signature = b"SZDD\x88\xf0\x27\x33"
    data = bytes(range(256)) * 40
    media = setup(prefix, "".join("1:%%AppDir%%\\%s=%s\n" % (n, n) for n in ("mode.bin", "short.bin", "noise.bin",
                                                                               "whole.bin")))
    media.write("mode.bin", signature + b"B\0" + noise[:4] + noise)      # 20,008 bytes, method not 'A'
    media.write("short.bin", signature + b"A\0\x10")                     # the header cut short
    media.write("noise.bin", signature + b"A\0" + (100).to_bytes(4, "little") + noise)
    media.write("whole.bin", compressed(data))
    t = run_setup(prefix, media, START + """
        expect message~Lempel-Ziv
        click %(ignore)d
        expect message~Lempel-Ziv
        click %(retry)d
        expect message~Lempel-Ziv
        click %(ignore)d
        expect message~Lempel-Ziv
        click %(ignore)d
    """ % {"retry": RETRY, "ignore": IGNORE} + NO_RESTART)
    expect_done(t, exit_code=3010)
    check(t.messages() == ["Lempel-Ziv Encoding Error #%d !" % code for code in (-8, -3, -3, -7)],
          "messages: %s" % t.messages())
    check(sorted(os.listdir(prefix.unix(r"C:\App"))) == ["remove.inf", "whole.bin"],
          "installed: %s" % os.listdir(prefix.unix(r"C:\App")))
    check(read_bytes(app(prefix, "whole.bin")) == data, "the pass did not go on")


def cancel_during_copy(prefix, press):
    """The first target exists, so its copy stops at the overwrite question;
    the progress dialog is cancelled meanwhile and the copy then confirmed."""
    media = setup(prefix, "1:%AppDir%\\first.txt=First\n1:%AppDir%\\second.txt=Second\n",
                  files=["first.txt", "second.txt"])
    os.makedirs(prefix.unix(r"C:\App"), exist_ok=True)
    with open(app(prefix, "first.txt"), "wb") as f:
        f.write(b"old")
    t = run_setup(prefix, media, START + """
        expect caption=Confirm File Replace
        press %s control=301
        click 6
    """ % press)
    expect_done(t, exit_code=1602)  # the pass ended: no restart prompt
    check(read_bytes(app(prefix, "first.txt")) == b"first.txt\r\n" * 10, "the copy under way did not finish")
    check(not os.path.exists(app(prefix, "second.txt")), "the pass went on after Cancel")
    check(not any(e["event"] == "missing" for e in t.events), "no progress dialog to press")


@scenario
def cancel_button_of_progress(prefix):
    cancel_during_copy(prefix, "2")


@scenario
def close_box_of_progress(prefix):
    cancel_during_copy(prefix, "close")
