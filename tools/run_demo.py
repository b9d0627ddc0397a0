#!/usr/bin/env python3
"""Installs the sample product (samples/demo) in a fresh Wine prefix where an
earlier version left its runtime and settings, then removes it again from its
program group's item, and prints what each run changed. On the user's display
when one is set (the user answers), otherwise under the UI robot with the
sample's plans.

With MEDIA [PLAN] it installs a publisher's own media instead (a directory
with setup.exe, or DISK1, DISK2 ... as `setupkit pack` lays them out), from
its first disk, and prints what the install changed; without a display the
robot answers from PLAN."""
import difflib
import os
import shutil
import subprocess
import sys
import time

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(top, "tests", "e2e"))
import harness  # noqa: E402

HIVES = {"system.reg": "HKLM", "user.reg": "HKCU", "userdef.reg": "HKU\\.Default"}
TEXT_FILES = (".ini", ".inf", ".txt", ".bat")


def windows_path(rel):
    return "C:\\" + rel.replace("/", "\\")


def key_name(key):
    hive, text = key
    return HIVES[hive] + "\\" + text[1:-1].replace("\\\\", "\\")


def values(lines):
    """{value name: data} of the value lines of one key as Wine saves them."""
    out = {}
    for line in lines:
        if line.startswith("@="):
            out["(default)"] = line[2:]
        elif line.startswith('"'):
            at = 1
            while line[at] != '"':
                at += 2 if line[at] == "\\" else 1
            out[line[1:at].replace('\\"', '"').replace("\\\\", "\\")] = line[at + 2:]
    return out


def texts(prefix, listing):
    """Contents of the small text files of a listing, to show changed lines."""
    out = {}
    for rel, digest in listing.items():
        path = os.path.join(prefix.drive_c, rel)
        if rel.lower().endswith(TEXT_FILES) and len(digest) == 40 and os.path.getsize(path) < 65536:
            out[rel] = harness.read_bytes(path).decode("latin-1").splitlines()
    return out


def registry_changes(before, after):
    """registry_differences() without keys that were only listed or not:
    Wine saves a key without values only while it has no subkeys."""
    def has_subkeys(key, listing):
        parent = key[1][:-1] + "\\\\"
        return any(k[0] == key[0] and k[1].startswith(parent) for k in listing)

    def unlisted(key, present, absent):
        return key in present and key not in absent and not present[key] and has_subkeys(key, absent)

    return [k for k in harness.registry_differences(before, after)
            if not unlisted(k, before, after) and not unlisted(k, after, before)]


def describe(prefix, before, after, before_texts):
    """One line per file and registry value that differs, with changed lines."""
    lines = []
    files_before, registry_before = before
    files_after, registry_after = after
    for rel in harness.differences(files_before, files_after):
        old, new = files_before.get(rel), files_after.get(rel)
        kind = "new" if old is None else "gone" if new is None else "changed"
        what = " (directory)" if "<dir>" in (old, new) else ""
        lines.append("  %-8s %s%s" % (kind, windows_path(rel), what))
        if kind == "changed" and rel in before_texts:
            now = harness.read_bytes(os.path.join(prefix.drive_c, rel)).decode("latin-1").splitlines()
            for d in difflib.ndiff(before_texts[rel], now):
                if d[:1] in "+-":
                    lines.append("             %s" % d)
    for key in registry_changes(registry_before, registry_after):
        old, new = values(registry_before.get(key, [])), values(registry_after.get(key, []))
        if key not in registry_before or key not in registry_after:
            lines.append("  %-8s %s (key)" % ("new" if key not in registry_before else "gone", key_name(key)))
        for name in sorted(set(old) | set(new)):
            if old.get(name) != new.get(name):
                kind = "new" if name not in old else "gone" if name not in new else "changed"
                shown = new.get(name) if kind == "new" else old.get(name) if kind == "gone" else \
                    "%s -> %s" % (old[name], new[name])
                lines.append("  %-8s %s: %s = %s" % (kind, key_name(key), name, shown))
    return lines


def run(prefix, media, plan, interactive, name):
    if interactive:
        subprocess.run(["wine", media.windows_path + "\\setup.exe"], env=prefix.env)
        return
    t = harness.run_setup(prefix, media, plan, timeout=120, name=name)
    for e in t.events:
        if e["event"] in ("dialog", "snap"):
            shown = [c["text"] for c in e["controls"] if c["text"] and c["class"] in ("Static", "Edit")]
            text = " | ".join(shown).replace("\r\n", " ").replace("\n", " ")
            print("  dialog %-26s %s" % ('"%s"' % e["caption"], text[:110]))
    meaning = {0: "completed", 1602: "cancelled", 1603: "failed", 3010: "completed, a restart is due"}
    code = t.end.get("exit")
    print("  installer ended: %s, exit code %s (%s)" % (t.end.get("how"), code, meaning.get(code, "?")))


def main(interactive):
    prefix = harness.Prefix("demo")
    harness.sample_earlier_version(prefix)
    media = harness.sample_media(prefix)
    with open(os.path.join(harness.SAMPLE, "robot.plan")) as f:
        install_plan = f.read()
    with open(os.path.join(harness.SAMPLE, "remove.plan")) as f:
        remove_plan = f.read()
    before = harness.snapshot(prefix)
    before_texts = texts(prefix, before[0])
    print("Sample Notes 1.0, on a machine where version 0.9 left %s and its registry settings"
          % harness.SAMPLE_RUNTIME)
    print("media: %s (C:\\media in the prefix)" % media.path)

    print("\ninstall%s:" % ("" if interactive else ", answered by the robot"))
    run(prefix, media, install_plan, interactive, "install")
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


def try_media(source, plan_path, interactive):
    if not interactive and not plan_path:
        print("no display: give a plan for the robot as well (samples/demo/robot.plan shows the form)")
        return 2
    plan = ""
    if plan_path:
        with open(plan_path) as f:
            plan = f.read()
    prefix = harness.Prefix("try")
    shutil.copytree(source, os.path.join(prefix.drive_c, "media"))
    first = next((d for d in sorted(os.listdir(os.path.join(prefix.drive_c, "media"))) if d.upper() == "DISK1"), "")
    media = harness.Media(prefix, "media/" + first if first else "media", program=False)
    before = harness.snapshot(prefix)
    print("media: %s (%s in the prefix)" % (source, media.windows_path))
    print("\ninstall%s:" % ("" if interactive else ", answered by the robot"))
    run(prefix, media, plan, interactive, "install")
    installed = harness.snapshot(prefix)
    print("\nwhat the install changed:")
    print("\n".join(describe(prefix, before, installed, texts(prefix, before[0]))) or "  nothing")
    print("\nthe prefix stays for a look: WINEPREFIX=%s" % prefix.path)
    return 0


if __name__ == "__main__":
    interactive = bool(os.environ.get("DISPLAY")) and os.environ.get("SETUP_DEMO_ROBOT") != "1"
    if len(sys.argv) > 1:
        sys.exit(try_media(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else None, interactive))
    sys.exit(main(interactive))
