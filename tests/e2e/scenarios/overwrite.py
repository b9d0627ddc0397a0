"""The overwrite question for existing targets: Skip, Cancel, Yes to all,
Y2AOverwrite from the script, read-only targets, and the question's text."""
import os
import re
import time

from harness import Media, check, control_text, expect_done, read_bytes, run_setup, scenario

SCRIPT = r"""[SetUp]
silent=1
reboot=%(reboot)d
Y2AOverwrite=%(y2a)d

[choise]
Main=Main|The program

[path]
AppDir=C:\App

[disks]
1=Disk one

[Main]
1:%%AppDir%%\a.txt=A
1:%%AppDir%%\b.txt=B
1:%%AppDir%%\c.txt=C
"""
NEW = {n: (n * 5000).encode() for n in "abc"}
OLD_TIME = time.mktime((2001, 2, 3, 4, 5, 0, 0, 0, -1))


def setup(prefix, reboot=0, y2a=0, read_only=()):
    media = Media(prefix)
    media.script(SCRIPT % {"reboot": reboot, "y2a": y2a})
    for name, data in NEW.items():
        media.write(name + ".txt", data)
    app = prefix.unix(r"C:\App")
    os.makedirs(app)
    for name in "abc":
        path = os.path.join(app, name + ".txt")
        with open(path, "wb") as f:
            f.write(b"old" * 1000)
        os.utime(path, (OLD_TIME, OLD_TIME))
        if name in read_only:
            os.chmod(path, 0o444)
    return media


def installed(prefix, name):
    return read_bytes(os.path.join(prefix.unix(r"C:\App"), name + ".txt"))


@scenario
def skip_then_cancel(prefix):
    media = setup(prefix, reboot=1)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Confirm File Replace
        click 5
        expect caption=Confirm File Replace
        click 2
    """)
    expect_done(t, exit_code=1602)  # the pass ended: no restart prompt follows
    check(installed(prefix, "a") == b"old" * 1000, "skipped target replaced")
    check(installed(prefix, "b") == b"old" * 1000, "cancelled target replaced")
    check(installed(prefix, "c") == b"old" * 1000, "pass went on after Cancel")
    questions = t.dialogs()[1:]
    text = control_text(questions[0], 100)
    lines = text.split("\n")
    check(len(lines) == 6, "question text: %r" % text)
    check(lines[0] == r"C:\App\a.txt" and lines[1] == "2KB", "target lines: %r" % lines[:2])
    check(lines[3] == r"C:\media\a.txt" and lines[4] == "4KB", "source lines: %r" % lines[3:5])
    # Local date and time of the target's last change, without seconds.
    check(re.match(r"modified  on .*2001.*, .*\d:05(\D|$)", lines[2]) and ":00" not in lines[2][-6:],
          "target stamp: %r" % lines[2])
    check(lines[5].startswith("modified  on "), "source stamp: %r" % lines[5])
    check(control_text(questions[1], 100).startswith("C:\\App\\b.txt\n"), "second question")


@scenario
def yes_to_all_replaces_read_only_targets(prefix):
    media = setup(prefix, read_only="bc")
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Confirm File Replace
        click 101
    """)
    expect_done(t)  # one question only
    for name in "abc":
        check(installed(prefix, name) == NEW[name], "%s.txt not replaced" % name)


@scenario
def y2a_overwrite_asks_nothing(prefix):
    media = setup(prefix, y2a=7, read_only="a")
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
    """)
    expect_done(t)
    for name in "abc":
        check(installed(prefix, name) == NEW[name], "%s.txt not replaced" % name)
