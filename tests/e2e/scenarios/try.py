"""setupkit try, the publisher's whole loop under Wine, in a fresh prefix of
its own: the sample product installed quietly, every change listed (the text
line it adds to system.ini, its program group's items, its registry values),
removed by its Apps & Features entry's quiet command, nothing left; the
same from the sample bundled into one program. And a
product packed over two disks that copies a file it does not record,
installed as the robot answers a plan, with a picture of each dialog, removed
through its removal log (it has no entry): that file is reported left with
its checksum, and the status is 1."""
import hashlib
import os
import random
import shutil
import struct
import subprocess

from harness import BUILD, PREFIXES, Transcript, check, read_bytes, sample_media, scenario

LEAKY = r"""[SetUp]
silent=1
reboot=0

[choise]
Leaky Tools=Main|The tool and the cache it keeps.

[path]
AppDir=C:\Leaky Tools
RemoveInf=%AppDir%\REMOVE.INF

[disks]
1=Leaky Tools disk

[Main]
1:%AppDir%\TOOL.TXT=Tool
; not recorded: the removal never hears of it
1:%AppDir%\CACHE.DAT=Cache/,-
"""


def kit(*args):
    return subprocess.run([os.path.join(BUILD, "host", "setupkit"), *args], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=280)


def kit_try(*args):
    """setupkit try's status, output and the robot's transcript of the
    install; its prefix goes afterwards."""
    try:
        r = kit("try", *args)
        return (r.returncode, r.stdout.decode("latin-1").splitlines(),
                Transcript(os.path.join(PREFIXES, "try", "install.jsonl")))
    finally:
        shutil.rmtree(os.path.join(PREFIXES, "try"), ignore_errors=True)


def section(lines, title):
    """The lines below the one that starts with title, up to a blank line."""
    at = next(i for i, line in enumerate(lines) if line.startswith(title)) + 1
    return lines[at:lines.index("", at) if "" in lines[at:] else len(lines)]


@scenario
def sample_tried_quietly_leaves_nothing(prefix):
    media = sample_media(prefix).path
    status, out, _ = kit_try(media, "--quiet")
    check(status == 0, "status %d:\n%s" % (status, "\n".join(out)))
    changed = section(out, "what the install changed:")
    app = r"C:\Program Files\Sample Notes"
    for wanted in [r"  changed  C:\windows\system.ini", "             + msacm.notes=notesacm.acm",
                   r"  new      %s\NOTES.INI" % app, "             + Version=1.0",
                   r"  new      program item Sample Notes\Read me -> %s\README.TXT" % app,
                   r'  new      HKCU\Software\Sample Notes: InstallDir = "%s"' % app,
                   r"  new      HKCU\Software\Sample Notes: Window = dword:00000001"]:
        check(wanted in changed, "%r not among the changes:\n%s" % (wanted, "\n".join(changed)))
    # The changed lines stand below their file.
    at = changed.index(r"  changed  C:\windows\system.ini")
    check(changed[at + 1] == "             + msacm.notes=notesacm.acm", changed[at:at + 3])
    removal = next(line for line in out if line.startswith("removal: "))
    check(removal == r'removal: the Apps & Features entry "Sample Notes" runs "%s\Uninstall\setup.exe" /quiet' % app,
          removal)
    check(section(out, "what is left behind") == ["  nothing"], "\n".join(out))

    # Bundled into one program, the same: installed from itself and removed
    # by the copy of the engine it left for its entry.
    program = os.path.join(prefix.path, "Sample Setup.exe")
    check(kit("bundle", media, program).returncode == 0, "bundle")
    status, bundled, _ = kit_try(program, "--quiet")
    check(status == 0, "status %d:\n%s" % (status, "\n".join(bundled)))
    check(section(bundled, "what the install changed:") == changed, "\n".join(bundled))
    check(next(line for line in bundled if line.startswith("removal: ")) == removal, "\n".join(bundled))
    check(section(bundled, "what is left behind") == ["  nothing"], "\n".join(bundled))

    # setupkit.exe knows the command but cannot carry it out.
    shutil.copy(os.path.join(BUILD, "setupkit.exe"), prefix.drive_c)
    r = prefix.wine(r"C:\setupkit.exe", "try", r"C:\media", "--quiet", check_rc=False)
    check(r.returncode == 1 and b"setupkit: try needs Linux and Wine" in r.stderr, (r.returncode, r.stderr))


@scenario
def unrecorded_file_is_left_and_named(prefix):
    product, media = os.path.join(prefix.path, "product"), os.path.join(prefix.path, "media")
    os.makedirs(product)
    random.seed(5)
    cache = random.randbytes(20000)  # stays plain, and too large for the first disk
    for name, data in (("SETUP.INF", LEAKY.replace("\n", "\r\n").encode()), ("TOOL.TXT", b"The tool.\r\n" * 20),
                       ("CACHE.DAT", cache)):
        with open(os.path.join(product, name), "wb") as f:
            f.write(data)
    disk_size = sum(os.path.getsize(os.path.join(BUILD, n)) for n in ("setup.exe", "STP.DLL")) + 16384
    check(kit("pack", product, media, "--disk-size", str(disk_size)).returncode == 0, "pack")
    check(sorted(os.listdir(media)) == ["DISK1", "DISK2"], os.listdir(media))
    plan, shots = os.path.join(prefix.path, "welcome.plan"), os.path.join(prefix.path, "shots")
    with open(plan, "w") as f:
        f.write("expect caption=Welcome\nclick 1\n")
    missing = kit("try", os.path.join(prefix.path, "missing"), "--quiet")
    check((missing.returncode, missing.stderr) == (1, b"setupkit: %s/missing: not found\n" % prefix.path.encode()),
          (missing.returncode, missing.stderr))
    status, out, transcript = kit_try(media, "--plan", plan, "--shots", shots)
    check(status == 1, "status %d:\n%s" % (status, "\n".join(out)))
    check(any(line.startswith(r"removal: no Apps & Features entry: the removal log C:\Leaky Tools\REMOVE.INF")
              for line in out), "\n".join(out))
    left = section(out, "what is left behind")
    check(r"  new      C:\Leaky Tools\CACHE.DAT  (20000 bytes, SHA-1 %s)" % hashlib.sha1(cache).hexdigest() in left,
          "\n".join(left))
    check(not any("TOOL.TXT" in line for line in left), "\n".join(left))

    # A picture of each dialog the robot answered (and of an ignored one that
    # was still there), named by its number among those recorded, each the
    # size of its dialog.
    recorded = {"%02d-%s.png" % (i + 1, d["caption"] or "untitled"): d
                for i, d in enumerate(transcript.dialogs(("dialog", "ignored")))}
    answered = [name for name, d in recorded.items() if d["event"] == "dialog"]
    pictures = sorted(os.listdir(shots))
    check(answered == ["01-Welcome.png"] and set(answered) <= set(pictures) <= set(recorded),
          "pictures %s of %s" % (pictures, sorted(recorded)))
    for name in pictures:
        png = read_bytes(os.path.join(shots, name))
        left_, top, right, bottom = recorded[name]["rect"]
        check(png[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", png[16:24]) == (right - left_, bottom - top),
              "picture %s" % name)
