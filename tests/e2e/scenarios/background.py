"""The background window as it appears on the screen: the two-part gradient
and the picture in the bottom-right corner, on displays of 24, 16 and 8 bits
per pixel (each on an Xvfb display of its own, 1024x768)."""
import os

from harness import (SOURCE, Media, bmp_bytes, check, control_text, expect_done, has_control, private_display, read_bmp,
                     run_setup, scenario)

WIDTH, HEIGHT = 1024, 768
SPLIT = WIDTH * 3 // 5
LIGHT, DARK, BLACK = (165, 203, 247), (8, 36, 107), (0, 0, 0)
ART = os.path.join(SOURCE, "resources", "art")


def gradient(x):
    """The colour the two fills give column x."""
    if x < SPLIT:
        start, end, t = LIGHT, DARK, x / SPLIT
    else:
        start, end, t = DARK, BLACK, (x - SPLIT) / (WIDTH - SPLIT)
    return tuple(a + (b - a) * t for a, b in zip(start, end))


def near(got, wanted, tolerance):
    return all(abs(g - w) <= tolerance for g, w in zip(got, wanted))


def shoot(prefix, depth):
    """Runs setup.exe on a display of the given depth up to the welcome
    dialog; returns the screenshot taken while it was open and the dialog's
    rectangle (its size follows the machine's fonts)."""
    media = Media(prefix)
    media.script("[SetUp]\n")
    with private_display(depth) as display:
        prefix.env["DISPLAY"] = display
        t = run_setup(prefix, media, """
            expect caption=Welcome
            shot screen
            click 2
        """)
        prefix.stop()
    expect_done(t, exit_code=1602)  # cancelled at the welcome
    window = t.find(event=("window",))
    check(window and window["class"] == "SetUp" and window["caption"] == "SetUp", "no background window: %s" % window)
    check(window["rect"] == [0, 0, WIDTH, HEIGHT], "not maximised: %s" % window["rect"])
    welcome = t.find(caption="Welcome", event=("dialog",))
    return prefix.shots["screen"], welcome["rect"]


def corner_mismatches(shot, picture, background, tolerance, shown=lambda colour: colour):
    """Pixels of the bottom-right corner that differ from (background AND
    mask) OR picture, and how many picture pixels were compared. background(x)
    is the colour behind column x; shown(colour) is the colour a picture pixel
    should appear in, None to pass it over."""
    width, height, mask = read_bmp(os.path.join(ART, "mask.bmp"))
    _, _, pixels = read_bmp(os.path.join(ART, picture))
    left, top = WIDTH - width, HEIGHT - height
    bad, compared = [], 0
    for y in range(height):
        for x in range(width):
            if mask[y][x] == (255, 255, 255):
                wanted = background(left + x)
            else:
                wanted = shown(pixels[y][x])
                compared += wanted is not None
            got = shot.pixel(left + x, top + y)
            if wanted is not None and not near(got, wanted, tolerance):
                bad.append((left + x, top + y, got, wanted))
    return bad, compared


def check_gradient(shot, tolerance, block=1):
    """Compares columns near the edges, the split and the middles of both
    fills, in a row above the welcome dialog and one below it. Colours are
    averaged over block x block pixels, which evens out dithering."""
    for y in (2, HEIGHT - 2 - block):
        for x in (0, SPLIT // 2, SPLIT - block, SPLIT, (SPLIT + WIDTH) // 2, WIDTH - block):
            if y > HEIGHT // 2 and x >= WIDTH - 200:
                continue  # the picture
            cells = [(x + i, y + j) for i in range(block) for j in range(block)]
            got = [sum(shot.pixel(*c)[k] for c in cells) / len(cells) for k in range(3)]
            wanted = [sum(gradient(c[0])[k] for c in cells) / len(cells) for k in range(3)]
            check(near(got, wanted, tolerance), "pixels at %d,%d are %s, wanted %s" % (x, y, got, wanted))


@scenario
def gradient_and_picture_at_24_bits(prefix):
    shot, _ = shoot(prefix, 24)
    check(shot.pixel(0, 5) == LIGHT, "left edge %s" % (shot.pixel(0, 5),))
    check(shot.pixel(SPLIT, 5) == DARK, "three fifths %s" % (shot.pixel(SPLIT, 5),))
    check(shot.pixel(WIDTH - 1, 5) == BLACK, "right edge %s" % (shot.pixel(WIDTH - 1, 5),))
    check_gradient(shot, 2)
    bad, compared = corner_mismatches(shot, "picture256.bmp", gradient, 2)
    check(compared > 5000 and not bad, "%d corner pixels differ, first %s" % (len(bad), bad[:3]))


@scenario
def gradient_and_picture_at_16_bits(prefix):
    shot, _ = shoot(prefix, 16)
    # Five or six bits a channel, and the gradient dithered: averages, within
    # one step of five bits.
    check_gradient(shot, 8, block=8)
    bad, compared = corner_mismatches(shot, "picture256.bmp", lambda x: None, 8)
    check(compared > 5000 and not bad, "%d corner pixels differ, first %s" % (len(bad), bad[:3]))


@scenario
def black_and_the_16_colour_picture_at_8_bits(prefix):
    shot, (left, top, right, bottom) = shoot(prefix, 8)
    for y in (5, 400, HEIGHT - 5):
        for x in range(0, WIDTH - 200, 16):
            if left <= x < right and top <= y < bottom:
                continue  # the welcome dialog
            check(shot.pixel(x, y) == BLACK, "pixel %d,%d is %s" % (x, y, shot.pixel(x, y)))

    # Wine on an 8-bit Xvfb shows the static colours 1 to 9 of the system
    # palette (silver and olive among them) as black, whoever draws them; the
    # picture's white, grey and yellow come through exactly, and they are
    # enough to tell the 16-colour picture from the other one.
    def faithful(colour):
        return colour if colour in ((255, 255, 255), (128, 128, 128), (255, 255, 0)) else None

    bad, compared = corner_mismatches(shot, "picture16.bmp", lambda x: BLACK, 0, faithful)
    check(compared > 1000, "only %d picture pixels could be compared" % compared)
    check(not bad, "%d corner pixels differ, first %s" % (len(bad), bad[:3]))


MAGENTA, GREEN, RED, BLUE = (255, 0, 255), (0, 160, 0), (255, 0, 0), (0, 0, 255)


@scenario
def a_product_brands_the_installer_from_its_script(prefix):
    """The script's captions, title, colours, picture and dialog texts, with
    the library untouched: the picture's top row has the colour of its
    top-left pixel, so the gradient shows through it."""
    media = Media(prefix)
    media.script(r"""[SetUp]
license=1
caption=Branded Notes
title=Branded Notes 2.0
gradient=FF0000,0000FF
picture=LOGO.BMP
picturepos=topright

[texts]
1/0=Hello
1/101=Welcome to Branded Notes
""")
    media.write("LOGO.BMP", bmp_bytes([[MAGENTA] * 40] + [[GREEN] * 40] * 29))
    with private_display(24) as display:
        prefix.env["DISPLAY"] = display
        t = run_setup(prefix, media, """
            expect caption=Hello
            shot screen
            click 1
            expect message~LICENSE.TXT
            click 1
        """)
        prefix.stop()
    expect_done(t, exit_code=1603)  # the licence the script asks for is not on the media
    window = t.find(event=("window",))
    check(window and window["caption"] == "Branded Notes", "background window: %s" % window)
    welcome = t.find(caption="Hello", event=("dialog",))
    check(control_text(welcome, 101) == "Welcome to Branded Notes", control_text(welcome, 101))
    check(control_text(welcome, 102).startswith("This program installs"), "another text was replaced")
    boxes = [e for e in t.dialogs() if has_control(e, 0xFFFF)]
    check(boxes and boxes[0]["caption"] == "Branded Notes", "message boxes: %s" % [b["caption"] for b in boxes])

    shot = prefix.shots["screen"]
    left, bottom_right = shot.pixel(0, HEIGHT - 2), shot.pixel(WIDTH - 1, HEIGHT - 2)
    check(near(left, RED, 8) and near(bottom_right, BLUE, 8), "gradient ends %s %s" % (left, bottom_right))
    check(shot.pixel(WIDTH - 20, 15) == GREEN, "picture %s" % (shot.pixel(WIDTH - 20, 15),))
    check(near(shot.pixel(WIDTH - 20, 0), BLUE, 12), "the transparent row %s" % (shot.pixel(WIDTH - 20, 0),))
    title = [shot.pixel(x, y) for x in range(10, 300) for y in range(10, 90)]
    check(title.count((255, 255, 255)) > 200, "no title: %d white pixels" % title.count((255, 255, 255)))


@scenario
def a_caption_beyond_the_code_page_shows_exactly(prefix):
    """A UTF-16LE script names the product with characters that no ANSI code
    page holds all of: the background window and the message box carry the
    caption exactly, and the robot's plan matches it in UTF-8."""
    caption = "Caf\u00e9 \u03a9mega \u4e2d\u6587"
    media = Media(prefix)
    script = "[SetUp]\r\nlicense=1\r\ncaption=%s\r\n" % caption
    media.write("SETUP.INF", b"\xff\xfe" + script.encode("utf-16-le"))
    t = run_setup(prefix, media, """
        expect caption=Welcome
        click 1
        expect caption=%s
        click 1
    """ % caption)
    expect_done(t, exit_code=1603)  # the licence the script asks for is not on the media
    window = t.find(event=("window",))
    check(window and window["caption"] == caption, "background window: %s" % window)
    boxes = [e for e in t.dialogs() if has_control(e, 0xFFFF)]
    check(boxes and boxes[0]["caption"] == caption, "message boxes: %s" % [b["caption"] for b in boxes])
