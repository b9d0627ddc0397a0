"""Program group entries against Wine's Program Manager (the DDE server of
the desktop process), against a stand-in that ends every conversation after a
few commands, and with no Program Manager at all."""
import os

from harness import Media, check, entries, expect_done, lnk_target, run_actions, scenario

VARS = r"""
[driver]
codes=A
[vars]
AppDir=C:\app
"""


def make_target(prefix):
    # Program Manager makes a link only when its target exists.
    os.makedirs(os.path.join(prefix.drive_c, "app"))
    with open(os.path.join(prefix.drive_c, "app", "edit.exe"), "wb") as f:
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
""", name="install")
    expect_done(t)
    first = entries(records)
    # The entry whose condition fails opens no conversation; the next one does.
    check(first[0]["conversation"] == 0, records)
    expect_one_conversation(records[2:])
    check(all(r["result"] == 0 for r in first), records)
    check(sorted(os.listdir(tools)) == ["Editor.lnk", "Viewer.lnk"], os.listdir(tools))
    check(lnk_target(os.path.join(tools, "Editor.lnk")).lower() == r"c:\app\edit.exe",
          lnk_target(os.path.join(tools, "Editor.lnk")))

    # Empty arguments only remove the item; a repeated item is replaced, not doubled.
    t, records = run_actions(prefix, media, VARS + r"""
[run]
1=group.Main
2=group.Again
[group.Main]
Tools|Viewer=
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
    # so nothing serves PROGMAN and the initiate broadcast goes unanswered.
    make_target(prefix)
    with open(os.path.join(prefix.drive_c, "app", "old.txt"), "w") as f:
        f.write("x")
    media = Media(prefix)
    t, records = run_actions(prefix, media, r"""
[driver]
codes=A
shell=none
[vars]
AppDir=C:\app
[run]
1=group.Main
2=del.Main
[group.Main]
Tools|Editor=%AppDir%\edit.exe,Editor
Tools|Viewer=%AppDir%\edit.exe,Viewer
Tools=
[del.Main]
%AppDir%\old.txt=Old
""")
    expect_done(t)
    check(records[0] == {"mainWindow": 1}, "the conversation had no parent window: %s" % records)
    groups = entries(records, "group.Main")
    check(len(groups) == 3 and all(r["result"] == 0 and r["conversation"] == 0 for r in groups), records)
    # One broadcast per entry and no wait for answers that cannot come.
    check(all(r["ms"] < 1000 for r in groups), "an entry waited: %s" % groups)
    check([r["result"] for r in entries(records, "del.Main")] == [0], records)
    check(not os.path.exists(os.path.join(prefix.drive_c, "app", "old.txt")), "the pass did not go on")
    check(not os.path.exists(os.path.join(prefix.programs, "Tools")), "something made the group")


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
    check(all(r["result"] == 0 for r in entries(records)), records)
