"""Several disks: sibling DISK1 and DISK2 directories switched by themselves,
and the insert-disk dialog when the media directory carries no disk marker."""
import os

from harness import Media, check, compressed, control_text, expect_done, read_bytes, run_setup, scenario

SCRIPT = r"""[SetUp]
silent=1
reboot=%d
disks=2

[choise]
Main=Main|The program

[path]
AppDir=C:\App

[disks]
1=Program disk
2=Data disk

[Main]
1:%%AppDir%%\one.txt=One
2:%%AppDir%%\two.bin=Two
2:%%AppDir%%\three.txt_1=Three
"""
ONE = b"first disk\r\n" * 10
TWO = bytes(range(256)) * 30
THREE = b"third file, second disk\r\n" * 10


def disk_two(media):
    media.write("two.bin", compressed(TWO))
    media.write("three.tx1", THREE)


def installed(prefix, name):
    return read_bytes(os.path.join(prefix.unix(r"C:\App"), name))


@scenario
def sibling_disk_directories(prefix):
    first = Media(prefix, "prod/Disk1")
    first.script(SCRIPT % 0)
    first.write("one.txt", ONE)
    disk_two(Media(prefix, "prod/DISK2", program=False))
    t = run_setup(prefix, first, """
        expect caption=Welcome
        click 1
    """)
    expect_done(t)  # no insert-disk dialog
    check(installed(prefix, "one.txt") == ONE, "disk 1 file")
    check(installed(prefix, "two.bin") == TWO, "disk 2 file (compressed)")
    check(installed(prefix, "three.txt") == THREE, "disk 2 file (name rule)")


@scenario
def insert_disk_dialog(prefix):
    media = Media(prefix)
    media.script(SCRIPT % 0)
    media.write("one.txt", ONE)
    disk_two(Media(prefix, "elsewhere", program=False))
    t = run_setup(prefix, media, r"""
        expect caption=Welcome
        click 1
        expect caption=Insert Disk
        text 200 C:\elsewhere
        click 1
    """)
    expect_done(t)  # asked once: the disk stays in the drive for the third file
    prompt = t.find(caption="Insert Disk")
    check(control_text(prompt, 100) == "Data disk", "label: %r" % control_text(prompt, 100))
    check(control_text(prompt, 200) == "C:\\media\\", "directory: %r" % control_text(prompt, 200))
    check(installed(prefix, "two.bin") == TWO and installed(prefix, "three.txt") == THREE,
          "disk 2 files not read from the typed directory")


@scenario
def insert_disk_cancelled(prefix):
    media = Media(prefix)
    media.script(SCRIPT % 1)
    media.write("one.txt", ONE)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Insert Disk
        click 2
    """)
    expect_done(t, exit_code=1602)  # the pass ended: no restart prompt
    check(installed(prefix, "one.txt") == ONE, "disk 1 file")
    check(not os.path.exists(os.path.join(prefix.unix(r"C:\App"), "two.bin")), "copied without its disk")
