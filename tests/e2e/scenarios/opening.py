"""The opening of a run: welcome, licence, script name, a missing script,
where the start-up files come from, and that no run leaves a temporary copy
behind."""
from harness import Media, check, control_text, expect_done, log_lines, run_setup, scenario

# Silent with no components and no restart prompt: the run ends right after
# the opening, whatever the later steps do.
SCRIPT = """[SetUp]
license=%d
silent=1
reboot=0
"""
LICENCE = b"END-USER LICENCE\r\n\r\n1.\tYou may install this product.\r\n2.\tCaf\xe9 terms apply.\r\n"


def no_temporary_copies(prefix):
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())


def elevated(lines):
    """Whether the run's log says it ran elevated (Wine 8 runs every program
    with an administrator's full token); a log that does not say fails."""
    check("Elevated: yes" in lines or "Elevated: no" in lines, "the log does not say: %s" % lines)
    return "Elevated: yes" in lines


@scenario
def welcome_cancelled_or_closed(prefix):
    media = Media(prefix)
    media.script(SCRIPT % 1)
    media.write("LICENSE.TXT", LICENCE)
    for answer in ("click 2", "close"):
        t = run_setup(prefix, media, "expect caption=Welcome\n" + answer)
        expect_done(t, exit_code=1602)
        check(t.captions() == ["Welcome"], "after %s: %s" % (answer, t.captions()))
        no_temporary_copies(prefix)


@scenario
def licence_shown_exactly_then_declined(prefix):
    media = Media(prefix)
    media.script(SCRIPT % 1)
    media.write("LICENSE.TXT", LICENCE)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect control=200
        click 2
    """)
    expect_done(t, exit_code=1602)
    licence = t.find(control=200)
    check(control_text(licence, 200).encode("latin-1") == LICENCE,
          "licence text differs: %r" % control_text(licence, 200))
    no_temporary_copies(prefix)
    # Closing the licence with its close box declines it as well.
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect control=200
        close
    """)
    expect_done(t, exit_code=1602)
    check(len(t.captions()) == 2, t.captions())
    no_temporary_copies(prefix)


@scenario
def licence_accepted_and_licence_2_skipped(prefix):
    media = Media(prefix)
    media.write("LICENSE.TXT", LICENCE)
    media.script(SCRIPT % 1)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect control=200
        click 1
    """)
    expect_done(t)
    no_temporary_copies(prefix)
    media.script(SCRIPT % 2)
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
    """)
    expect_done(t)
    check(t.captions() == ["Welcome"], "license=2 must show no licence: %s" % t.captions())
    no_temporary_copies(prefix)


@scenario
def script_named_on_the_command_line(prefix):
    media = Media(prefix)
    media.write("LICENSE.TXT", LICENCE)
    media.script(SCRIPT % 0)          # the default script: no licence
    media.script(SCRIPT % 1, name="OTHER.INF")
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect control=200
        click 2
    """, args="OTHER.INF")
    expect_done(t, exit_code=1602)
    check(t.find(control=200) is not None, "OTHER.INF asks for the licence: %s" % t.captions())
    no_temporary_copies(prefix)


@scenario
def missing_script_retry_then_abort(prefix):
    media = Media(prefix)
    t = run_setup(prefix, media, """
        expect message~Cannot open specified file !
        click 4
        expect message~Cannot open specified file !
        click 3
    """, args=r"/log=C:\missing.log")
    expect_done(t, exit_code=1603)
    messages = t.messages()
    # An elevated run looks in its own directory only, and names the file there.
    tried = r"C:\media\SETUP.INF" if elevated(log_lines(prefix, r"C:\missing.log")) else "SETUP.INF"
    check(messages == [tried + "\nCannot open specified file !"] * 2, messages)
    check(all(d["caption"] == "SetUp" for d in t.dialogs()), t.captions())
    check(t.find(caption="Welcome") is None, "no welcome without a script")
    no_temporary_copies(prefix)


@scenario
def start_up_files_from_the_installers_directory(prefix):
    # The current directory holds a library that is none and the only
    # script: the installer's own library is used, and an elevated run does
    # not take the script, whatever it would do; one that is not elevated
    # finds it there.
    media = Media(prefix)
    current = Media(prefix, "current", program=False)
    current.script(SCRIPT % 0)
    current.write("STP.DLL", "no library")
    t = run_setup(prefix, media, "", args=r"/quiet /log=C:\bare.log", cwd=current.path)
    lines = log_lines(prefix, r"C:\bare.log")
    check(r"STP.DLL read from C:\media\STP.DLL" in lines, lines)
    if elevated(lines):
        expect_done(t, exit_code=1603)
        check("Message 102: C:\\media\\SETUP.INF | Cannot open specified file ! -> Abort (quiet)" in lines, lines)
    else:
        expect_done(t)
        check(r"SETUP.INF read from C:\current\SETUP.INF" in lines, lines)
    no_temporary_copies(prefix)


@scenario
def overlong_command_line_is_refused(prefix):
    media = Media(prefix)
    media.script(SCRIPT % 0)
    name = "X" * 300 + ".INF"
    t = run_setup(prefix, media, """
        expect message~Cannot open specified file !
        click 1
    """, args=name)
    expect_done(t, exit_code=1603)
    text = t.messages()[0]
    check(text.startswith("...XXX") and text.endswith("XXX\nCannot open specified file !") and len(text) <= 255, text)
    check(t.find(caption="Welcome") is None, "an over-long script name must not start the run")
    no_temporary_copies(prefix)


@scenario
def switches_come_before_the_script_name(prefix):
    media = Media(prefix)
    media.script(SCRIPT % 0)
    media.script(SCRIPT % 1, name="OTHER.INF")
    t = run_setup(prefix, media, "", args=r"/quiet /log=C:\other.log OTHER.INF")
    expect_done(t)
    check(t.events == [t.end], "a quiet run showed: %s" % t.events[:-1])
    lines = log_lines(prefix, r"C:\other.log")
    check(lines[1] == "Script: OTHER.INF" and lines[5:8] == [r"OTHER.INF read from C:\media\OTHER.INF",
                                                             "Welcome: not shown (quiet)", "Licence: accepted (quiet)"],
          lines)
    no_temporary_copies(prefix)
    # Behind the script's name a switch is part of the name, as it always was.
    t = run_setup(prefix, media, "expect message~Cannot open specified file !\nclick 3", args="OTHER.INF /quiet")
    expect_done(t, exit_code=1603)
    check(t.messages() == ["OTHER.INF /quiet\nCannot open specified file !"], t.messages())
