"""Program group entries against Wine's Program Manager (the DDE server of
the desktop process), against a stand-in that ends every conversation after a
few commands, and with no Program Manager at all: what Program Manager does
not carry out is made as a folder of shell links. The windows Program
Manager opens on a group are closed before the run's last dialog."""
import os
import time

from harness import (Media, check, entries, expect_done, lnk_arguments, lnk_target, run_actions, run_setup,
                     scenario)

VARS = r"""
[driver]
codes=A
[vars]
AppDir=C:\app
"""


def make_target(prefix):
    # Program Manager makes a link only when its target exists.
    for folder in ("app", "My Tools"):
        os.makedirs(os.path.join(prefix.drive_c, folder))
        with open(os.path.join(prefix.drive_c, folder, "edit.exe"), "wb") as f:
            f.write(b"MZ")


def expect_one_conversation(records):
    handles = {r["conversation"] for r in entries(records)}
    check(len(handles) == 1 and 0 not in handles, "not one conversation for the run: %s" % records)
    check(all(r["alive"] == 1 for r in entries(records)), records)


@scenario
def items_and_groups(prefix):
    make_target(prefix)
    media = Media(prefix)
    tools = os.path.join(prefix.programs, "Tools")

    t, records = run_actions(prefix, media, VARS + r"""
[run]
1=group.Main
[group.Main]
Tools|Never=%AppDir%\edit.exe,Never/Z
Tools|Editor=%AppDir%\edit.exe,Editor
Tools|Viewer=%AppDir%\edit.exe,Viewer
Tools|Edit x=%AppDir%\edit.exe //x,Edit x
""", name="install")
    expect_done(t)
    first = entries(records)
    # The entry whose condition fails opens no conversation; the next one does.
    check(first[0]["conversation"] == 0, records)
    expect_one_conversation(records[2:])
    check(all(r["result"] == "go on" for r in first), records)
    check(sorted(os.listdir(tools)) == ["Edit x.lnk", "Editor.lnk", "Viewer.lnk"], os.listdir(tools))
    check(lnk_target(os.path.join(tools, "Editor.lnk")).lower() == r"c:\app\edit.exe",
          lnk_target(os.path.join(tools, "Editor.lnk")))
    # Wine's Program Manager refuses a command line with arguments; the link
    # is made all the same, the arguments apart from the program.
    edit_x = os.path.join(tools, "Edit x.lnk")
    check((lnk_target(edit_x).lower(), lnk_arguments(edit_x)) == (r"c:\app\edit.exe", "/x"),
          (lnk_target(edit_x), lnk_arguments(edit_x)))

    # Empty arguments only remove the item; a repeated item is replaced, not doubled.
    t, records = run_actions(prefix, media, VARS + r"""
[run]
1=group.Main
2=group.Again
[group.Main]
Tools|Viewer=
Tools|Edit x=
[group.Again]
Tools|Editor=%AppDir%\edit.exe,Editor
""", name="again")
    expect_done(t)
    expect_one_conversation(records)
    check(sorted(os.listdir(tools)) == ["Editor.lnk"], os.listdir(tools))

    t, records = run_actions(prefix, media, VARS + r"""
[run]
1=group.Main
[group.Main]
Tools=
""", name="remove")
    expect_done(t)
    expect_one_conversation(records)
    check(not os.path.exists(tools), "the group is still there")


@scenario
def no_program_manager(prefix):
    # In a window station that is not visible Wine starts no desktop process,
    # so nothing serves PROGMAN and the initiate broadcast goes unanswered:
    # the group is made as a folder of shell links.
    make_target(prefix)
    with open(os.path.join(prefix.drive_c, "app", "old.txt"), "w") as f:
        f.write("x")
    media = Media(prefix)
    tools = os.path.join(prefix.programs, "Tools")
    head = r"""
[driver]
codes=A
shell=none
[vars]
AppDir=C:\app
"""
    t, records = run_actions(prefix, media, head + r"""
[run]
1=group.Main
2=group.Later
3=del.Main
[group.Main]
Tools|Editor=%AppDir%\edit.exe,Editor
Tools|Viewer=%AppDir%\edit.exe,Viewer
Tools|New editor=%AppDir%\edit.exe -n,"Editor, new",%AppDir%\edit.exe,2
Tools|Help=%AppDir%\help.txt
Tools|Spaced=C:\My Tools\edit.exe -s,Spaced
Tools|Quoted="C:\My Tools\edit.exe" -q,Quoted
[group.Later]
Tools|Viewer=
[del.Main]
%AppDir%\old.txt=Old
""")
    expect_done(t)
    check(records[0] == {"mainWindow": 1}, "the conversation had no parent window: %s" % records)
    groups = entries(records, "group.Main") + entries(records, "group.Later")
    check(len(groups) == 7 and all(r["result"] == "go on" and r["conversation"] == 0 for r in groups), records)
    # One broadcast per entry and no wait for answers that cannot come (the
    # first entry also loads the shell's libraries).
    check(all(r["ms"] < 1000 for r in groups[1:]), "an entry waited: %s" % groups)
    check([r["result"] for r in entries(records, "del.Main")] == ["go on"], records)
    check(not os.path.exists(os.path.join(prefix.drive_c, "app", "old.txt")), "the pass did not go on")
    # An item without a name is called after its file, as Program Manager
    # calls it, and its target need not exist yet.
    check(sorted(os.listdir(tools)) == ["Editor, new.lnk", "Editor.lnk", "Quoted.lnk", "Spaced.lnk", "help.lnk"],
          os.listdir(tools))
    # The program of a command line is what names a file, blanks and all.
    made = {name: (lnk_target(os.path.join(tools, name + ".lnk")).lower(),
                   lnk_arguments(os.path.join(tools, name + ".lnk"))) for name in ("Editor, new", "Spaced", "Quoted")}
    check(made == {"Editor, new": (r"c:\app\edit.exe", "-n"), "Spaced": (r"c:\my tools\edit.exe", "-s"),
                   "Quoted": (r"c:\my tools\edit.exe", "-q")}, made)

    # The group goes with its links; a folder that holds something else stays.
    with open(os.path.join(tools, "notes.txt"), "w") as f:
        f.write("mine")
    removal = head + "[run]\n1=group.Main\n[group.Main]\nTools=\n"
    t, records = run_actions(prefix, media, removal, name="remove")
    expect_done(t)
    check([r["result"] for r in entries(records, "group.Main")] == ["go on"], records)
    check(os.listdir(tools) == ["notes.txt"], os.listdir(tools))
    os.remove(os.path.join(tools, "notes.txt"))
    expect_done(run_actions(prefix, media, removal, name="again")[0])
    check(not os.path.exists(tools), "the empty group folder stayed")


@scenario
def conversation_ended_by_the_server(prefix):
    # The stand-in ends each conversation after two commands, as a shell that
    # closes its side: every later entry still reaches it, over a new one.
    media = Media(prefix)
    t, records = run_actions(prefix, media, r"""
[driver]
shell=none
progman=2
[vars]
AppDir=C:\app
[run]
1=group.Main
[group.Main]
Tools|Editor=%AppDir%\edit.exe,Editor
Tools|Viewer=%AppDir%\edit.exe,Viewer
Tools=
""")
    expect_done(t)
    served = [(r["standin"], r["command"]) for r in records if "standin" in r]
    check(served == [(1, '[ShowGroup("Tools",1)][DeleteItem(Editor)]'),
                     (1, '[CreateGroup("Tools")][ShowGroup("Tools",1)][AddItem(C:\\app\\edit.exe,Editor)]'),
                     (2, '[ShowGroup("Tools",1)][DeleteItem(Viewer)]'),
                     (2, '[CreateGroup("Tools")][ShowGroup("Tools",1)][AddItem(C:\\app\\edit.exe,Viewer)]'),
                     (3, '[DeleteGroup("Tools")]')], "commands the server got: %s" % served)
    check(all(r["result"] == "go on" for r in entries(records)), records)


@scenario
def group_windows_are_closed_before_the_last_dialog(prefix):
    # Program Manager opens a window on the group for each command that shows
    # it, a moment after answering: without the run closing them they would
    # come up over the restart question and stay after the run.
    make_target(prefix)
    media = Media(prefix)
    media.script(r"""[SetUp]
silent=1
reboot=1
[choise]
Main=Main
[path]
AppDir=C:\app
[disks]
1=Disk one
[Main]
[group.Main]
Tools|Editor=%AppDir%\edit.exe,Editor
Tools|Viewer=%AppDir%\edit.exe,Viewer
""")
    shells = []

    def while_the_question_is_open(name):
        # Wine's shell runs each folder window as a program of its own, beside
        # the desktop's: wait until only that one is left.
        deadline = time.time() + 30
        while True:
            shells[:] = [p for p in prefix.processes() if p.lower() == "explorer.exe"]
            if len(shells) <= 1 or time.time() > deadline:
                break
            time.sleep(0.5)

    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Installation Complete
        shot question
        click 2
    """, args=r"/log=C:\setup.log", on_shot=while_the_question_is_open)
    expect_done(t, exit_code=3010)
    check(len(shells) <= 1, "folder windows still open over the last dialog: %s" % shells)
    with open(prefix.unix(r"C:\setup.log"), encoding="latin-1") as f:
        closed = [line for line in f if "Closed the window Program Manager opened on Tools" in line]
    check(closed, "Program Manager opened no window to close")
    check(sorted(os.listdir(os.path.join(prefix.programs, "Tools"))) == ["Editor.lnk", "Viewer.lnk"],
          os.listdir(os.path.join(prefix.programs, "Tools")))


def unicode_script(text):
    """A script that holds text beyond the code page: UTF-16LE with its mark."""
    return ("\ufeff" + text.replace("\r\n", "\n").replace("\n", "\r\n")).encode("utf-16-le")


@scenario
def names_beyond_program_manager(prefix):
    # Program Manager carries names up to U+00FF only (Wine's refuses the
    # command beyond that): a group with any other character in its name is
    # made as a folder of links at once, in a run that shows its windows too,
    # and its removal goes the same way.
    make_target(prefix)
    media = Media(prefix)
    name = "Caf\u00e9 \u03a9mega \u4e2d\u6587"
    group = os.path.join(prefix.programs, name)
    t, records = run_actions(prefix, media, unicode_script(VARS + r"""
[run]
1=group.Main
[group.Main]
%s|Editor=%%AppDir%%\edit.exe,Editor
%s|Viewer %s=%%AppDir%%\edit.exe,Viewer %s
""" % (name, name, "\u03a9", "\u03a9")), name="install")
    expect_done(t)
    check([(r["result"], r["conversation"]) for r in entries(records)] == [("go on", 0)] * 2, records)
    check(sorted(os.listdir(group)) == ["Editor.lnk", "Viewer \u03a9.lnk"],
          os.listdir(group) if os.path.isdir(group) else os.listdir(prefix.programs))
    check(lnk_target(os.path.join(group, "Editor.lnk")).lower() == r"c:\app\edit.exe",
          lnk_target(os.path.join(group, "Editor.lnk")))

    t, records = run_actions(prefix, media, unicode_script(VARS + "[run]\n1=group.Main\n[group.Main]\n%s=\n" % name),
                             name="remove")
    expect_done(t)
    check([(r["result"], r["conversation"]) for r in entries(records)] == [("go on", 0)], records)
    check(not os.path.exists(group), "the group is still there")
