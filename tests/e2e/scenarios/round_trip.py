"""The promise the removal log rests on: a product installed from the
component dialog with every kind of action, then removed by running the
installer from its backup directory on the log that the install left
(completed into a script by the install itself), leaves the machine as it was. Compared as whole listings: every file under
drive_c with its checksum, and every registry key and value as Wine stores
them."""
import os
import random
import re
import shutil

from harness import (Media, check, compressed, control_text, differences, expect_done, import_registry, lnk_target,
                     read_bytes, read_ini, registry_differences, run_setup, scenario, snapshot)

DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
APP = r"C:\Program Files\Notes RT"
BACKUP = APP + r"\Uninstall"
GROUP = "Notes RT"

random.seed(7)
PROGRAM = b"MZ" + bytes(random.getrandbits(8) for _ in range(4000))
README = ("Notes RT, line %d of the read-me.\r\n" * 30 % tuple(range(30))).encode()
OLD_LIBRARY = b"the shared library as it was before" + bytes(range(256)) * 4
NEW_LIBRARY = b"the shared library of Notes RT" + bytes(range(255, -1, -1)) * 6

# The machine before the install: files, INI values, text lines and registry
# values of its own that the install changes. INI files are in the layout that
# the platform's profile writer keeps (it rewrites a file whole on each write).
SETTINGS_INI = (b"; settings shared by several programs\r\n[Settings]\r\nLanguage=English\r\nPlugins=spell.dll\r\n"
                b"Obsolete=yes\r\n[Paths]\r\nTemp=%TEMP%\\notes\r\n")
CONFIG_TXT = (b"; configuration\r\n[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n"
              b"[options]\r\n    indent=  spaced  \r\nlast=1\r\n")
AUTOEXEC = b"@ECHO OFF\r\nSET PATH=%PATH%;C:\\DOS\r\nSET TEMP=C:\\TEMP\r\n"
REGISTRY = r'''REGEDIT4

[HKEY_CURRENT_USER\Software\SampleRT]
"Version"="0.9"
"Count"=dword:00000007
"Data"=hex:25,00,3c,ff
"List"=hex(7):6f,6e,65,00,74,77,6f,00,00
"Command"="\"C:\\Old\\notes.exe\" \"%1\""
"Obsolete"="old/value"

[HKEY_LOCAL_MACHINE\Software\SampleRT]
"Path"="C:\\Old"
'''

INSTALL = r"""[SetUp]
name=Notes RT Setup

[choise]
Notes RT=Main|The program, its settings and its font
Examples=Examples|A few notes to start from

[path]
AppDir=%(app)s;Notes RT
BackUpDir=%%AppDir%%\Uninstall
RemoveInf=%%BackUpDir%%\SETUP.INF
SharedDir=C:\Shared

[disks]
1=Notes RT disk

[Main]
1:%%AppDir%%\NOTES.EXE=Program
1:%%AppDir%%\README.TXT__=Read me
1:%%AppDir%%\NOTESANS.TTF=Notes Sans font
1:%%WinDir%%\NOTESRT.DLL=Shared library/,!
; The removal runs from the backup directory: the installer goes there too,
; unrecorded, so that it stays for the removal run.
1:%%BackUpDir%%\setup.exe=Removal program/,-
1:%%BackUpDir%%\STP.DLL=Removal resources/,-

[fot.Main]
AppDir\NOTESANS=Notes Sans

[ini.Main]
SharedDir\settings.ini|Settings|Language=Deutsch
SharedDir\settings.ini|Settings|Plugins|,=notes.dll
SharedDir\settings.ini|Settings|Obsolete=
SharedDir\settings.ini|Settings|NotesDir=%%AppDir%%
SharedDir\settings.ini|Paths|Temp=C:\Temp
; What makes the log a removal script: written into it, unrecorded.
BackUpDir\SETUP.INF|SetUp|remove=1/,-
BackUpDir\SETUP.INF|SetUp|Y2AOverwrite=1/,-
BackUpDir\SETUP.INF|SetUp|name=Remove Notes RT/,-
BackUpDir\SETUP.INF|choise|Restore what Notes RT changed=step1|Saved files and old settings back/,-
BackUpDir\SETUP.INF|choise|Remove Notes RT=step2|Its files deleted/,-
BackUpDir\SETUP.INF|disks|1=Notes RT backup directory/,-
BackUpDir\SETUP.INF|group.step2|Notes RT=the program group/,-

[str.Main]
SharedDir\config.txt|boot|drivers=drivers=mmsystem.dll notesdrv.drv
SharedDir\config.txt|boot|notes.drv=notes.drv=%%AppDir%%\NOTES.DRV
SharedDir\config.txt|options|indent=indent=notes
SharedDir\config.txt|options|last=
WinDisk\autoexec.bat|none|SET PATH=SET PATH=%%%%PATH%%%%;C:\DOS;%%AppDir%%

[reg.Main]
HKEY_CURRENT_USER\Software\SampleRT|Version=1.0
HKEY_CURRENT_USER\Software\SampleRT|Count:REG_DWORD=1f
HKEY_CURRENT_USER\Software\SampleRT|Data:REG_BINARY_ADD=<0102>
HKEY_CURRENT_USER\Software\SampleRT|List:REG_MULTI_SZ_ADD=three
HKEY_CURRENT_USER\Software\SampleRT|Command=""%%AppDir%%\NOTES.EXE" "%%%%1""
HKEY_CURRENT_USER\Software\SampleRT|Obsolete=
HKEY_CURRENT_USER\Software\SampleRT|InstallDir=%%AppDir%%
HKEY_CURRENT_USER\Software\SampleRT|Bytes:REG_BINARY=<00ff>A<<B
HKEY_CURRENT_USER\Software\SampleRT|Names:REG_MULTI_SZ=a<00>b<0000>
HKEY_LOCAL_MACHINE\Software\SampleRT|Path=%%AppDir%%

[group.Main]
Notes RT|Notes RT=%%AppDir%%\NOTES.EXE,Notes RT
Notes RT|Remove Notes RT=%%BackUpDir%%\setup.exe,Remove Notes RT

[Examples]
1:%%AppDir%%\FIRST.TXT=First note

[del.!Examples]
; Left by an earlier install with examples, if at all.
%%AppDir%%\FIRST.TXT=First note/,?
""" % {"app": APP}


def write(prefix, windows_path, data):
    path = prefix.unix(windows_path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def lay_out(prefix):
    """The machine before the install, and the product's media."""
    write(prefix, r"C:\windows\NOTESRT.DLL", OLD_LIBRARY)
    write(prefix, r"C:\Shared\settings.ini", SETTINGS_INI)
    write(prefix, r"C:\Shared\config.txt", CONFIG_TXT)
    write(prefix, r"C:\autoexec.bat", AUTOEXEC)
    import_registry(prefix, REGISTRY)
    media = Media(prefix)
    media.script(INSTALL)
    media.write("NOTES.EXE", PROGRAM)
    media.write("README.TX_", compressed(README))
    media.write("NOTESANS.TTF", read_bytes(DEJAVU))
    media.write("NOTESRT.DLL", NEW_LIBRARY)
    media.write("FIRST.TXT", "A first note.\r\n")
    return media


def rel(windows_path):
    return windows_path[3:].replace("\\", "/")


# What may differ after the removal: the backup directory with the removal
# log and the installer's own copies, and the product directory that holds it.
LEFT_FOR_REMOVAL = {rel(APP): "<dir>", rel(BACKUP): "<dir>", rel(BACKUP + r"\SETUP.INF"): None,
                    rel(BACKUP + r"\setup.exe"): None, rel(BACKUP + r"\STP.DLL"): None}

# The install is chosen in the component dialog (the examples left out) and
# goes to the directory it proposes.
INSTALL_PLAN = """
    expect caption=Welcome
    click 1
    expect caption=Notes RT Setup
    item 500 1
    click 1
    expect caption=Destination Directory
    click 1
    expect caption=Confirm File Replace
    click 6
    expect caption=Installation Complete
    click 2
"""


def remove(prefix, log_before):
    """Starts the removal the way the user does, from the program group's
    item: the component dialog offers the two steps of the log, nothing else
    is asked, and the log is left as it was."""
    target = lnk_target(os.path.join(prefix.programs, GROUP, "Remove Notes RT.lnk"))
    check(target == BACKUP + r"\setup.exe", "the removal item runs %s" % target)
    remover = Media(prefix, rel(target.rsplit("\\", 1)[0]), program=False)
    t = run_setup(prefix, remover, """
        expect caption=Welcome
        click 1
        expect caption=Remove Notes RT
        click 1
        expect caption=Installation Complete
        click 2
    """, name="remove")
    expect_done(t, exit_code=3010)  # the log's [SetUp] leaves reboot at 1: a restart is due
    listed = t.find(caption="Remove Notes RT")
    check(control_text(listed, 220) == "Selected 2\nItems to Remove", control_text(listed, 220))
    check(len(t.captions()) == 3, "the removal asked more: %s" % t.captions())
    check(read_bytes(prefix.unix(BACKUP + r"\SETUP.INF")) == log_before, "the removal run wrote into the log")


def expect_as_before(prefix, before):
    files, registry = snapshot(prefix)
    changed = differences(before[0], files)
    check(set(changed) == set(LEFT_FOR_REMOVAL), "files that differ from before the install: %s" % changed)
    check(all(files[k] == v for k, v in LEFT_FOR_REMOVAL.items() if v), "the removal left no directories")
    changed = registry_differences(before[1], registry)
    check(changed == [], "registry keys that differ from before the install: %s" % changed)


@scenario
def install_then_remove_leaves_the_machine_as_it_was(prefix):
    media = lay_out(prefix)
    before = snapshot(prefix)

    expect_done(run_setup(prefix, media, INSTALL_PLAN, name="install"), exit_code=3010)
    log_path = prefix.unix(BACKUP + r"\SETUP.INF")
    log = read_bytes(log_path)
    files, registry = snapshot(prefix)

    # Every kind of action did change the machine, or the round trip would
    # prove nothing.
    app = prefix.unix(APP)
    for name, data in (("NOTES.EXE", PROGRAM), ("README.TXT", README), ("NOTESANS.TTF", read_bytes(DEJAVU))):
        check(read_bytes(os.path.join(app, name)) == data, "%s not installed" % name)
    check(not os.path.exists(os.path.join(app, "FIRST.TXT")), "the examples were left out")
    check(read_bytes(prefix.unix(r"C:\windows\NOTESRT.DLL")) == NEW_LIBRARY, "the shared library was not replaced")
    check(read_bytes(prefix.unix(BACKUP + r"\NOTESRT.DLL")) == OLD_LIBRARY, "the shared library was not saved")
    check((APP + r"\NOTESANS.ttf").encode() in read_bytes(os.path.join(app, "NOTESANS.fot")), "no font resource")
    check(lnk_target(os.path.join(prefix.programs, GROUP, "Notes RT.lnk")) == APP + r"\NOTES.EXE", "program item")
    changed = differences(before[0], files)
    for path in ("Shared/settings.ini", "Shared/config.txt", "autoexec.bat"):
        check(path in changed, "%s was not changed" % path)
    check(read_bytes(prefix.unix(r"C:\autoexec.bat")) ==
          b"@ECHO OFF\r\nSET PATH=%PATH%;C:\\DOS;" + APP.encode() + b"\r\nSET TEMP=C:\\TEMP\r\n", "text line")
    changed = registry_differences(before[1], registry)
    check(changed == [("system.reg", "[Software\\\\SampleRT]"), ("user.reg", "[Software\\\\SampleRT]")],
          "registry keys changed by the install: %s" % changed)
    completion = read_ini(log_path)
    check(dict(completion["setup"]) == {"remove": "1", "Y2AOverwrite": "1",
                                        "name": "Remove Notes RT"}, "[SetUp] of the log: %s" % completion["setup"])
    check([v.split("|")[0] for _, v in completion["choise"]] == ["step1", "step2"], completion["choise"])

    remove(prefix, log)
    expect_as_before(prefix, before)


@scenario
def installed_twice_then_removed(prefix):
    # A second install (a repair, say) over the first: the log keeps the values
    # from before the first one and the backup keeps the file found then, so
    # one removal still goes back to the machine before either.
    media = lay_out(prefix)
    before = snapshot(prefix)
    expect_done(run_setup(prefix, media, INSTALL_PLAN, name="install"), exit_code=3010)
    # Yes to all for the files of the first install.
    expect_done(run_setup(prefix, media, INSTALL_PLAN.replace("click 6", "click 101"), name="again"), exit_code=3010)
    check(read_bytes(prefix.unix(BACKUP + r"\NOTESRT.DLL")) == OLD_LIBRARY, "the backup was replaced")
    check(read_bytes(prefix.unix(r"C:\Shared\settings.ini")).count(b"notes.dll") == 2, "not installed twice")
    remove(prefix, read_bytes(prefix.unix(BACKUP + r"\SETUP.INF")))
    expect_as_before(prefix, before)


# Names that hold the script's own characters: a folder with '%', a target
# written with a doubled ':', keys and a value name with a doubled '|', and a
# library stored compressed on the machine. Installed and removed quietly, the
# machine is as before, every byte of the saved library included.
# What makes the log a quiet removal script: written into it, unrecorded.
QUIET_REMOVAL = r"""BackUpDir\SETUP.INF|SetUp|remove=1/,-
BackUpDir\SETUP.INF|SetUp|silent=1/,-
BackUpDir\SETUP.INF|SetUp|reboot=0/,-
BackUpDir\SETUP.INF|SetUp|Y2AOverwrite=1/,-
BackUpDir\SETUP.INF|choise|Undo=step1/,-
BackUpDir\SETUP.INF|choise|Remove=step2/,-
BackUpDir\SETUP.INF|choise|Folders=step3/,-
BackUpDir\SETUP.INF|disks|1=Backup/,-
"""


def remove_quietly(prefix, before, app, row="", name="remove"):
    """Runs the quiet removal from the backup directory in app: the machine
    is as before, but for that directory with the log and the installer's
    own copies."""
    remover = Media(prefix, rel(app + r"\Uninstall"), program=False)
    expect_done(run_setup(prefix, remover, "", args="/quiet", name=name))
    files, registry = snapshot(prefix)
    left = {rel(app), rel(app + r"\Uninstall")} | {rel(app + "\\Uninstall\\" + n)
                                                  for n in ("SETUP.INF", "setup.exe", "STP.DLL")}
    changed = set(differences(before[0], files))
    check(changed == left, row + "files that differ from before: %s" % sorted(changed ^ left))
    check(registry_differences(before[1], registry) == [], row + "registry not as before")


ODD = r"C:\Odd 100%"
ODD_INSTALL = r"""[SetUp]
silent=1
reboot=0

[choise]
Main=Main|The program

[path]
AppDir=C:\Odd 100%%
BackUpDir=%AppDir%\Uninstall
RemoveInf=%BackUpDir%\SETUP.INF
SharedDir=C:\Shared

[disks]
1=Disk one

[Main]
1:%AppDir%\NOTESANS.TTF=Font
1:C::\windows\odd.dll=Odd library/,!
1:%BackUpDir%\setup.exe=Removal program/,-
1:%BackUpDir%\STP.DLL=Removal resources/,-

[fot.Main]
AppDir\NOTESANS=Notes Sans

[ini.Main]
SharedDir\x.ini|s|mode||fast=1
%(removal)s
[str.Main]
SharedDir\cmds.txt|none|grep -v foo||bar=grep -v foo|bar

[reg.Main]
HKEY_CURRENT_USER\Software\OddNames|a||b=new
""".replace("%(removal)s", QUIET_REMOVAL)


@scenario
def separators_in_names_come_back_whole(prefix):
    stored = compressed(OLD_LIBRARY)
    write(prefix, r"C:\windows\odd.dll", stored)
    write(prefix, r"C:\Shared\x.ini", b"[s]\r\nmode=safe\r\n")
    write(prefix, r"C:\Shared\cmds.txt", b"grep -v foo\r\nls\r\n")
    import_registry(prefix, 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\OddNames]\n"a"="keep"\n')
    media = Media(prefix)
    media.script(ODD_INSTALL)
    media.write("NOTESANS.TTF", read_bytes(DEJAVU))
    media.write("odd.dll", NEW_LIBRARY)
    before = snapshot(prefix)

    expect_done(run_setup(prefix, media, "", args="/quiet", name="install"))
    check(read_bytes(prefix.unix(r"C:\windows\odd.dll")) == NEW_LIBRARY, "the library was not replaced")
    check(read_bytes(prefix.unix(ODD + r"\Uninstall\odd.dll")) == stored, "the library was not saved as it was")
    check(os.path.exists(prefix.unix(ODD + r"\NOTESANS.fot")), "no font resource")
    check(prefix.reg_query(r"HKCU\Software\OddNames", "a|b") == ("REG_SZ", "new"), "value a|b not written")

    remove_quietly(prefix, before, ODD)


# Text beyond the legacy code page: a script saved as UTF-16LE or UTF-8 with a
# byte-order mark names a folder, files, a registry value, INI and text
# files in either Unicode form and a program group with Greek and Chinese
# letters; the removal puts every old value back exactly. A script in the
# legacy code page with only its letters behaves as it always did.
WIDE_SCRIPT = r"""[SetUp]
silent=1
reboot=0

[choise]
Main=Main|%(name)s

[path]
AppDir=C:\Program Files\%(name)s
BackUpDir=%%AppDir%%\Uninstall
RemoveInf=%%BackUpDir%%\SETUP.INF
SharedDir=C:\Shared

[disks]
1=Disk one

[Main]
1:%%AppDir%%\NOTES.EXE=Program
1:%%AppDir%%\README.TXT__=Read me
1:%%BackUpDir%%\setup.exe=Removal program/,-
1:%%BackUpDir%%\STP.DLL=Removal resources/,-

[ini.Main]
SharedDir\wide.ini|%(name)s|Name=%(name)s
SharedDir\wide.ini|%(name)s|Dir=%%AppDir%%
%(removal)sBackUpDir\SETUP.INF|group.step2|%(name)s=the program group/,-

[str.Main]
SharedDir\wide.txt|none|Name=Name=%(name)s
SharedDir\plain.txt|none|Name=Name=%(name)s

[reg.Main]
HKEY_CURRENT_USER\Software\%(name)s|Name=%(name)s
HKEY_CURRENT_USER\Software\%(name)s|Dir=%%AppDir%%

[group.Main]
%(name)s|%(name)s=%%AppDir%%\NOTES.EXE,%(name)s
"""

WIDE = "Café Ωmega 中文"


def bom_text(encoding, text):
    return text.encode(encoding) if encoding != "utf-16-le" else b"\xff\xfe" + text.encode(encoding)


# script encoding, the product's name, the INI and the second text file's encoding
WIDE_ROWS = [("utf-16-le", WIDE, "utf-16-le", "utf-8-sig"),
             ("utf-8-sig", WIDE, "utf-16-le", "utf-16-le"),
             ("cp1252", "Café", "cp1252", "cp1252")]


@scenario
def text_beyond_the_code_page_comes_back_exactly(prefix):
    for encoding, name, ini_encoding, text_encoding in WIDE_ROWS:
        row = "%s script: " % encoding
        app = "C:\\Program Files\\" + name
        old_value = "old " + name[::-1]
        write(prefix, r"C:\Shared\wide.ini", bom_text(ini_encoding, "[%s]\r\nName=%s\r\n" % (name, old_value)))
        write(prefix, r"C:\Shared\wide.txt", bom_text(ini_encoding, "Name=%s\r\nrest\r\n" % old_value))
        write(prefix, r"C:\Shared\plain.txt", bom_text(text_encoding, "first\r\nName=%s\r\n" % old_value))
        import_registry(prefix, 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\%s]\n'
                                '"Name"="%s"\n' % (name, old_value))
        media = Media(prefix, "media-" + encoding)
        script = WIDE_SCRIPT % {"name": name, "removal": QUIET_REMOVAL}
        media.write("SETUP.INF", bom_text(encoding, script.replace("\n", "\r\n")))
        media.write("NOTES.EXE", PROGRAM)
        media.write("README.TX_", compressed(README))
        before = snapshot(prefix)

        expect_done(run_setup(prefix, media, "", args="/quiet", name="install-" + encoding))
        for file, data in (("NOTES.EXE", PROGRAM), ("README.TXT", README)):
            check(read_bytes(prefix.unix(app + "\\" + file)) == data, row + "%s not installed in %s" % (file, app))
        check(read_bytes(prefix.unix(r"C:\Shared\wide.ini")) ==
              bom_text(ini_encoding, "[%s]\r\nName=%s\r\nDir=%s\r\n" % (name, name, app)), row + "INI file")
        check(read_bytes(prefix.unix(r"C:\Shared\wide.txt")) == bom_text(ini_encoding, "Name=%s\r\nrest\r\n" % name),
              row + "UTF-16 text line")
        check(read_bytes(prefix.unix(r"C:\Shared\plain.txt")) ==
              bom_text(text_encoding, "first\r\nName=%s\r\n" % name), row + "text line")
        check(registry_text(prefix, "user.reg", "Software\\\\" + name, "Name") == name, row + "registry value")
        check(os.path.isfile(os.path.join(prefix.programs, name, name + ".lnk")), row + "no program item")
        log = read_bytes(prefix.unix(app + r"\Uninstall\SETUP.INF"))
        check(log[:2] == b"\xff\xfe" and name in log[2:].decode("utf-16-le"), row + "the removal log is no UTF-16 log")

        remove_quietly(prefix, before, app, row, "remove-" + encoding)
        check(registry_text(prefix, "user.reg", "Software\\\\" + name, "Name") == old_value, row + "old value")
        shutil.rmtree(prefix.unix(app))


def registry_text(prefix, hive, key, name):
    """A string value as Wine stores it in its registry file (a character
    beyond ASCII as \\x and up to four hex digits)."""
    prefix.stop()
    with open(os.path.join(prefix.path, hive), encoding="utf-8", errors="replace") as f:
        lines = [re.sub(r"\\x([0-9a-fA-F]{1,4})", lambda m: chr(int(m.group(1), 16)), line)
                 for line in f.read().splitlines()]
    start = next((i for i, line in enumerate(lines) if line.lower().startswith("[%s]" % key.lower())), None)
    check(start is not None, "no key %s in %s" % (key, hive))
    for line in lines[start + 1:]:
        if line.startswith("["):
            break
        if line.startswith('"%s"="' % name):
            return line[len(name) + 4:-1].replace("\\\\", "\\")
    return None
