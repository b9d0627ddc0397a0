"""Font resource entries that need an answer from the user: an existing
resource file (overwrite dialog, second text format) and a font that cannot
be made into a resource (message 106)."""
import os
import shutil

from harness import Media, check, control_text, entries, expect_done, read_bytes, read_text, run_actions, scenario

DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
OLD = b"an old font resource file"


def place_fonts(prefix, names):
    fonts = os.path.join(prefix.drive_c, "fonts")
    os.makedirs(fonts, exist_ok=True)
    for name in names:
        shutil.copy(DEJAVU, os.path.join(fonts, name + ".ttf"))
    return fonts


@scenario
def existing_resource_files(prefix):
    fonts = place_fonts(prefix, "ABCD")
    for name in "ABCD":
        with open(os.path.join(fonts, name + ".fot"), "wb") as f:
            f.write(OLD)
    media = Media(prefix)
    t, records = run_actions(prefix, media, r"""
[vars]
RemoveInf=C:\test\remove.inf
[run]
1=fot.Main
[fot.Main]
C:\\fonts\A=x
C:\\fonts\B=x
C:\\fonts\C=x
C:\\fonts\D=x
""", """
        expect caption=Confirm File Replace
        click 2
        expect caption=Confirm File Replace
        click 6
        expect caption=Confirm File Replace
        click 101
    """)
    expect_done(t)
    asked = t.dialogs()
    check(len(asked) == 3, "asked %d times, wanted 3 (yes to all asks no more)" % len(asked))
    lines = control_text(asked[0], 100).split("\n")
    check(len(lines) == 4 and lines[0] == r"C:\fonts\A.fot" and lines[1] == "0KB" and
          lines[2].startswith("modified  on ") and lines[3] == "New Font Resource file", lines)
    check([r["result"] for r in entries(records)] == ["skipped", "go on", "go on", "go on"], records)
    # Cancel passed the one font over; 6 and 101 replaced, and so did yes to all.
    check(read_bytes(os.path.join(fonts, "A.fot")) == OLD, "A.fot was replaced after Cancel")
    for name in "BCD":
        fot = read_bytes(os.path.join(fonts, name + ".fot"))
        check(("C:\\fonts\\%s.ttf" % name).encode() in fot, "%s.fot is not a new resource file" % name)
    # Every entry is recorded before its file is made, the passed-over one too.
    log = read_text(prefix.unix(r"C:\test\remove.inf"))
    for name in "ABCD":
        check("C:\\fonts\\%s.fot=Font Resource file" % name in log, log)


@scenario
def resource_that_cannot_be_made(prefix):
    place_fonts(prefix, ["Real"])
    media = Media(prefix)
    t, records = run_actions(prefix, media, r"""
[run]
1=fot.Main
[fot.Main]
C:\\fonts\Missing=x
C:\\fonts\Lost=x
C:\\fonts\Real=x
""", """
        expect message~Missing.fot
        click 1
        expect message~Lost.fot
        click 2
    """)
    expect_done(t)
    check(t.messages() == ["C:\\fonts\\Missing.fot\nCannot create specified scalable font resorce file!",
                           "C:\\fonts\\Lost.fot\nCannot create specified scalable font resorce file!"], t.messages())
    # OK goes on with the next font; Cancel ends the pass before Real.
    check([(r["key"], r["result"]) for r in entries(records)] == [(r"C:\fonts|Missing", "skipped"),
                                                                 (r"C:\fonts|Lost", "abort")],
          records)
    check(not os.path.exists(prefix.unix(r"C:\fonts\Real.fot")), "the pass went on after Cancel")
