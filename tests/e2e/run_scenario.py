#!/usr/bin/env python3
"""Runs every scenario function of one scenario file, each in a fresh prefix.
Exit status 0 only when all pass. SETUP_KEEP=1 keeps failed prefixes."""
import importlib.util
import os
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


def main(path, only=None):
    name = os.path.splitext(os.path.basename(path))[0]
    module_spec = importlib.util.spec_from_file_location(name, path)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    cases = [(n, f) for n, f in vars(module).items() if callable(f) and getattr(f, "is_scenario", False)]
    passed = failed = 0
    for case_name, fn in cases:
        if only and case_name not in only:
            continue
        prefix = harness.Prefix("%s.%s" % (name, case_name))
        started = time.time()
        ok = False
        try:
            fn(prefix)
            ok = True
        except Exception:
            traceback.print_exc()
        finally:
            if ok or os.environ.get("SETUP_KEEP") != "1":
                prefix.remove()
            else:
                prefix.stop()
        print("%s %s.%s (%.1fs)" % ("PASS" if ok else "FAIL", name, case_name, time.time() - started), flush=True)
        passed += ok
        failed += not ok
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
