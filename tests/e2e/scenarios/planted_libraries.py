"""Libraries planted on the media and in the current directory are never
loaded. The installer runs with administrator rights from media that anyone
may have written to; a library found there under the name of one it (or a
system library it calls) loads would run with those rights. Here a library
that marks the run when its code runs lies beside setup.exe and in the
current directory under every such name, Wine is told to prefer them over
its own (as Windows prefers a library beside the program for every name that
is not a known system library), and it stands in for STP.DLL too, whose
templates it carries: the sample product installs in full and no mark
appears."""
import glob
import os
import shutil

from harness import (BUILD, check, expect_done, run_setup, sample_earlier_version, sample_media, sample_plan,
                     scenario)

# What the installer's process loads under Wine (WINEDEBUG=+loaddll) during
# the sample's install, besides ntdll, the kernel and the C runtime, which are
# imported when the program starts; and a few that system libraries load on
# Windows. Wine is told to prefer the planted ones, except for ole32 and the
# two it imports: on Windows these are known libraries, always taken from the
# system directory, while Wine's imm32 loads ole32 by a path that ignores the
# process's search settings. Planted all the same, they must stay unused
# under Wine's own preference.
PREFERRED = ["advapi32", "comctl32", "cryptbase", "dwmapi", "gdi32", "imm32", "lz32", "msctf", "msimg32", "sechost",
             "shcore", "shell32", "shlwapi", "ucrtbase", "user32", "uxtheme", "version", "win32u", "zlib1"]
PLANTED = PREFERRED + ["combase", "ole32", "rpcrt4"]
MARKER = os.path.join(BUILD, "tests", "load_marker.dll")


@scenario
def sample_installs_and_no_planted_library_runs(prefix):
    sample_earlier_version(prefix)
    media = sample_media(prefix)
    current = os.path.join(prefix.drive_c, "current")
    os.makedirs(current)
    for directory in (media.path, current):
        for name in PLANTED:
            shutil.copy(MARKER, os.path.join(directory, name + ".dll"))
    shutil.copy(MARKER, os.path.join(media.path, "STP.DLL"))
    prefix.env["WINEDLLOVERRIDES"] += ";%s=n,b" % ",".join(PREFERRED)

    t = run_setup(prefix, media, sample_plan("robot.plan"), cwd=current)
    marks = sorted(os.path.relpath(p, prefix.drive_c)
                   for p in glob.glob(os.path.join(prefix.drive_c, "**", "*.loaded"), recursive=True))
    check(marks == [], "planted libraries ran: %s" % marks)
    expect_done(t, exit_code=3010)  # the sample asks for a restart; the plan puts it off
    check(t.captions() == ["Welcome", "Licence Agreement", "Installation Options", "Sample Notes 1.0 Setup",
                           "Destination Directory", "Confirm File Replace", "Installation Complete"], t.captions())
    check(os.path.exists(prefix.unix(r"C:\Program Files\Sample Notes\Uninstall\SETUP.INF")), "no removal log written")
