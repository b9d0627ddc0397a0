"""Option groups: the choices shown, the detected preselections, the codes the
chosen items give (seen through the component list), the version message box
and the Cancel of the option dialog."""
from harness import Media, check, control, control_text, expect_done, run_setup, scenario

OPTIONS = "Installation Options"
NT_FONT_DPI = r"HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\FontDPI"


def combo(event, cid):
    """(labels, index of the selected item or None) of a combo box."""
    items = control(event, cid)["items"]
    chosen = [i for i, item in enumerate(items) if item["selected"]]
    return [item["text"] for item in items], (chosen[0] if chosen else None)


def listed(event):
    """{label: preselected} of the component list."""
    return {item["text"]: item["selected"] for item in control(event, 500)["items"]}


def set_version(prefix, version):
    prefix.reg("add", r"HKCU\Software\Wine", "/v", "Version", "/d", version, "/f")


@scenario
def plain_and_detected_choices_give_the_codes(prefix):
    acp = prefix.reg_query(r"HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage", "ACP")[1]
    check(acp != "437", "the test needs another code page than 437")
    prefix.reg("add", NT_FONT_DPI, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "120", "/f")
    media = Media(prefix)
    media.script("""[SetUp]
name=Product
[options]
Letters=LETTERS
Digits=DIGITS
System=platform
Code page=CodePage
Fonts=fsize
Missing=NOSUCHSECTION
[LETTERS]
Ex=X
Why=Y
[DIGITS]
One=1
Two=2
[platform]
Windows 95/1/4=p
Windows 7 family/2/6=q
Windows 7/2/6/1=r
Windows XP/2/5/1=s
[CodePage]
DOS/437=c
Western/%(acp)s=d
Western again/%(acp)s=e
[fsize]
Small/96=f
Large/0120=g
Large again/120=h
[choise]
All chosen/Y1rdg=YES|every chosen code
Not chosen/X=NO|X was not chosen
First choices/X1rdg=FIRST|the first choices
""" % {"acp": acp})
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=%s
        choose 100 1
        click 1
        expect caption=Product
        click 2
    """ % OPTIONS)
    expect_done(t, exit_code=1602)
    dialog = t.find(caption=OPTIONS)
    titles = [control_text(dialog, 200 + i) for i in range(7)]
    check(titles == ["Letters", "Digits", "System", "Code page", "Fonts", "Missing", ""], titles)
    check(combo(dialog, 100) == (["Ex", "Why"], 0), combo(dialog, 100))
    check(combo(dialog, 101) == (["One", "Two"], 0), combo(dialog, 101))
    # Windows 7 reported: both 2/6 entries match, the last one wins.
    check(combo(dialog, 102) == (["Windows 95", "Windows 7 family", "Windows 7", "Windows XP"], 2),
          combo(dialog, 102))
    check(combo(dialog, 103)[1] == 1, "first code page match: %s" % (combo(dialog, 103),))
    check(combo(dialog, 104)[1] == 1, "first LogPixels match, as a number: %s" % (combo(dialog, 104),))
    check(combo(dialog, 105) == ([], None), combo(dialog, 105))
    check(combo(dialog, 106) == ([], None), "a control without a group is left alone")
    visible = [control(dialog, 100 + i)["visible"] for i in range(8)]
    check(visible == [True] * 6 + [False] * 2, "only the groups in use show: %s" % visible)
    check(control(dialog, 1)["enabled"] and control(dialog, 2)["enabled"], "OK and Cancel usable")
    # Y (chosen by hand), 1, r, d and g; X was not chosen.
    check(listed(t.find(caption="Product")) == {"All chosen": True}, listed(t.find(caption="Product")))


@scenario
def detection_follows_the_reported_version(prefix):
    prefix.reg("add", r"HKCC\Display\Settings", "/v", "DPILogicalX", "/d", "120", "/f")
    media = Media(prefix)
    media.script("""[SetUp]
[options]
System=platform
Fonts=fsize
[platform]
Windows 95/1/4/0=a
Windows 98/1/4/10=b
Windows XP/2/5/1=c
Windows 7/2/6/1=d
[fsize]
Small/96=f
Large/120=g
[choise]
XP small/cf=XP|XP with small fonts
98 large/bg=NT|98 with large fonts
Anything/a,b,c,d,f,g=ANY|something was chosen
""")
    plan = """
        expect caption=Welcome
        click 1
        expect caption=%s
        click 1
        expect caption=SetUp
        click 2
    """ % OPTIONS
    seen = {}
    for version, dpi in (("winxp", "96"), ("win98", "96"), ("win10", None)):
        set_version(prefix, version)
        if dpi:
            prefix.reg("add", NT_FONT_DPI, "/v", "LogPixels", "/t", "REG_DWORD", "/d", dpi, "/f")
        else:
            prefix.reg("delete", NT_FONT_DPI, "/v", "LogPixels", "/f")
        t = run_setup(prefix, media, plan, name=version)
        expect_done(t, exit_code=1602)
        options = t.find(caption=OPTIONS)
        seen[version] = (combo(options, 100)[1], combo(options, 101)[1], listed(t.find(caption="SetUp")))
    check(seen["winxp"] == (2, 0, {"XP small": True, "Anything": True}), seen["winxp"])
    # The 95 family reads DPILogicalX (120), not LogPixels (96).
    check(seen["win98"] == (1, 1, {"98 large": True, "Anything": True}), seen["win98"])
    # Windows 10 matches no entry and LogPixels is gone: no choice, no codes,
    # so not even the component that takes any code is listed.
    check(seen["win10"] == (None, None, {}), seen["win10"])


@scenario
def version_box_once_per_five_field_key_and_cancel_ends_the_run(prefix):
    media = Media(prefix)
    media.script("""[SetUp]
[options]
System=platform
[platform]
Asked/2/6/1/show=A
Plain/2/6=B
Asked too/1/4/10/x=C
Short/2/6/1=D
[choise]
Component=MAIN|never offered
""")
    for how in ("click 2", "close"):
        t = run_setup(prefix, media, """
            expect caption=Welcome
            click 1
            expect message~Version
            click 1
            expect message~Version
            click 1
            expect caption=%s
            %s
        """ % (OPTIONS, how), name=how.split()[0])
        expect_done(t, exit_code=1602)
        check(t.captions() == ["Welcome", "SetUp", "SetUp", OPTIONS], "%s: %s" % (how, t.captions()))
        check(t.messages() == ["Version 2 6 1 = 2 6 1 7601 Service Pack 1.",
                               "Version 1 4 10 = 2 6 1 7601 Service Pack 1."], t.messages())
        check(combo(t.find(caption=OPTIONS), 100)[1] == 3, "the box does not change the matching")
        check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())
