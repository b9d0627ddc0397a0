#!/usr/bin/env python3
"""Installs the sample product (samples/demo) in a fresh Wine prefix where an
earlier version left its runtime and settings, then removes it again from its
program group's item, and prints what each run changed. On the user's display
when one is set (the user answers), otherwise under the UI robot with the
sample's plans. With --bundle the sample's media are first bundled into one
program (setupkit bundle), which installs the product from itself. (A
publisher's own media go through try_media.py.)"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from prefix_changes import describe, harness, key_name, registry_changes, texts, windows_path  # noqa: E402
from try_media import report_run  # noqa: E402


def run(prefix, media, plan, interactive, name, exe="setup.exe"):
    if interactive:
        subprocess.run(["wine", media.windows_path + "\\" + exe], env=prefix.env)
        return
    report_run(harness.run_setup(prefix, media, plan, timeout=120, name=name, exe=exe), "installer")


def bundled(prefix, media):
    """The media bundled into C:\\Downloads\\Sample Notes Setup.exe, alone
    there; the media folder goes."""
    downloads = harness.Media(prefix, "Downloads", program=False)
    program = "Sample Notes Setup.exe"
    made = subprocess.run([os.path.join(harness.BUILD, "host", "setupkit"), "bundle", media.path,
                           os.path.join(downloads.path, program)], stdout=subprocess.DEVNULL)
    if made.returncode != 0:
        raise SystemExit("setupkit bundle failed")
    shutil.rmtree(media.path)
    return downloads, program


def main(interactive, bundle):
    prefix = harness.Prefix("demo")
    harness.sample_earlier_version(prefix)
    media = harness.sample_media(prefix)
    exe = "setup.exe"
    if bundle:
        media, exe = bundled(prefix, media)
    with open(os.path.join(harness.SAMPLE, "robot.plan")) as f:
        install_plan = f.read()
    with open(os.path.join(harness.SAMPLE, "remove.plan")) as f:
        remove_plan = f.read()
    before = harness.snapshot(prefix)
    before_texts = texts(prefix, before[0])
    print("Sample Notes 1.0, on a machine where version 0.9 left %s and its registry settings"
          % harness.SAMPLE_RUNTIME)
    print("media: %s (%s in the prefix)" % (os.path.join(media.path, exe) if bundle else media.path,
                                             media.windows_path + ("\\" + exe if bundle else "")))

    print("\ninstall%s:" % ("" if interactive else ", answered by the robot"))
    run(prefix, media, install_plan, interactive, "install", exe)
    installed = harness.snapshot(prefix)
    print("\nwhat the install changed:")
    print("\n".join(describe(prefix, before, installed, before_texts)) or "  nothing")

    group = os.path.join(prefix.programs, "Sample Notes")
    item = os.path.join(group, "Remove Sample Notes.lnk")
    if not os.path.exists(item):
        print("\nno item \"Remove Sample Notes\": the install did not run through")
        return 1
    program = harness.lnk_target(item)
    print("\nremoval: the group's item \"Remove Sample Notes\" runs %s" % program)
    directory = program[:program.rindex("\\")]
    remover = harness.Media(prefix, directory[3:].replace("\\", "/"), program=False)
    run(prefix, remover, remove_plan, interactive, "remove")
    # The removal deletes itself: a copy of the installer waits for it to end,
    # then deletes it and the product's folder. That copy goes when Windows
    # next starts, as the prefix now does.
    product = prefix.unix(directory[:directory.rindex("\\")])
    for _ in range(150):
        if not os.path.exists(product):
            break
        time.sleep(0.2)
    prefix.wine("wineboot", "-r")
    print("\nrestarted Windows in the prefix (the removal's helper copy is deleted then)")
    after = harness.snapshot(prefix)
    print("\nwhat differs from before the install:")
    print("\n".join(describe(prefix, before, after, before_texts)) or "  nothing")
    restored = [windows_path(rel) for rel in harness.differences(before[0], installed[0])
                if rel in before[0] and after[0].get(rel) == before[0][rel]]
    restored += [key_name(k) for k in registry_changes(before[1], installed[1])
                 if k in before[1] and after[1].get(k) == before[1][k]]
    print("\nrestored as they were before the install:")
    print("\n".join("  " + r for r in restored) or "  nothing")
    print("\nthe prefix stays for a look: WINEPREFIX=%s" % prefix.path)
    return 0


if __name__ == "__main__":
    sys.exit(main(bool(os.environ.get("DISPLAY")) and os.environ.get("SETUP_DEMO_ROBOT") != "1",
                  "--bundle" in sys.argv[1:]))
