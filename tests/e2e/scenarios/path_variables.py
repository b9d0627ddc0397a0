"""The [path] section with the path dialog, read by the variables probe (the
install pass that reads it in a run lands later), and [reg] rows before it."""
import os
import shutil

from harness import BUILD, Media, check, control_text, expect_done, run_setup, scenario

PROMPT = "the program files"


def probe(prefix, media, script, plan, args=""):
    """Runs the probe on the script under the robot; (transcript, result, rows, expansions)."""
    shutil.copy(os.path.join(BUILD, "tests", "variables_probe.exe"), media.path)
    media.script(script)
    output = os.path.join(media.path, "probe.txt")
    t = run_setup(prefix, media, plan, exe="variables_probe.exe",
                  args=media.windows_path + "\\probe.txt " + media.windows_path + "\\SETUP.INF " + args)
    check(os.path.exists(output), "the probe wrote nothing; dialogs seen: %s" % t.captions())
    result, rows, expanded = None, [], {}
    with open(output, encoding="latin-1") as f:
        for line in f.read().splitlines():
            kind, _, rest = line.partition(" ")
            if line.startswith("result="):
                result = int(line[len("result="):])
            elif kind == "row":
                rows.append(tuple(rest.split("=", 1)))
            elif kind == "expand":
                name, value = rest.split("=", 1)
                expanded[name] = value
    return t, result, rows, expanded


@scenario
def prompt_asked_and_backslash_dropped(prefix):
    media = Media(prefix)
    t, result, rows, _ = probe(prefix, media, """[path]
AppDir=C:\\DEFAULT\\APP;%s
NoPrompt=%%WinDir%%\\SHARED
""" % PROMPT, """
        expect control=200
        text 200 C:\\APP\\
        click 1
    """)
    expect_done(t)
    check(result == 2, "result %s" % result)
    check(rows == [("AppDir", "C:\\APP"), ("NoPrompt", "C:\\windows\\SHARED")], rows)
    dialogs = t.dialogs()
    check(len(dialogs) == 1, "asked %d times: %s" % (len(dialogs), t.captions()))
    shown = dialogs[0]
    check(control_text(shown, 200) == "C:\\DEFAULT\\APP", control_text(shown, 200))
    # Both texts are templates of the resource library filled with the prompt.
    check(control_text(shown, 301) == "Setup will install %s into the directory below." % PROMPT,
          control_text(shown, 301))
    check(control_text(shown, 302) == "To install %s into another directory, type its path." % PROMPT,
          control_text(shown, 302))


@scenario
def cancel_adds_no_row(prefix):
    media = Media(prefix)
    script = """[path]
First=C:\\ONE
AppDir=C:\\APP;%s
Later=C:\\LATER;never asked
""" % PROMPT
    for answer in ("click 2", "close"):
        t, result, rows, _ = probe(prefix, media, script, """
            expect control=200
            text 200 C:\\CHANGED
            %s
        """ % answer)
        expect_done(t, exit_code=-1)
        check(result == -1, "%s: result %s" % (answer, result))
        check(rows == [("First", "C:\\ONE")], "%s: %s" % (answer, rows))
        check(len(t.dialogs()) == 1, "%s: %s" % (answer, t.captions()))


@scenario
def third_key_field_asks_only_for_a_selected_component(prefix):
    media = Media(prefix)
    t, result, rows, _ = probe(prefix, media, """[path]
AppDir/,/MAIN=C:\\APP;the program
DocDir/,/DOCS=C:\\DOC;the manuals
Other/,/main=C:\\OTHER;lower case
Coded/B/MAIN=C:\\CODED;not for these codes
""", """
        expect control=200
        text 200 C:\\CHOSEN
        click 1
    """, args="codes=A MAIN=1 DOCS=0 main=0")
    expect_done(t)
    check(rows == [("AppDir", "C:\\CHOSEN"), ("DocDir", "C:\\DOC"), ("Other", "C:\\OTHER")], rows)
    check(len(t.dialogs()) == 1, t.captions())
    check("the program" in control_text(t.dialogs()[0], 301), control_text(t.dialogs()[0], 301))


@scenario
def name_from_reg_keeps_its_row(prefix):
    prefix.reg("add", "HKCU\\Software\\Vendor\\App", "/v", "Path", "/d", "C:\\OLDAPP", "/f")
    prefix.reg("add", "HKCU\\Software\\Vendor\\App", "/v", "Build", "/t", "REG_DWORD", "/d", "255", "/f")
    media = Media(prefix)
    t, result, rows, expanded = probe(prefix, media, """[reg]
AppDir=HKEY_CURRENT_USER\\Software\\Vendor\\App|Path
Build=HKEY_CURRENT_USER\\Software\\Vendor\\App|Build
Gone=HKEY_CURRENT_USER\\Software\\Vendor\\Nothing|Path

[path]
AppDir=C:\\NEW;%s
""" % PROMPT, """
        expect control=200
        click 1
    """)
    expect_done(t)
    check(rows == [("AppDir", "C:\\OLDAPP"), ("Build", "FF"), ("Gone", ""), ("AppDir", "C:\\NEW")], rows)
    check(expanded["AppDir"] == "C:\\OLDAPP", expanded)
    check(control_text(t.dialogs()[0], 200) == "C:\\NEW", control_text(t.dialogs()[0], 200))


@scenario
def typed_path_and_registry_value_beyond_the_code_page(prefix):
    """A path typed into the dialog and a registry value, both with
    characters no ANSI code page holds all of, reach the rows whole (the
    probe writes them in UTF-8)."""
    typed = "C:\\Caf\u00e9 \u03a9mega\\\u4e2d\u6587"
    prefix.reg("add", "HKCU\\Software\\Vendor\\App", "/v", "Path", "/d", typed + "\\OLD", "/f")
    media = Media(prefix)
    t, result, rows, _ = probe(prefix, media, """[reg]
OldDir=HKEY_CURRENT_USER\\Software\\Vendor\\App|Path

[path]
AppDir=C:\\APP;%s
""" % PROMPT, """
        expect control=200
        text 200 %s\\
        click 1
    """ % typed)
    expect_done(t)
    rows = [(name, value.encode("latin-1").decode("utf-8")) for name, value in rows]
    check(rows == [("OldDir", typed + "\\OLD"), ("AppDir", typed)], rows)
