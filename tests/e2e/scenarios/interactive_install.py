"""Interactive installs from the component dialog: the selection decides
which sections the pass visits, Cancel runs no pass, a cancelled path dialog
leaves the dialog open for a second OK, a removal log completed into a script
and run in remove mode puts the saved files back, and the sample product
installs and is removed again with the demo's own answers."""
import os
import time

from harness import (SAMPLE_EARLIER_RUNTIME, Media, check, control, differences, expect_done, lnk_target, read_bytes,
                     read_ini, registry_differences, run_setup, sample_earlier_version, sample_media, sample_plan,
                     scenario, snapshot)

DONE = "Installation Complete"
PATH_DIALOG = "Destination Directory"

SECTIONS = r"""[SetUp]
name=Product

[choise]
Main=Main|The program
Extras=Extras|Optional extras
Always=Always

[path]
AppDir=C:\App%(prompt)s
RemoveInf=C:\Logs\remove.inf

[disks]
1=Disk one

[Main]
1:%%AppDir%%\main.txt=Main file
[!Main]
1:%%AppDir%%\no-main.txt=Without main
[Extras]
1:%%AppDir%%\extras.txt=Extras
[!Extras]
1:%%AppDir%%\no-extras.txt=Without extras
[Always]
1:%%AppDir%%\always.txt=Always
[!Always]
1:%%AppDir%%\no-always.txt=Without always

[del.Main]
C:\Old\main-selected.txt=Old
[del.!Main]
C:\Old\main-left-out.txt=Old
[del.Extras]
C:\Old\extras-selected.txt=Old
[del.!Extras]
C:\Old\extras-left-out.txt=Old
"""
COPIED = ["main.txt", "no-main.txt", "extras.txt", "no-extras.txt", "always.txt", "no-always.txt"]
OLD = ["main-selected.txt", "main-left-out.txt", "extras-selected.txt", "extras-left-out.txt"]


def lay_out(prefix, prompt=""):
    media = Media(prefix)
    media.script(SECTIONS % {"prompt": prompt})
    for name in COPIED:
        media.write(name, "%s from the media\r\n" % name)
    old = prefix.unix(r"C:\Old")
    os.makedirs(old)
    for name in OLD:
        with open(os.path.join(old, name), "w") as f:
            f.write("old")
    return media


def listing(prefix, directory):
    path = prefix.unix(directory)
    return sorted(os.listdir(path)) if os.path.isdir(path) else []


@scenario
def selection_decides_the_sections_and_cancel_runs_no_pass(prefix):
    media = lay_out(prefix)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Product
        click 2
    """, name="cancel")
    expect_done(t, exit_code=1602)
    check(t.captions() == ["Welcome", "Product"], t.captions())
    check(listing(prefix, r"C:\App") == [] and listing(prefix, r"C:\Old") == sorted(OLD), "a pass ran")
    check(not os.path.exists(prefix.unix(r"C:\Logs\remove.inf")), "a removal log was written")

    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Product
        item 500 1
        click 1
        expect caption=%s
        click 2
    """ % DONE, name="install")
    expect_done(t, exit_code=3010)  # Later: the restart the script asks for by default is put off
    check(t.captions() == ["Welcome", "Product", DONE], t.captions())
    opened = t.find(caption="Product")
    check(control(opened, 220)["text"] == "Selected 2\nItems to Install", "the hidden component is not counted")
    # Extras was cleared: its "!" sections ran instead of its own.
    check(listing(prefix, r"C:\App") == ["always.txt", "main.txt", "no-extras.txt"], listing(prefix, r"C:\App"))
    check(listing(prefix, r"C:\Old") == ["extras-selected.txt", "main-left-out.txt"], listing(prefix, r"C:\Old"))


@scenario
def cancelled_path_dialog_leaves_the_dialog_open(prefix):
    media = lay_out(prefix, prompt=";the program")
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Product
        click 1
        expect caption=%(path)s
        click 2
        ready 1 caption=Product
        press 1 caption=Product
        expect caption=%(path)s
        text 200 C:\\Elsewhere\\
        click 1
        expect caption=%(done)s
        click 2
    """ % {"path": PATH_DIALOG, "done": DONE})
    expect_done(t, exit_code=3010)  # the second pass completed; what ended the first no longer counts
    check(t.captions() == ["Welcome", "Product", PATH_DIALOG, PATH_DIALOG, DONE], t.captions())
    after = [e for e in t.events if e["event"] == "snap" and e["caption"] == "Product"]
    check(len(after) == 1 and control(after[0], 1)["enabled"], "OK not usable again after the failed pass")
    check(listing(prefix, r"C:\App") == [], "the first pass copied files")
    check(listing(prefix, r"C:\Elsewhere") == ["always.txt", "extras.txt", "main.txt"],
          listing(prefix, r"C:\Elsewhere"))
    check(dict(read_ini(prefix.unix(r"C:\Logs\remove.inf"))["path"])["AppDir"] == r"C:\Elsewhere",
          "the log does not hold the path of the second pass")


INSTALL = r"""[SetUp]
silent=1
reboot=0
Y2AOverwrite=1

[choise]
Main=Main|The program

[path]
AppDir=C:\App
BackUpDir=C:\Backup
RemoveInf=C:\Logs\remove.inf

[disks]
1=Disk one

[Main]
1:%AppDir%\program.txt=Program
1:shared.txt=Shared file/,!
"""
# What the removal log leaves to the product: the parts that make it a script.
COMPLETION = """
[SetUp]
remove=1

[choise]
Restore saved files=step1|Put back the files that were replaced
Delete installed files=step2|Remove the files that were added

[disks]
1=Disk one
"""


@scenario
def removal_log_run_in_remove_mode_puts_saved_files_back(prefix):
    shared = os.path.join(prefix.windows, "shared.txt")
    with open(shared, "wb") as f:
        f.write(b"the shared file as it was before")
    media = Media(prefix)
    media.script(INSTALL)
    media.write("program.txt", "the program\r\n")
    media.write("shared.txt", "the new shared file\r\n")
    expect_done(run_setup(prefix, media, """
        expect caption=Welcome
        click 1
    """, name="install"))
    check(read_bytes(shared) == b"the new shared file\r\n", "the install did not replace the shared file")
    backup = prefix.unix(r"C:\Backup")
    check(os.listdir(backup) == ["shared.txt"], os.listdir(backup))

    log = prefix.unix(r"C:\Logs\remove.inf")
    wide = read_bytes(log)[:2] == b"\xff\xfe"  # the log's own form
    with open(log, "ab") as f:
        f.write(COMPLETION.replace("\n", "\r\n").encode("utf-16-le" if wide else "latin-1"))
    before = read_bytes(log)
    # The removal runs from the backup directory, where the saved files are.
    remover = Media(prefix, "Backup")
    t = run_setup(prefix, remover, """
        expect caption=Welcome
        click 1
        expect caption=SetUp
        click 1
        expect caption=Confirm File Replace
        click 6
        expect caption=%s
        click 2
    """ % DONE, args=r"C:\Logs\remove.inf", name="remove")
    expect_done(t, exit_code=3010)
    counter = control(t.find(caption="SetUp", control=500), 220)["text"]
    check(counter == "Selected 2\nItems to Remove", repr(counter))
    check(read_bytes(shared) == b"the shared file as it was before", "the saved file was not put back")
    check(not os.path.exists(prefix.unix(r"C:\App\program.txt")), "the installed file is still there")
    check(sorted(os.listdir(backup)) == ["STP.DLL", "setup.exe"], "the backup copy is still there")
    check(read_bytes(log) == before, "the remove run wrote into the log")


@scenario
def sample_product_installs_and_removes(prefix):
    # With the demo's own answers, on a machine where an earlier version left
    # its runtime and settings.
    sample_earlier_version(prefix)
    media = sample_media(prefix)
    before = snapshot(prefix)
    t = run_setup(prefix, media, sample_plan("robot.plan"))
    expect_done(t, exit_code=3010)  # the sample asks for a restart; the plan puts it off
    check(t.captions() == ["Welcome", "Licence Agreement", "Installation Options", "Sample Notes 1.0 Setup",
                           PATH_DIALOG, "Confirm File Replace", DONE], t.captions())
    app = r"C:\Program Files\Sample Notes"
    # Examples was cleared in the list; German help was never offered.
    check(listing(prefix, app) == ["HELP.TXT", "NOTES.INI", "NOTESANS.TTF", "NOTESANS.fot", "README.TXT", "Uninstall"],
          listing(prefix, app))
    check(listing(prefix, app + r"\Uninstall") == ["SETUP.INF", "SNRUNTIM.DLL", "STP.DLL", "setup.exe"],
          listing(prefix, app + r"\Uninstall"))
    check(read_ini(prefix.unix(app + r"\NOTES.INI"))["settings"] ==
          [("Version", "1.0"), ("Help", app + r"\HELP.TXT")], "settings written")
    check(read_bytes(prefix.unix(app + r"\Uninstall\SNRUNTIM.DLL")) == SAMPLE_EARLIER_RUNTIME, "runtime not saved")
    group = os.path.join(prefix.programs, "Sample Notes")
    check(sorted(os.listdir(group)) == ["Read me.lnk", "Remove Sample Notes.lnk"], os.listdir(group))

    remover = lnk_target(os.path.join(group, "Remove Sample Notes.lnk"))
    check(remover == app + r"\Uninstall\setup.exe", remover)
    t = run_setup(prefix, Media(prefix, remover[3:-10].replace("\\", "/"), program=False),
                  sample_plan("remove.plan"), name="remove")
    expect_done(t)
    # The removal cleans up after itself: the removal program's copy goes
    # once it has ended, and the copy that deleted it at the next start of
    # Windows. Then nothing differs from before the install.
    for _ in range(150):
        if not os.path.exists(prefix.unix(app)):
            break
        time.sleep(0.2)
    prefix.wine("wineboot", "-r")
    files, registry = snapshot(prefix)
    check(differences(before[0], files) == [], differences(before[0], files))
    check(registry_differences(before[1], registry) == [], registry_differences(before[1], registry))
