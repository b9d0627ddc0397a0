"""A publisher's product folder packed by the native setupkit over three disks,
then installed from the first: every file compressed where that saves space,
two compressed names that would meet kept apart, each media file's CRC-32 in
the script, the disks switched without a prompt, every installed file as it
was in the folder, and a removal log that names the targets as the publisher
wrote them. A file larger than a disk split over two, joined as it installs
with the disk prompt answered in the middle of it, and removed again. And
media of one disk bundled into one program, alike by the Linux tool and by
setupkit.exe under Wine; that program installs the product from itself
(signed too), and is refused whole when it is damaged or cut short, or
refuses a damaged file as it copies it; media in a folder refuse a file that
no longer matches its CRC-32."""
import os
import random
import shutil
import struct
import subprocess
import zlib

from harness import (BUILD, Media, check, control_text, differences, expect_done, file_listing, log_lines, read_bytes,
                     read_ini, run_setup, scenario, snapshot)

SCRIPT = r"""; Packed Tools: written with plain file names, as a publisher keeps it.
[SetUp]
license=1
silent=1
reboot=0

[choise]
Packed Tools=Main|The program and its help
Extras=Extras|Data that fills the later disks
Removal=Removal

[path]
AppDir=C:\Packed Tools
BackUpDir=%AppDir%\Uninstall
RemoveInf=%BackUpDir%\REMOVE.INF

[disks]
1=Packed Tools disk

[Main]
; the help and its index would both be TOOLS.HL_ on the media
1:%AppDir%\TOOLS.HLP=Help
1:%AppDir%\TOOLS.HLA=Help index
1:%AppDir%\DATA.BIN=Data
1:%AppDir%\EMPTY.TXT=Empty
1:C::\Packed Data\NOTES.TXT=Notes//2
[Extras]
1:%AppDir%\MORE.BIN=More data
1:AppDir\sub\README.TXT=Read me/,-
[Removal]
1:%BackUpDir%\setup.exe=Removal program/,-
"""
random.seed(11)
HELP = b"".join(b"Topic %d: how to use the packed tools.\r\n" % i for i in range(600))
INDEX = b"".join(b"Index entry %d -> topic %d\r\n" % (i, i % 7) for i in range(400))
NOTES = b"Notes, kept on the second disk.\r\n" * 50
README = b"read me\r\n"
LICENCE = b"Packed Tools licence: use it well.\r\n"
# (target as the installer reads it, description as the log has it, media
# name, installed path)
ENTRIES = [(r"%AppDir%\TOOLS.HLP", "Help", "TOOLS.HL_", r"C:\Packed Tools\TOOLS.HLP"),
           (r"%AppDir%\TOOLS.HLA", "Help index", "TOOLS.HL0", r"C:\Packed Tools\TOOLS.HLA"),
           (r"%AppDir%\DATA.BIN", "Data", "DATA.BIN", r"C:\Packed Tools\DATA.BIN"),
           (r"%AppDir%\EMPTY.TXT", "Empty", "EMPTY.TXT", r"C:\Packed Tools\EMPTY.TXT"),
           (r"C:\Packed Data\NOTES.TXT", "Notes//2", "NOTES.TX_", r"C:\Packed Data\NOTES.TXT"),
           (r"%AppDir%\MORE.BIN", "More data", "MORE.BIN", r"C:\Packed Tools\MORE.BIN"),
           (r"AppDir\sub\README.TXT", "Read me", "README.TXT", r"C:\Packed Tools\sub\README.TXT")]


def make_product(path, disk_size):
    """The product folder: the script, the licence, a file no entry names,
    and the files; the two of random bytes (which stay plain) are sized so
    that neither shares a disk with the other or with the installer."""
    os.makedirs(path)
    big = disk_size * 6 // 10
    files = {"TOOLS.HLP": HELP, "TOOLS.HLA": INDEX, "DATA.BIN": random.randbytes(big), "EMPTY.TXT": b"",
             "NOTES.TXT": NOTES, "MORE.BIN": random.randbytes(big), "README.TXT": README}
    for name, data in list(files.items()) + [("LICENSE.TXT", LICENCE), ("notes-to-self.txt", b"not shipped")]:
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)
    with open(os.path.join(path, "SETUP.INF"), "wb") as f:
        f.write(SCRIPT.replace("\n", "\r\n").encode())
    return files


@scenario
def packed_over_three_disks(prefix):
    engine = sum(os.path.getsize(os.path.join(BUILD, n)) for n in ("setup.exe", "STP.DLL"))
    disk_size = engine + len(LICENCE) + 16384  # room for the script and the small files
    product = os.path.join(prefix.path, "product")
    files = make_product(product, disk_size)
    media = os.path.join(prefix.drive_c, "packed")
    kit = subprocess.run([os.path.join(BUILD, "host", "setupkit"), "pack", product, media, "--disk-size",
                          str(disk_size)], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    out = kit.stdout.decode()
    check(kit.returncode == 0, "setupkit pack: %s %s" % (kit.returncode, kit.stderr.decode()))

    disks = sorted(os.listdir(media))
    check(disks == ["DISK1", "DISK2", "DISK3"], "media: %s" % disks)
    where = {name: d for d in disks for name in os.listdir(os.path.join(media, d))}
    check(sorted(where) == sorted(["setup.exe", "STP.DLL", "SETUP.INF", "LICENSE.TXT"] + [e[2] for e in ENTRIES]),
          "media files: %s" % sorted(where))
    check(all(where[n] == "DISK1" for n in ("setup.exe", "STP.DLL", "SETUP.INF", "LICENSE.TXT")),
          "the installer's files: %s" % where)
    check(where["DATA.BIN"] == "DISK2" and where["MORE.BIN"] == "DISK3", "the large files: %s" % where)
    for name in ("setup.exe", "STP.DLL"):
        check(read_bytes(os.path.join(media, "DISK1", name)) == read_bytes(os.path.join(BUILD, name)), name)
    sizes = {n: os.path.getsize(os.path.join(media, d, n)) for n, d in where.items()}
    packed = [(e[2], files[e[3].rsplit("\\", 1)[1]]) for e in ENTRIES if e[2].endswith(("_", "0"))]
    check(all(sizes[n] < len(data) for n, data in packed), "compressed sizes: %s" % sizes)
    summary = "7 files, %d bytes before, %d after (3 compressed); 3 disks of %d bytes" % (
        sum(len(d) for d in files.values()), sum(sizes[e[2]] for e in ENTRIES), disk_size)
    check(out.splitlines()[-1] == summary, "summary: %r, wanted %r" % (out.splitlines()[-1], summary))
    check("left out, as no copy entry names them: notes-to-self.txt" in out, "left out: %s" % out)

    # Every other byte of the script as written; the entries name the disks
    # their files lie on.
    disk_of = {e[0]: where[e[2]][4:] for e in ENTRIES}
    expected = SCRIPT.replace("[SetUp]\n", "[SetUp]\ndisks=3\n", 1)
    expected = expected.replace("1=Packed Tools disk\n",
                                "1=Packed Tools disk 1\n2=Packed Tools disk 2\n3=Packed Tools disk 3\n")
    for target, description, media_name, _ in ENTRIES:
        written = target.replace("C:", "C::")
        marker = "_" + media_name[-1] if media_name.endswith(("_", "0")) else ""
        expected = expected.replace("1:%s=" % written, "%s:%s%s=" % (disk_of[target], written, marker), 1)
    # Then the CRC-32 of every media file but the script, in the order laid out.
    expected += "\n[media.crc]\n" + "".join(
        "%s=%08X\n" % (n, zlib.crc32(read_bytes(os.path.join(media, where[n], n))))
        for n in ["setup.exe", "STP.DLL", "LICENSE.TXT"] + [e[2] for e in ENTRIES])
    packed_script = read_bytes(os.path.join(media, "DISK1", "SETUP.INF"))
    check(packed_script == expected.replace("\n", "\r\n").encode(), "packed script:\n%s" % packed_script.decode())

    t = run_setup(prefix, Media(prefix, "packed/DISK1", program=False), """
        expect caption=Welcome
        click 1
        expect caption=Licence Agreement
        click 1
    """)
    expect_done(t)
    check(t.captions() == ["Welcome", "Licence Agreement"], "dialogs: %s" % t.captions())  # no disk prompt
    for _, _, _, installed in ENTRIES:
        path = prefix.unix(installed)
        name = os.path.basename(path)
        check(os.path.exists(path), "%s not installed" % installed)
        check(read_bytes(path) == files[name], "%s differs from the product's file" % installed)
    app = prefix.unix(r"C:\Packed Tools")
    check(sorted(os.listdir(app)) == ["DATA.BIN", "EMPTY.TXT", "MORE.BIN", "TOOLS.HLA", "TOOLS.HLP", "Uninstall",
                                      "sub"], "installed: %s" % sorted(os.listdir(app)))
    check(sorted(os.listdir(os.path.join(app, "Uninstall"))) == ["REMOVE.INF", "setup.exe"],
          "backup directory: %s" % os.listdir(os.path.join(app, "Uninstall")))

    log = read_ini(prefix.unix(r"C:\Packed Tools\Uninstall\REMOVE.INF"))
    check(sorted(log) == ["del.step2", "del.step3", "path"], "log sections: %s" % sorted(log))
    # The folders the install made, outermost, for the removal to take away once empty.
    made = "Folder made by the install"
    check(log["del.step3"] == [("C:\\Packed Tools\\", made), ("C:\\Packed Data\\", made),
                               ("C:\\Packed Tools\\sub\\", made)], "made folders: %s" % log["del.step3"])
    check(log["path"] == [("AppDir", r"C:\Packed Tools"), ("BackUpDir", r"C:\Packed Tools\Uninstall"),
                          ("RemoveInf", r"C:\Packed Tools\Uninstall\REMOVE.INF")], "path records: %s" % log["path"])
    # The targets as the publisher wrote them, in the order they were copied
    # (disk by disk); the read-me and the removal program are not recorded.
    copied = sorted(ENTRIES, key=lambda e: (where[e[2]], ENTRIES.index(e)))
    recorded = [(e[0], e[1]) for e in copied if e[1] != "Read me"]
    check(log["del.step2"] == recorded, "delete records: %s" % log["del.step2"])


# A product whose one file is larger than a disk. Its entry comes last of its
# disk's: the disk of its last piece stays in the drive after it.
SPLIT = r"""[SetUp]
silent=1
reboot=0

[choise]
Big=Main|The big file

[path]
AppDir=C:\Big
BackUpDir=%AppDir%\Uninstall
RemoveInf=%BackUpDir%\SETUP.INF

[disks]
1=Big disk

[Main]
1:%BackUpDir%\setup.exe=Removal program/,-
1:%BackUpDir%\STP.DLL=Removal resources/,-
1:%AppDir%\BIG.DAT=Big data

[ini.Main]
BackUpDir\SETUP.INF|SetUp|remove=1/,-
BackUpDir\SETUP.INF|SetUp|silent=1/,-
BackUpDir\SETUP.INF|SetUp|reboot=0/,-
BackUpDir\SETUP.INF|choise|Remove=step2/,-
BackUpDir\SETUP.INF|choise|Folders=step3/,-
BackUpDir\SETUP.INF|disks|1=Backup/,-
"""


@scenario
def file_larger_than_a_disk_joined_as_it_installs(prefix):
    """Packed over disks that leave room beside the installer, the file's
    compressed form is larger than a disk: a disk-sized piece on the second,
    the rest on the first. With the second disk moved away from the first,
    the install reads the first piece, asks for the next disk in the middle
    of the file, installs it byte for byte, and the removal takes it away."""
    engine = sum(os.path.getsize(os.path.join(BUILD, n)) for n in ("setup.exe", "STP.DLL"))
    disk_size = engine + 262144
    # Random halves (literals, an eighth more on the media) and zero halves
    # (matches, an eighth of them): some 5,093 bytes on the media for each
    # 8,192, some 100,000 more than a disk in all.
    rng = random.Random(5)
    blocks = (disk_size + 100000) // 5093 + 1
    big = b"".join(rng.randbytes(4096) + bytes(4096) for _ in range(blocks))
    product = os.path.join(prefix.path, "product")
    os.makedirs(product)
    with open(os.path.join(product, "SETUP.INF"), "wb") as f:
        f.write(SPLIT.replace("\n", "\r\n").encode())
    with open(os.path.join(product, "BIG.DAT"), "wb") as f:
        f.write(big)
    media = os.path.join(prefix.drive_c, "packed")
    kit = subprocess.run([os.path.join(BUILD, "host", "setupkit"), "pack", product, media, "--disk-size",
                          str(disk_size)], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    check(kit.returncode == 0, "setupkit pack: %s %s" % (kit.returncode, kit.stderr.decode()))
    packed_script = read_bytes(os.path.join(media, "DISK1", "SETUP.INF")).decode()
    check("\r\n1+2:%AppDir%\\BIG.DAT__=Big data\r\n" in packed_script, "packed script:\n%s" % packed_script)
    pieces = [read_bytes(os.path.join(media, d, "BIG.DA_")) for d in ("DISK1", "DISK2")]
    check(len(pieces[1]) == disk_size and 0 < len(pieces[0]) < 262144, "pieces: %s" % [len(p) for p in pieces])
    shutil.move(os.path.join(media, "DISK2"), os.path.join(prefix.drive_c, "second"))
    before = snapshot(prefix)

    t = run_setup(prefix, Media(prefix, "packed/DISK1", program=False), r"""
        expect caption=Welcome
        click 1
        expect caption=Insert Disk
        text 200 C:\second
        click 1
    """)
    expect_done(t)
    prompt = t.find(caption="Insert Disk")
    check(control_text(prompt, 100) == "Big disk 2", "label: %r" % control_text(prompt, 100))
    check(read_bytes(prefix.unix(r"C:\Big\BIG.DAT")) == big, "the joined file differs from the product's")
    check(read_ini(prefix.unix(r"C:\Big\Uninstall\SETUP.INF"))["del.step2"] == [(r"%AppDir%\BIG.DAT", "Big data")],
          "the removal log does not name the file as written")

    remover = Media(prefix, r"Big/Uninstall", program=False)
    expect_done(run_setup(prefix, remover, "", args="/quiet", name="remove"))
    left = [k for k in differences(before[0], snapshot(prefix)[0]) if not k.startswith("Big")]
    check(not os.path.exists(prefix.unix(r"C:\Big\BIG.DAT")), "the removal left the file")
    check(not left, "changed besides the product's folder: %s" % left)


def read_bundle(data):
    """The files of a bundle, read by the layout docs/bundle-format.md gives
    (an unsigned one: the data end at the end of the file): where the
    container starts, each file's bytes and where they lie (offset, size)."""
    check(data[-8:] == b"STPBUNDL", "no trailer")
    container, index_size, index_crc, version = struct.unpack_from("<QIII", data, len(data) - 28)
    index = data[len(data) - 28 - index_size:len(data) - 28]
    check(version == 1 and zlib.crc32(index) == index_crc, "trailer: version %d" % version)
    count, names_size, payload_size = struct.unpack_from("<IIQ", index)
    start = len(data) - container
    files, placed = {}, {}
    for i in range(count):
        offset, size, crc, name_at, name_length = struct.unpack_from("<QQIII", index, 16 + 28 * i)
        name = index[16 + 28 * count + name_at:][:name_length].decode()
        files[name] = data[start + offset:start + offset + size]
        placed[name] = (start + offset, size)
        check(zlib.crc32(files[name]) == crc, "%s: CRC-32" % name)
    check(sum(len(f) for f in files.values()) == payload_size, "payload size")
    return start, files, placed


@scenario
def packed_into_one_program_by_both_tools(prefix):
    """Media of one disk bundled by the Linux setupkit and by setupkit.exe
    under Wine: the same bytes, which read as the docs lay them out: the
    engine, then every other media file with its CRC-32; and both tools'
    check find every file matching the CRC-32 pack wrote."""
    product = os.path.join(prefix.path, "product")
    make_product(product, 100000)
    media = os.path.join(prefix.drive_c, "single")
    kit = os.path.join(BUILD, "host", "setupkit")
    run = lambda *args: subprocess.run([kit, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    check(run("pack", product, media).returncode == 0, "pack")
    linux = run("bundle", media, os.path.join(prefix.drive_c, "linux.exe"))
    check(linux.returncode == 0, "setupkit bundle: %s" % linux.stderr.decode())
    check(run("check", media).returncode == 0, "setupkit check")
    shutil.copy(os.path.join(BUILD, "setupkit.exe"), prefix.drive_c)
    prefix.wine(r"C:\setupkit.exe", "bundle", r"C:\single", r"C:\windows.exe")
    prefix.wine(r"C:\setupkit.exe", "check", r"C:\single")

    data = read_bytes(os.path.join(prefix.drive_c, "linux.exe"))
    check(read_bytes(os.path.join(prefix.drive_c, "windows.exe")) == data, "the two tools' bundles differ")
    start, files, _ = read_bundle(data)
    check(data[:start] == read_bytes(os.path.join(media, "setup.exe")), "the engine before the container")
    on_media = sorted(n for n in os.listdir(media) if n != "setup.exe")
    check(sorted(files) == on_media, "files: %s, media: %s" % (sorted(files), on_media))
    check(all(files[n] == read_bytes(os.path.join(media, n)) for n in on_media), "a file differs from the media's")


KIT = os.path.join(BUILD, "host", "setupkit")
DAMAGED_FILE = "%s\nThe file on the media is damaged or changed while it was read: it is not installed !"
DAMAGED_PROGRAM = "The installer is damaged or incomplete: download it again."
# Where the one program is downloaded to, beside a script and a library of
# someone else's that it must not take for its own.
DOWNLOADS = "Downloads"
PROGRAM = "Packed Setup.exe"
PLANTED_SCRIPT = "[SetUp]\r\nsilent=1\r\n[choise]\r\nPlanted=Planted\r\n[disks]\r\n1=Planted\r\n"


def kit(*args):
    r = subprocess.run([KIT, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    check(r.returncode == 0, "setupkit %s: %s" % (args[0], r.stderr.decode()))


def single_disk(prefix):
    """The product packed onto one disk at C:\\single: its files, and the media's path."""
    product = os.path.join(prefix.path, "product")
    files = make_product(product, 100000)
    media = os.path.join(prefix.drive_c, "single")
    kit("pack", product, media)
    return files, media


def one_program(prefix, media, change=None):
    """The media bundled into C:\\Downloads\\Packed Setup.exe, its bytes
    changed by change(data, placed) (placed: {name: (offset, size)}), beside
    a planted script and library; the directory as Media."""
    downloads = Media(prefix, DOWNLOADS, program=False)
    path = os.path.join(downloads.path, PROGRAM)
    kit("bundle", media, path)
    downloads.write("SETUP.INF", PLANTED_SCRIPT)
    downloads.write("STP.DLL", b"not a library")
    if change:
        data = read_bytes(path)
        with open(path, "wb") as f:
            f.write(change(bytearray(data), read_bundle(data)[2]))
    return downloads


def flipped(name, at=0.5):
    """A change that flips one bit of a file's bytes in the program."""
    def change(data, files):
        offset, size = files[name]
        data[offset + int(size * at)] ^= 0x10
        return data
    return change


def check_installed(prefix, files, absent=()):
    """Every file the entries install is there as in the product folder, but
    those named in absent, which are not there at all; no file was left
    beside a target."""
    for _, _, _, installed in ENTRIES:
        path = prefix.unix(installed)
        name = os.path.basename(path)
        if name in absent:
            check(not os.path.exists(path), "%s installed" % installed)
        else:
            check(os.path.exists(path) and read_bytes(path) == files[name], "%s not installed as it was" % installed)
    beside = [n for n in file_listing(prefix) if n.endswith(".setup-new")]
    check(beside == [], "left beside their targets: %s" % beside)


@scenario
def one_program_installs_from_itself(prefix):
    """The bundle, downloaded beside a script and a library of someone
    else's, installs from itself with the dialogs of the media in a folder:
    the licence from inside it, nothing but the library, the script and the
    licence expanded into the temporary directory, every file as it was in
    the product folder and setup.exe as the engine alone (try.py removes
    a product with that copy)."""
    files, media = single_disk(prefix)
    downloads = one_program(prefix, media)
    seen = {}

    def look_at_temp(_):
        seen["temp"] = {d: sorted(os.listdir(os.path.join(prefix.temp, d))) for d in prefix.temp_files()}
    temp_before = prefix.temp_files()
    t = run_setup(prefix, downloads, """
        expect caption=Welcome
        click 1
        expect caption=Licence Agreement
        shot temp
        click 1
    """, exe=PROGRAM, args=r"/log=C:\install.log", on_shot=look_at_temp)
    expect_done(t)
    check(t.captions() == ["Welcome", "Licence Agreement"], "dialogs: %s" % t.captions())
    check(control_text(t.find(caption="Licence Agreement"), 200) == LICENCE.decode(),
          "licence text: %r" % control_text(t.find(caption="Licence Agreement"), 200))
    made = [d for d in seen["temp"] if d not in temp_before]
    check(len(made) == 1 and seen["temp"][made[0]] == ["LICENSE.TXT", "SETUP.INF", "STP.DLL"],
          "the temporary directory during the run: %s" % seen["temp"])
    check(prefix.temp_files() == temp_before, "left in the temporary directory: %s" % prefix.temp_files())
    log = log_lines(prefix, r"C:\install.log")
    check(r"Media: carried in C:\%s\%s, 10 files" % (DOWNLOADS, PROGRAM) in log, "log: %s" % log[:4])
    check_installed(prefix, files)
    check(read_bytes(prefix.unix(r"C:\Packed Tools\Uninstall\setup.exe")) == read_bytes(os.path.join(media, "setup.exe")),
          "setup.exe is not the engine alone")


@scenario
def damaged_programs_and_files_are_refused(prefix):
    """A bundle cut short, or changed in its index, is refused with one
    message before anything is made (1603 when quiet); one whose library is
    changed is refused as the library is read, before any change too. A
    changed payload file is refused as it is copied: asked about with
    Abort, Retry and Ignore, never installed, while the other files are;
    meanwhile nothing of it is in the temporary directory."""
    files, media = single_disk(prefix)
    cut = lambda data, placed: data[:-1000]

    def in_the_index(data, placed):
        data[max(o + s for o, s in placed.values()) + 20] ^= 0x01
        return data
    downloads = Media(prefix, DOWNLOADS, program=False)
    for what, change, plan, message, code in [
            ("cut short", cut, "expect message~damaged\nclick 1", DAMAGED_PROGRAM, 1603),
            ("an index byte changed", in_the_index, "", DAMAGED_PROGRAM, 1603),
            ("a library byte changed", flipped("STP.DLL"), "", DAMAGED_FILE % (r"C:\%s\STP.DLL" % DOWNLOADS), 1603)]:
        shutil.rmtree(downloads.path)
        downloads = one_program(prefix, media, change)
        before = file_listing(prefix)
        t = run_setup(prefix, downloads, plan, exe=PROGRAM, args="" if plan else r"/quiet /log=C:\refused.log",
                      name="refused")
        expect_done(t, exit_code=code)
        if plan:
            check(t.messages() == [message], "%s: messages %s" % (what, t.messages()))
        else:
            shown = [line for line in log_lines(prefix, r"C:\refused.log") if line.startswith("Message")]
            check(len(shown) == 1 and message.replace("\n", " | ") in shown[0],
                  "%s: %s" % (what, shown))
            os.remove(prefix.unix(r"C:\refused.log"))
        changed = differences(before, file_listing(prefix))
        check(changed == [], "%s: changed %s" % (what, changed))

    shutil.rmtree(downloads.path)
    downloads = one_program(prefix, media, flipped("DATA.BIN"))
    seen = {}

    def look(_):
        seen["temp"] = [sorted(os.listdir(os.path.join(prefix.temp, d))) for d in prefix.temp_files()]
        app = prefix.unix(r"C:\Packed Tools")
        seen["app"] = {n: os.path.getsize(os.path.join(app, n)) for n in os.listdir(app)}
    t = run_setup(prefix, downloads, """
        expect caption=Welcome
        click 1
        expect caption=Licence Agreement
        click 1
        expect message~DATA.BIN
        click 4
        expect message~DATA.BIN
        shot asked
        click 5
    """, exe=PROGRAM, on_shot=look)
    expect_done(t)
    check(t.messages() == [DAMAGED_FILE % (r"C:\%s\DATA.BIN" % DOWNLOADS)] * 2, "messages: %s" % t.messages())
    check(seen["temp"] == [["LICENSE.TXT", "SETUP.INF", "STP.DLL"]], "temporary directory: %s" % seen["temp"])
    # None of its bytes reached its target, which was made empty.
    check(seen["app"].get("DATA.BIN") == 0, "while asked: %s" % seen["app"])
    check_installed(prefix, files, absent=["DATA.BIN"])


@scenario
def signed_program_installs(prefix):
    """Signed with osslsigncode and a throwaway certificate, the bundle
    verifies and installs every file as it was; setup.exe comes out as the
    engine without the signature (its certificate entry cleared)."""
    files, media = single_disk(prefix)
    downloads = one_program(prefix, media)
    keys = prefix.path
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                    "/CN=Bundle-Test", "-keyout", os.path.join(keys, "key.pem"), "-out", os.path.join(keys, "cert.pem")],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    unsigned = os.path.join(keys, "unsigned.exe")
    os.rename(os.path.join(downloads.path, PROGRAM), unsigned)
    program = os.path.join(downloads.path, PROGRAM)
    subprocess.run(["osslsigncode", "sign", "-certs", os.path.join(keys, "cert.pem"), "-key",
                    os.path.join(keys, "key.pem"), "-n", "Packed Tools", "-in", unsigned, "-out", program],
                   check=True, stdout=subprocess.DEVNULL)
    verify = subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(keys, "cert.pem"), "-in", program],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(verify.returncode == 0, "verify: %s" % verify.stdout.decode()[-500:])

    expect_done(run_setup(prefix, downloads, "", exe=PROGRAM, args="/quiet"))
    check_installed(prefix, files)
    engine, signed = read_bytes(os.path.join(media, "setup.exe")), read_bytes(program)
    copied = read_bytes(prefix.unix(r"C:\Packed Tools\Uninstall\setup.exe"))
    pe = struct.unpack_from("<I", engine, 0x3C)[0]
    entry = pe + 24 + 144  # the optional header's data directory 4 (PE32+)
    check(struct.unpack_from("<II", signed, entry)[1] > 0, "the bundle carries no signature")
    check(len(copied) == len(engine) and struct.unpack_from("<II", copied, entry) == (0, 0),
          "setup.exe kept its signature's entry")
    checksum = pe + 24 + 64
    check(copied[:checksum] + copied[checksum + 4:] == engine[:checksum] + engine[checksum + 4:],
          "setup.exe differs from the engine beyond the header's checksum")


@scenario
def folder_media_refuse_a_changed_file(prefix):
    """Media in a folder with [media.crc], one compressed file changed by a
    byte: asked about as it is copied, it never takes the place of the file
    it was to replace, and Abort ends the pass there (1603)."""
    files, media = single_disk(prefix)
    notes = os.path.join(media, "NOTES.TX_")
    data = bytearray(read_bytes(notes))
    data[len(data) // 2] ^= 0x10
    with open(notes, "wb") as f:
        f.write(data)
    old = prefix.unix(r"C:\Packed Data\NOTES.TXT")
    os.makedirs(os.path.dirname(old))
    with open(old, "wb") as f:
        f.write(b"the notes before")
    t = run_setup(prefix, Media(prefix, "single", program=False), """
        expect caption=Welcome
        click 1
        expect caption=Licence Agreement
        click 1
        expect caption=Confirm File Replace
        click 6
        expect message~NOTES
        click 3
    """)
    expect_done(t, exit_code=1603)
    check(t.messages() == [DAMAGED_FILE % r"C:\single\NOTES.TX_"], "messages: %s" % t.messages())
    check(read_bytes(old) == b"the notes before", "the file it was to replace changed")
    check_installed(prefix, {**files, "NOTES.TXT": b"the notes before"},
                    absent=["MORE.BIN", "README.TXT"])
