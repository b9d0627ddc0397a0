"""The component dialog: which components are listed and preselected under
the chosen option codes, the description and the counter, the buttons."""
from harness import Media, check, control, control_text, expect_done, run_setup, scenario

OPTIONS = "Installation Options"

CHOISE = """[choise]
Plain=PLAIN|no condition
Only X/X=ONLYX|needs X
X or any/X,-=XANY|preselected with X
Any or X/-,X=ANYX|listed once any code was chosen
Hidden=HIDDEN
No section=|an empty section name
"""


def items(event):
    """[(label, selected)] of the component list, in list order."""
    return [(i["text"], i["selected"]) for i in control(event, 500)["items"]]


def records(transcript, caption):
    """The dialog and snap records of the dialog with this caption."""
    return [e for e in transcript.events if e["event"] in ("dialog", "snap") and e.get("caption") == caption]


def state(event):
    """(counter text, OK enabled, description) of a component dialog record."""
    return control_text(event, 220), control(event, 1)["enabled"], control_text(event, 510)


@scenario
def listing_and_preselection_follow_the_chosen_codes(prefix):
    media = Media(prefix)
    media.script("[SetUp]\n" + CHOISE, name="NOCODES.INF")
    media.script("[SetUp]\nname=Letters\n[options]\nLetter=LETTERS\n[LETTERS]\nEx=X\nWhy=Y\n" + CHOISE)

    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=SetUp
        click 2
    """, args="NOCODES.INF", name="none")
    expect_done(t, exit_code=1602)  # cancelled
    dialog = t.find(caption="SetUp")
    # Nothing chosen: the listing code string is "-" alone, which only a
    # condition ending in "-" matches; nothing with a letter is preselected.
    check(items(dialog) == [("Plain", True), ("X or any", False)], items(dialog))
    check(state(dialog) == ("Selected 1\nItems to Install", True, "no condition"), state(dialog))

    listings = {}
    for choice, code in ((0, "X"), (1, "Y")):
        t = run_setup(prefix, media, """
            expect caption=Welcome
            click 1
            expect caption=%s
            choose 100 %d
            click 1
            expect caption=Letters
            click 2
        """ % (OPTIONS, choice), name=code)
        expect_done(t, exit_code=1602)  # cancelled
        listings[code] = items(t.find(caption="Letters"))
    check(listings["X"] == [("Plain", True), ("Only X", True), ("X or any", True), ("Any or X", True)],
          listings["X"])
    check(listings["Y"] == [("Plain", True), ("X or any", False), ("Any or X", False)], listings["Y"])


@scenario
def counter_description_and_buttons(prefix):
    media = Media(prefix)
    media.script("""[SetUp]
name=Product
[choise]
First=FIRST|the first one
Second/Z,-=SECOND|the second one
Always=ALWAYS
Third/Z,-=THIRD|the third one
""")
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=Product
        item 500 1
        snap
        item 500 2
        snap
        item 500 2
        snap
        click 200
        snap
        click 210
        snap
        click 1
        snap
        item 500 0
        snap
        click 2
    """)
    expect_done(t, exit_code=1602)  # cancelled
    check(t.captions() == ["Welcome", "Product"], t.captions())
    product = records(t, "Product")
    seen = [state(e) for e in product]
    # The hidden component is never counted; the description follows the
    # item that was clicked last, selected or not.
    check(seen == [
        ("Selected 1\nItems to Install", True, "the first one"),   # opened
        ("Selected 2\nItems to Install", True, "the second one"),  # Second clicked
        ("Selected 3\nItems to Install", True, "the third one"),   # Third clicked
        ("Selected 2\nItems to Install", True, "the third one"),   # Third clicked again
        ("Selected 3\nItems to Install", True, "the third one"),   # select all
        ("Selected 0\nItems to Install", False, "the third one"),  # clear
        ("Selected 0\nItems to Install", False, "the third one"),  # OK while disabled: nothing happens
        ("Selected 1\nItems to Install", True, "the first one"),   # First clicked
    ], "\n".join(map(str, seen)))
    check(items(product[4]) == [("First", True), ("Second", True), ("Third", True)], items(product[4]))
    check(prefix.temp_files() == [], "temporary files left: %s" % prefix.temp_files())


@scenario
def nothing_listed_and_remove_mode_counter(prefix):
    media = Media(prefix)
    media.script("[SetUp]\n[choise]\nHidden=HIDDEN\nOnly X/X=ONLYX|needs X\n", name="EMPTY.INF")
    media.script("[SetUp]\nremove=1\n[choise]\nstep1=step1|Restore\nstep2=step2|Delete\n")
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=SetUp
        close
    """, args="EMPTY.INF", name="empty")
    expect_done(t, exit_code=1602)  # cancelled
    empty = t.find(caption="SetUp")
    check(items(empty) == [] and state(empty) == ("Selected 0\nItems to Install", False, ""), state(empty))

    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=SetUp
        item 500 0
        snap
        click 2
    """, name="remove")
    expect_done(t, exit_code=1602)  # cancelled
    counters = [state(e)[0] for e in records(t, "SetUp")]
    check(counters == ["Selected 2\nItems to Remove", "Selected 1\nItems to Remove"], counters)
