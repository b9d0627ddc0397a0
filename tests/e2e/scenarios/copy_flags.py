"""The flags of copy entries: "+" keeps an existing target, "!" backs it up
once and records its restoration, "-" leaves no record, an empty condition
applies always; and the removal log records that go with each. With no
option groups the selection codes are empty, so the flags follow an empty
alternative, which always holds."""
import os

from harness import Media, check, expect_done, read_bytes, read_ini, run_setup, scenario

HEAD = r"""[SetUp]
silent=1
reboot=0
Y2AOverwrite=%d

[choise]
Main=Main|The program

[path]
AppDir=C:\App
BackUpDir=C:\Backup
RemoveInf=C:\Logs\remove.inf

[disks]
1=Disk one

[Main]
"""

PLAN = """
    expect caption=Welcome
    click 1
"""


def setup(prefix, entries, y2a=0, files=(), existing=()):
    media = Media(prefix)
    media.script(HEAD % y2a + entries)
    for name in files:
        media.write(name, ("new %s\r\n" % name) * 8)
    app = prefix.unix(r"C:\App")
    os.makedirs(app, exist_ok=True)
    for name in existing:
        with open(os.path.join(app, name), "wb") as f:
            f.write(b"old " + name.encode())
    return media


def app_file(prefix, name):
    return read_bytes(os.path.join(prefix.unix(r"C:\App"), name))


@scenario
def plus_minus_and_empty_condition(prefix):
    media = setup(prefix, r"""1:%AppDir%\keep.txt=Keep/,+
1:%AppDir%\fresh.txt=Fresh/,+
1:%AppDir%\slash.txt=Slash/
1:%AppDir%\slash-new.txt=Slash new/
1:%AppDir%\quiet.txt=Quiet/,-
1:%AppDir%\chosen.txt=Chosen only with X/X
""", files=["keep.txt", "fresh.txt", "slash.txt", "slash-new.txt", "quiet.txt", "chosen.txt"],
                  existing=["keep.txt", "slash.txt"])
    t = run_setup(prefix, media, PLAN)
    expect_done(t)  # no overwrite question for the kept targets
    check(app_file(prefix, "keep.txt") == b"old keep.txt", "'+' replaced an existing target")
    check(app_file(prefix, "slash.txt") == b"old slash.txt", "empty condition: '+' did not hold")
    check(app_file(prefix, "fresh.txt").startswith(b"new fresh.txt"), "'+' without a target: not copied")
    check(app_file(prefix, "slash-new.txt").startswith(b"new slash-new.txt"), "empty condition did not apply")
    check(app_file(prefix, "quiet.txt").startswith(b"new quiet.txt"), "'-' entry not copied")
    check(not os.path.exists(os.path.join(prefix.unix(r"C:\App"), "chosen.txt")), "condition X was not chosen")
    log = read_ini(prefix.unix(r"C:\Logs\remove.inf"))
    check(log["del.step2"] == [(r"%AppDir%\fresh.txt", "Fresh"), (r"%AppDir%\slash-new.txt", "Slash new")],
          "delete records: %s" % log["del.step2"])
    check("step1" not in log, "restore records without '!': %s" % log.get("step1"))


@scenario
def bang_backs_up_once(prefix):
    entries = r"""1:%AppDir%\lib.dll=Library/,!
1:%AppDir%\first.dll=First time/,!
"""
    media = setup(prefix, entries, files=["lib.dll", "first.dll"], existing=["lib.dll"])
    t = run_setup(prefix, media, PLAN + """
        expect caption=Confirm File Replace
        click 6
    """)
    expect_done(t)
    check(read_bytes(prefix.unix(r"C:\Backup\lib.dll")) == b"old lib.dll", "backup not made")
    check(app_file(prefix, "lib.dll").startswith(b"new lib.dll"), "target not replaced")
    check(not os.path.exists(prefix.unix(r"C:\Backup\first.dll")), "backup of a target that did not exist")
    log = read_ini(prefix.unix(r"C:\Logs\remove.inf"))
    check(log.get("step1") == [(r"1:%AppDir%\lib.dll", "Library")], "restore records: %s" % log.get("step1"))
    check(log["del.step2"] == [(r"BackUpDir\lib.dll", "Library"), (r"%AppDir%\first.dll", "First time")],
          "delete records: %s" % log["del.step2"])

    # A second installation over the first: the backup keeps the file found
    # before the first one.
    media.script(HEAD % 1 + entries)
    media.write("lib.dll", b"newer lib.dll" * 8)
    t = run_setup(prefix, media, PLAN, name="again")
    expect_done(t)
    check(read_bytes(prefix.unix(r"C:\Backup\lib.dll")) == b"old lib.dll", "older backup replaced")
    check(app_file(prefix, "lib.dll") == b"newer lib.dll" * 8, "second install did not replace the target")
    # first.dll exists now, so this time it is backed up too.
    check(read_bytes(prefix.unix(r"C:\Backup\first.dll")).startswith(b"new first.dll"), "second backup")
    log = read_ini(prefix.unix(r"C:\Logs\remove.inf"))
    check(log.get("step1") == [(r"1:%AppDir%\lib.dll", "Library"), (r"1:%AppDir%\first.dll", "First time")],
          "restore records: %s" % log.get("step1"))
    check(sorted(log["del.step2"]) == [(r"%AppDir%\first.dll", "First time"), (r"BackUpDir\first.dll", "First time"),
                                       (r"BackUpDir\lib.dll", "Library")],
          "delete records: %s" % log["del.step2"])
