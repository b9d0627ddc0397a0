"""A silent install: plain and compressed media files into a deep target, the
compressed-name rule, the Windows directory for one-part targets, the removal
log, and the restart prompt."""
import os
import random

from harness import (Media, check, compressed, expect_done, import_registry, log_lines, read_bytes, read_ini, run_setup,
                     scenario)

random.seed(4)
TEXT = ("Line %d of a readme that compresses well.\r\n" * 40 % tuple(range(40))).encode()
BINARY = bytes(random.getrandbits(8) for _ in range(70000))
TOOL = bytes(random.getrandbits(8) for _ in range(3000)) + b"\0" * 5000

SCRIPT = r"""[SetUp]
silent=1
reboot=%(reboot)d

[choise]
Main program=Main|The program

[path]
AppDir=C:\Apps\Deep\Product
RemoveInf=C:\Logs\remove.inf

[disks]
1=Product disk

[Main]
1:%%AppDir%%\readme.txt=Read me
1:%%AppDir%%\data.bin=Data file
1:%%AppDir%%\prog.exe__=Program
1:%%AppDir%%\notes.txt_1=Notes
1:AppDir\bin\tool.dll=Tool library
1:app.ini=Settings
"""


def lay_out(prefix, reboot=0):
    media = Media(prefix)
    media.script(SCRIPT % {"reboot": reboot})
    media.write("readme.txt", TEXT)             # plain
    media.write("data.bin", compressed(BINARY))  # compressed under its own name
    media.write("prog.ex_", compressed(TOOL))     # the name rule: prog.exe__
    media.write("notes.tx1", compressed(TEXT))   # the name rule: notes.txt_1
    media.write("tool.dll", TOOL)
    media.write("app.ini", b"[app]\r\nkey=value\r\n" * 4)
    return media


@scenario
def installs_every_file(prefix):
    media = lay_out(prefix)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
    """)
    expect_done(t)
    check(t.captions() == ["Welcome"], "dialogs: %s" % t.captions())
    app = prefix.unix(r"C:\Apps\Deep\Product")
    expected = {"readme.txt": TEXT, "data.bin": BINARY, "prog.exe": TOOL, "notes.txt": TEXT,
                os.path.join("bin", "tool.dll"): TOOL}
    for name, data in expected.items():
        path = os.path.join(app, name)
        check(os.path.exists(path), "%s not installed" % name)
        check(read_bytes(path) == data, "%s differs from its source" % name)
    check(sorted(os.listdir(app)) == ["bin", "data.bin", "notes.txt", "prog.exe", "readme.txt"],
          "unexpected files: %s" % os.listdir(app))
    check(read_bytes(os.path.join(prefix.windows, "app.ini")) == b"[app]\r\nkey=value\r\n" * 4,
          "one-part target not in the Windows directory")
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())

    log = read_ini(prefix.unix(r"C:\Logs\remove.inf"))
    check(dict(log["path"]) == {"AppDir": r"C:\Apps\Deep\Product", "RemoveInf": r"C:\Logs\remove.inf"},
          "path records: %s" % log.get("path"))
    # The target as written, with the compressed-name marker cut off.
    check(log["del.step2"] == [(r"%AppDir%\readme.txt", "Read me"), (r"%AppDir%\data.bin", "Data file"),
                               (r"%AppDir%\prog.exe", "Program"), (r"%AppDir%\notes.txt", "Notes"),
                               (r"AppDir\bin\tool.dll", "Tool library"), ("app.ini", "Settings")],
          "delete records: %s" % log["del.step2"])



@scenario
def restart_prompt_after_the_pass(prefix):
    media = lay_out(prefix, reboot=1)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Installation Complete
        click 2
    """)
    expect_done(t, exit_code=3010)  # Later: the restart reboot=1 asks for is not done
    check(read_bytes(prefix.unix(r"C:\Apps\Deep\Product\data.bin")) == BINARY, "install before the prompt")
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())


@scenario
def temporary_folder_beyond_the_code_page(prefix):
    """A user whose profile folder holds letters the code page cannot spell
    (TEMP lies under it): the run makes its private directory there, installs
    and takes that directory away again."""
    profile = "C:\\users\\\u03a9mega \u4e2d"
    temp = profile + r"\AppData\Local\Temp"
    os.makedirs(prefix.unix(temp))
    wide, home = temp.replace("\\", "\\\\"), profile.replace("\\", "\\\\")
    import_registry(prefix, 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Environment]\n'
                            '"TEMP"="%s"\n"TMP"="%s"\n"USERPROFILE"="%s"\n' % (wide, wide, home))
    media = lay_out(prefix)
    t = run_setup(prefix, media, "expect caption=Welcome\nclick 1", args=r"/log=C:\temp.log")
    expect_done(t)
    check(read_bytes(prefix.unix(r"C:\Apps\Deep\Product\data.bin")) == BINARY, "data.bin not installed")
    check(any(temp in line for line in log_lines(prefix, r"C:\temp.log")), "the run did not work in %s" % temp)
    check(os.listdir(prefix.unix(temp)) == [], "left in the temporary folder: %s" % os.listdir(prefix.unix(temp)))
