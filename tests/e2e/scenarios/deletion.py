"""Deletion entries whose file cannot be deleted: message 107 with the
system's text of the error, answered Retry, Ignore and Abort."""
import os
import re

from harness import Media, check, entries, expect_done, run_actions, scenario


@scenario
def abort_retry_ignore(prefix):
    data = os.path.join(prefix.drive_c, "data")
    os.makedirs(data)
    for name in ("present.txt", "after.txt"):
        with open(os.path.join(data, name), "w") as f:
            f.write("x")
    media = Media(prefix)
    t, records = run_actions(prefix, media, r"""
[run]
1=del.Main
[del.Main]
C:\data\missing1.txt=First
C:\data\present.txt=Present
C:\data\missing2.txt=Second
C:\data\after.txt=After
""", """
        expect message~missing1.txt
        click 4
        expect message~missing1.txt
        click 5
        expect message~missing2.txt
        click 3
    """)
    expect_done(t)
    texts = t.messages()
    check(len(texts) == 3, texts)
    for text, path in zip(texts, [r"C:\data\missing1.txt"] * 2 + [r"C:\data\missing2.txt"]):
        head = path + "\nCannot delete specified file!\n\n"
        check(text.startswith(head), text)
        check(re.search(r"file not found|cannot find the file", text[len(head):], re.I), "no system text: %r" % text)
    # Retry asked again, Ignore went on (1), the present file went (0), Abort ended the pass (-1).
    check([r["result"] for r in entries(records)] == ["skipped", "go on", "abort"], records)
    check(records[-2].get("end") == "abort", records)
    check(not os.path.exists(os.path.join(data, "present.txt")), "present.txt is still there")
    check(os.path.exists(os.path.join(data, "after.txt")), "the pass went on after Abort")
