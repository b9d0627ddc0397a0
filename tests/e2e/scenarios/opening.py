"""The opening of a run: welcome, licence, script name, missing script."""
from harness import Media, check, control_text, expect_done, read_bytes, run_setup, scenario

SCRIPT = """[SetUp]
license=%d
silent=1
reboot=0
"""


@scenario
def welcome_cancelled(prefix):
    media = Media(prefix)
    media.script(SCRIPT % 0)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 2
    """)
    expect_done(t)
    check(t.captions() == ["Welcome"], t.captions())
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())
