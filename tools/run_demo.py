#!/usr/bin/env python3
"""Lays out the sample media in a fresh Wine prefix and runs setup.exe on it:
on the user's display when one is set (the user answers), otherwise under the
UI robot with the sample's plan. Prints what happened."""
import os
import shutil
import subprocess
import sys

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(top, "tests", "e2e"))
import harness  # noqa: E402

SAMPLE = os.path.join(top, "samples", "demo")


def main(interactive):
    prefix = harness.Prefix("demo")
    media = harness.Media(prefix)
    for name in os.listdir(SAMPLE):
        if name != "robot.plan":
            shutil.copy(os.path.join(SAMPLE, name), media.path)
    print("media: %s (C:\\media in the prefix %s)" % (media.path, prefix.path))
    if interactive:
        subprocess.run(["wine", media.windows_path + "\\setup.exe"], env=prefix.env)
    else:
        with open(os.path.join(SAMPLE, "robot.plan")) as f:
            t = harness.run_setup(prefix, media, f.read(), timeout=120, name="demo")
        for e in t.events:
            if e["event"] in ("dialog", "snap"):
                texts = [c["text"] for c in e["controls"] if c["text"] and c["class"] in ("Static", "Edit")]
                print("dialog %-26s %s" % ('"%s"' % e["caption"], " | ".join(texts)[:150].replace("\r\n", " ").replace("\n", " ")))
        print("installer ended: %s, exit code %s" % (t.end.get("how"), t.end.get("exit")))
    installed = prefix.unix("C:\\Sample Notes")
    for root, _, files in sorted(os.walk(installed)):
        for name in sorted(files):
            path = os.path.join(root, name)
            print("installed %-40s %6d bytes" % (os.path.relpath(path, prefix.drive_c), os.path.getsize(path)))
    prefix.stop()
    print("the prefix stays for a look: WINEPREFIX=%s" % prefix.path)


if __name__ == "__main__":
    main(bool(os.environ.get("DISPLAY")) and os.environ.get("SETUP_DEMO_ROBOT") != "1")
