"""The installer declares itself aware of the screen's resolution, so
Windows draws its dialogs at that resolution instead of stretching them: they
must then be correct at any. At 144 dots per inch each dialog of the sample
up to the component list grows by the resolution's factor, and every control
of it lies inside it. The dialogs are opened at 96 and at 144 and compared
with each other, so the machine's fonts decide nothing. (Wine draws every
program at the screen's resolution, declared or not: this checks the dialogs,
not the declaration.)"""
from harness import check, expect_done, run_setup, sample_media, scenario

DIALOGS = ["Welcome", "Licence Agreement", "Installation Options", "Sample Notes 1.0 Setup"]
PLAN = """
    expect caption=Welcome
    click 1
    expect caption=Licence Agreement
    click 1
    expect caption=Installation Options
    click 1
    expect caption=Sample Notes 1.0 Setup
    click 2
"""


def size(rect):
    return rect[2] - rect[0], rect[3] - rect[1]


def inside(inner, outer):
    return outer[0] <= inner[0] <= inner[2] <= outer[2] and outer[1] <= inner[1] <= inner[3] <= outer[3]


@scenario
def dialogs_grow_with_the_resolution_and_hold_their_controls(prefix):
    media = sample_media(prefix)
    seen = {}
    for dpi in (96, 144):
        prefix.reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
        prefix.stop()  # the resolution is read when the session starts
        t = run_setup(prefix, media, PLAN, name="dpi%d" % dpi)
        expect_done(t, exit_code=1602)
        check(t.captions() == DIALOGS, t.captions())
        seen[dpi] = {e["caption"]: e for e in t.dialogs()}
    for caption in DIALOGS:
        small, large = size(seen[96][caption]["rect"]), size(seen[144][caption]["rect"])
        # 1.5 in theory; the fonts' own sizes round a little either way.
        check(all(1.35 <= b / a <= 1.65 for a, b in zip(small, large)), "%s: %s at 96, %s at 144" %
              (caption, small, large))
        dialog = seen[144][caption]
        outside = [c["id"] for c in dialog["controls"] if c["visible"] and not inside(c["rect"], dialog["rect"])]
        check(outside == [], "%s at 144: controls outside the dialog: %s" % (caption, outside))
