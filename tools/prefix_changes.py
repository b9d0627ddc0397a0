"""What runs changed in a Wine prefix, as a person reads it: one line per
file, folder, program group item and registry value that differs between two
snapshots (harness.snapshot), with the changed lines of INI and text files.
Shared by the demo (run_demo.py) and `setupkit try` (try_media.py)."""
import difflib
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "e2e"))
import harness  # noqa: E402

HIVES = {"system.reg": "HKLM", "user.reg": "HKCU", "userdef.reg": "HKU\\.Default"}
TEXT_FILES = (".ini", ".inf", ".txt", ".bat")
# A text file larger than this is listed as changed, without its lines.
TEXT_LIMIT = 65536


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


def string_value(data):
    """The text of a string value's data as Wine saves it ("..." or
    str(2):"..."), or None for data of another type."""
    if data.startswith("str(2):"):
        data = data[7:]
    if not data.startswith('"') or not data.endswith('"'):
        return None
    text, at, body = [], 0, data[1:-1]
    escapes = {"n": "\n", "r": "\r", "t": "\t", "0": "\0"}
    while at < len(body):
        c = body[at]
        if c == "\\" and at + 1 < len(body):
            c = body[at + 1]
            at += 2
            if c == "x":  # a character beyond Latin-1, in hexadecimal digits
                digits = ""
                while at < len(body) and len(digits) < 4 and body[at] in "0123456789abcdefABCDEF":
                    digits += body[at]
                    at += 1
                text.append(chr(int(digits, 16)) if digits else "x")
            else:
                text.append(escapes.get(c, c))
        else:
            text.append(c)
            at += 1
    return "".join(text)


def shown_value(data):
    """A value's data as Wine saves it, with a plain string's escapes undone."""
    text = string_value(data) if data.startswith('"') else None
    return data if text is None else '"%s"' % text


def text_lines(prefix, rel):
    """The lines of a small text file of the prefix, or None."""
    path = os.path.join(prefix.drive_c, rel)
    if not rel.lower().endswith(TEXT_FILES) or not os.path.isfile(path) or os.path.getsize(path) > TEXT_LIMIT:
        return None
    return harness.read_bytes(path).decode("latin-1").splitlines()


def texts(prefix, listing):
    """The lines of the small text files of a listing, read now: taken before
    a run, they show afterwards which lines it changed."""
    out = {}
    for rel, digest in listing.items():
        lines = text_lines(prefix, rel) if len(digest) == 40 else None
        if lines is not None:
            out[rel] = lines
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


def _link(path):
    """" -> TARGET ARGUMENTS" of a shell link that is there, else ""."""
    if not os.path.isfile(path):
        return ""
    try:
        target, arguments = harness.lnk_target(path), harness.lnk_arguments(path)
    except (harness.Failure, ValueError, IndexError):
        return " (no local target)"
    return " -> " + target + (" " + arguments if arguments else "")


def _file_line(prefix, rel, kind, old, new, checksums):
    path = os.path.join(prefix.drive_c, rel)
    programs = os.path.relpath(prefix.programs, prefix.drive_c) + os.sep
    if rel.startswith(programs):
        inside = rel[len(programs):].replace("/", "\\")
        if "<dir>" in (old, new):
            return "program group %s" % inside
        if inside.lower().endswith(".lnk"):
            return "program item %s%s" % (inside[:-4], _link(path))
    if "<dir>" in (old, new):
        return windows_path(rel) + "\\ (folder)"
    if rel.lower().endswith(".lnk"):
        return "link " + windows_path(rel) + _link(path)
    shown = windows_path(rel)
    if checksums and new is not None and not new.startswith("-> "):
        shown += "  (%d bytes, SHA-1 %s)" % (os.path.getsize(path), new)
    return shown


def describe(prefix, before, after, before_texts, checksums=False):
    """One line per file, folder, program group item and registry value that
    differs between two snapshots, the changed lines of text files (and the
    lines of a new INI file, which INI entries make) below theirs. With
    checksums, each file that is there gives its size and SHA-1."""
    lines = []
    files_before, registry_before = before
    files_after, registry_after = after
    for rel in harness.differences(files_before, files_after):
        old, new = files_before.get(rel), files_after.get(rel)
        kind = "new" if old is None else "gone" if new is None else "changed"
        lines.append("  %-8s %s" % (kind, _file_line(prefix, rel, kind, old, new, checksums)))
        if kind == "changed" and rel in before_texts:
            was = before_texts[rel]
        elif kind == "new" and rel.lower().endswith(".ini"):
            was = []
        else:
            continue
        now = text_lines(prefix, rel)
        for d in difflib.ndiff(was, now) if now is not None else ():
            if d[:1] in "+-":
                lines.append("             %s" % d)
    for key in registry_changes(registry_before, registry_after):
        old, new = values(registry_before.get(key, [])), values(registry_after.get(key, []))
        if key not in registry_before or key not in registry_after:
            lines.append("  %-8s %s (key)" % ("new" if key not in registry_before else "gone", key_name(key)))
        for name in sorted(set(old) | set(new)):
            if old.get(name) != new.get(name):
                kind = "new" if name not in old else "gone" if name not in new else "changed"
                shown = shown_value(new[name]) if kind == "new" else shown_value(old[name]) if kind == "gone" \
                    else "%s -> %s" % (shown_value(old[name]), shown_value(new[name]))
                lines.append("  %-8s %s: %s = %s" % (kind, key_name(key), name, shown))
    return lines
