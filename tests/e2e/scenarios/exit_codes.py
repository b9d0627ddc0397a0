"""The exit code tells how a run ended: 0 completed, 1602 the user cancelled
or declined (wherever that was), 1603 Abort after an error, 1622 the log
asked for cannot be opened, 3010 completed with a restart due that was not
done. A quiet run answers a message the way
that stops, and its exit code counts that as a failure, not a cancel; the
run's log names the entry and the answer."""
import os
import shutil

from harness import Media, check, expect_done, log_lines, run_setup, scenario

SCRIPT = r"""[SetUp]
license=1
name=Product
%(setup)s

[options]
Language=LANGUAGE

[LANGUAGE]
English=E
Deutsch=D

[choise]
Main=Main|The program

[path]
AppDir=C:\App;the program
RemoveInf=C:\App\Uninstall\remove.inf

[disks]
1=Disk one
2=Disk two

[Main]
1:%%AppDir%%\one.txt=One
2:%%AppDir%%\two.txt=Two
2:%%AppDir%%\three.txt=Three
%(extra)s
"""
# A registry key path of 270 characters: over the platform's 259.
LONG_KEY = "HKEY_CURRENT_USER\\Software\\" + "k" * 243
OVERLONG_ENTRY = "[reg.Main]\n%s|Value=x\n" % LONG_KEY
# How the run's log tells of it: the entry whole, the message, the answer.
LOGGED_REFUSAL = ("Message 200: [reg.Main] %s|Value | Cannot carry out specified entry as written ! | OK skips it, "
                  "Cancel stops the installation. -> Cancel" % LONG_KEY)

WELCOME = "expect caption=Welcome\nclick 1\n"
LICENCE = "expect caption=Licence Agreement\nclick 1\n"
OPTIONS = "expect caption=Installation Options\nclick 1\n"
COMPONENTS = "expect caption=Product\nclick 1\n"
PATH = "expect caption=Destination Directory\nclick 1\n"
DISK = "expect caption=Insert Disk\nclick 1\n"
TO_THE_PASS = WELCOME + LICENCE + OPTIONS + COMPONENTS + PATH
# After an aborted pass the component dialog stays open: leave it with Cancel.
LEAVE = "ready 2 caption=Product\npress 2 caption=Product\n"
LATER = "expect caption=Installation Complete\nclick 2\n"


def lay_out(prefix, setup="", extra="", files=("one.txt", "two.txt", "three.txt")):
    media = Media(prefix)
    media.script(SCRIPT % {"setup": setup, "extra": extra})
    media.write("LICENSE.TXT", "Licence\r\n")
    for name in files:
        media.write(name, "%s from the media\r\n" % name)
    return media


def app(prefix, *names):
    return os.path.join(prefix.unix(r"C:\App"), *names)


def installed(prefix):
    return sorted(n for n in os.listdir(app(prefix)) if n.endswith(".txt")) if os.path.isdir(app(prefix)) else []


def run(prefix, media, plan, code, name, args=""):
    t = run_setup(prefix, media, plan, name=name, args=args)
    expect_done(t, exit_code=code)
    return t


@scenario
def cancelled_or_declined_anywhere_is_1602(prefix):
    media = lay_out(prefix)
    cases = {
        "welcome": "expect caption=Welcome\nclick 2\n",
        "licence": WELCOME + "expect caption=Licence Agreement\nclick 2\n",
        "options": WELCOME + LICENCE + "expect caption=Installation Options\nclick 2\n",
        "components": WELCOME + LICENCE + OPTIONS + "expect caption=Product\nclose\n",
        "path": WELCOME + LICENCE + OPTIONS + COMPONENTS + "expect caption=Destination Directory\nclick 2\n" + LEAVE,
        "disk": TO_THE_PASS + "expect caption=Insert Disk\nclick 2\n" + LEAVE,
        # Cancel on the progress dialog while the disk prompt waits: the next
        # copy entry ends the pass.
        "progress": TO_THE_PASS + "expect caption=Insert Disk\npress 2 control=300\nclick 1\n" + LEAVE,
    }
    copied = {}
    for name, plan in cases.items():
        run(prefix, media, plan, 1602, name)
        copied[name] = installed(prefix)
        for file in copied[name]:
            os.remove(app(prefix, file))
    check(copied == dict({name: [] for name in cases}, disk=["one.txt"], progress=["one.txt", "two.txt"]),
          "what the passes copied: %s" % copied)

    # Cancel in the question whether to replace a file.
    with open(app(prefix, "one.txt"), "w") as f:
        f.write("there before")
    run(prefix, media, TO_THE_PASS + "expect caption=Confirm File Replace\nclick 2\n" + LEAVE, 1602, "replace")
    # Cancel in an OK/Cancel message: an entry the installer refuses.
    media = lay_out(prefix, extra=OVERLONG_ENTRY)
    t = run(prefix, media, TO_THE_PASS + "expect caption=Confirm File Replace\nclick 101\n" + DISK +
            "expect message~Cannot carry out\nclick 2\n" + LEAVE, 1602, "message", args=r"/log=C:\message.log")
    # The box holds 255 characters: the key is shortened at its start there,
    # and written whole into the log.
    check(t.messages()[0].startswith("[reg.Main] ...") and
          t.messages()[0].endswith("kkkkkk|Value\nCannot carry out specified entry as written !\nOK skips it, Cancel "
                                   "stops the installation."), t.messages())
    with open(prefix.unix(r"C:\message.log"), encoding="latin-1") as f:
        log = f.read()
    check(LOGGED_REFUSAL + "\n" in log, log)


@scenario
def abort_after_an_error_is_1603_and_stays_so(prefix):
    # two.txt is not on the media: Abort on "Cannot open". The Cancel that
    # leaves the component dialog afterwards does not make it a cancel.
    media = lay_out(prefix, files=("one.txt", "three.txt"))
    t = run(prefix, media, TO_THE_PASS + DISK + "expect message~Cannot open specified file !\nclick 3\n" + LEAVE,
            1603, "abort")
    check(t.messages() == ["C:\\media\\two.txt\nCannot open specified file !"], t.messages())
    # The same from a quiet run: no window at all, Abort given for the user.
    os.remove(app(prefix, "one.txt"))
    t = run(prefix, media, "", 1603, "quiet", args="/quiet")
    check(t.events == [t.end], "a quiet run showed: %s" % t.events[:-1])
    check(installed(prefix) == ["one.txt"], installed(prefix))


@scenario
def quiet_refusal_is_logged_and_1603(prefix):
    media = lay_out(prefix, setup="reboot=0", extra=OVERLONG_ENTRY)
    t = run(prefix, media, "", 1603, "quiet", args=r"/quiet /log=C:\quiet.log")
    check(t.events == [t.end], "a quiet run showed: %s" % t.events[:-1])
    lines = log_lines(prefix, r"C:\quiet.log")
    check(LOGGED_REFUSAL + " (quiet)" in lines, lines)
    check(lines[-2:] == ["Install pass aborted", "Exit code 1603"], lines[-2:])
    # The copies before the registry stage were made; the pass ended there.
    check(installed(prefix) == ["one.txt", "three.txt", "two.txt"], installed(prefix))

    # A program item that cannot be made: a file stands where the group's
    # folder would go.
    os.makedirs(prefix.programs, exist_ok=True)
    with open(os.path.join(prefix.programs, "Tools"), "w") as f:
        f.write("not a folder")
    media = lay_out(prefix, setup="reboot=0\nY2AOverwrite=1", extra="[group.Main]\nTools|One=%AppDir%\\one.txt,One\n")
    run(prefix, media, "", 1603, "group", args=r"/quiet /log=C:\group.log")
    with open(prefix.unix(r"C:\group.log"), encoding="latin-1") as f:
        lines = [line[9:] for line in f.read().splitlines()]
    refused = [line for line in lines if line.startswith("Message 113: ")]
    check(len(refused) == 1 and "Tools\\One.lnk | Cannot create specified program item !" in refused[0] and
          refused[0].endswith("-> Abort (quiet)"), lines)
    check(lines[-2:] == ["Install pass aborted", "Exit code 1603"], lines[-2:])

    # A value an ANSI file's code page cannot spell is never written as a
    # look-alike: the entry is refused (message 202) and the file unchanged.
    ini = prefix.unix(r"C:\windows\plain.ini")
    with open(ini, "wb") as f:
        f.write(b"[s]\r\nk=old\r\n")
    setup = "reboot=0\nY2AOverwrite=1"
    media = lay_out(prefix, setup=setup)
    script = SCRIPT % {"setup": setup, "extra": "[ini.Main]\nplain.ini|s|k=\u03a9\n"}
    media.write("SETUP.INF", script.replace("\n", "\r\n").encode("utf-16"))
    run(prefix, media, "", 1603, "encoding", args=r"/quiet /log=C:\encoding.log")
    lines = log_lines(prefix, r"C:\encoding.log")
    check(any(line.startswith("Message 202: [ini.Main] plain.ini|s|k | ") for line in lines), lines)
    check(open(ini, "rb").read() == b"[s]\r\nk=old\r\n", "the ANSI file was changed")


@scenario
def completed_is_0_or_3010_when_a_restart_is_due_and_not_done(prefix):
    full = TO_THE_PASS + DISK
    # The script's reboot key says a restart is due (its default, 1): Later leaves it due.
    run(prefix, lay_out(prefix), full + LATER, 3010, "later")
    # /norestart: no restart prompt at all, and the restart stays due.
    run(prefix, lay_out(prefix, setup="Y2AOverwrite=1"), full, 3010, "norestart", args="/NoRestart")
    # reboot=0: nothing is due; the interactive run still offers it.
    run(prefix, lay_out(prefix, setup="reboot=0\nY2AOverwrite=1"), full + LATER, 0, "nothing-due")
    check(installed(prefix) == ["one.txt", "three.txt", "two.txt"], installed(prefix))


@scenario
def log_folders_made_and_a_log_that_cannot_be_had(prefix):
    media = lay_out(prefix, setup="reboot=0")
    # The log's missing folders are made.
    run(prefix, media, "", 0, "made", args=r"/quiet /log=C:\new\logs\run.log")
    lines = log_lines(prefix, r"C:\new\logs\run.log")
    check(lines[-1] == "Exit code 0", lines)
    check(installed(prefix) == ["one.txt", "three.txt", "two.txt"], installed(prefix))
    shutil.rmtree(app(prefix))

    # A log whose folder is a file cannot be opened: the run ends before it
    # changes anything; interactively after Abort on the message.
    with open(prefix.unix(r"C:\logs"), "w") as f:
        f.write("a file where the folder would be")
    run(prefix, media, "", 1622, "unopened", args=r"/quiet /log=C:\logs\run.log")
    t = run(prefix, media, "expect message~Cannot create specified file !\nclick 3", 1622, "aborted",
            args=r"/log=C:\logs\run.log")
    check(t.messages() == ["C:\\logs\\run.log\nCannot create specified file !"], t.messages())
    check(not os.path.exists(app(prefix)), "changed: %s" % list(os.walk(app(prefix))))
    # A log on a full disk (/dev/full through Wine's Z:): a quiet run is
    # stopped as failed at its first line, before its first change.
    run(prefix, media, "", 1603, "full", args=r"/quiet /log=Z:\dev\full")
    check(not os.path.exists(app(prefix)), "changed: %s" % list(os.walk(app(prefix))))
