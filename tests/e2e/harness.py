"""End-to-end harness: a fresh Wine prefix per run, a media directory laid out
inside it, setup.exe started by the UI robot with a plan, and helpers to check
what the run left behind (files, INI files, registry, the robot's transcript).
"""
import contextlib
import hashlib
import json
import os
import resource
import shutil
import signal
import struct
import subprocess
import sys
import time

BUILD = os.environ.get("SETUP_BUILD", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
SOURCE = os.environ.get("SETUP_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))
PREFIXES = os.environ.get("SETUP_PREFIX", os.path.join(BUILD, "prefix"))
# Screenshots stay here after the run, for a person to look at.
SHOTS = os.path.join(BUILD, "shots")
WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
    "WINEARCH": "win64",
}
# Every plan ignores the modeless progress dialog unless it says otherwise. It
# is known by its bar, control 300: the path dialog has a control 301 too.
DEFAULT_IGNORES = ["ignore control=300"]


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Transcript:
    def __init__(self, path):
        self.events = []
        self.robot = ""  # how the robot ended, for a run that left no transcript
        if os.path.exists(path):
            with open(path, encoding="latin-1") as f:
                for line in f:
                    line = line.strip()
                    if line:
                        self.events.append(json.loads(line))

    @property
    def end(self):
        return self.events[-1] if self.events and self.events[-1]["event"] == "end" else {"how": "none"}

    def dialogs(self, event=("dialog",)):
        return [e for e in self.events if e["event"] in event]

    def messages(self):
        """Texts of every message box seen, in order."""
        return [control_text(e, 0xFFFF) for e in self.dialogs() if has_control(e, 0xFFFF)]

    def find(self, caption=None, control=None, event=("dialog", "snap")):
        for e in self.events:
            if e["event"] not in event:
                continue
            if caption is not None and e.get("caption") != caption:
                continue
            if control is not None and not has_control(e, control):
                continue
            return e
        return None

    def captions(self):
        return [e["caption"] for e in self.dialogs()]


def has_control(event, cid):
    return any(c["id"] == cid for c in event.get("controls", []))


def control(event, cid):
    for c in event.get("controls", []):
        if c["id"] == cid:
            return c
    raise Failure("control %d not in %s" % (cid, event.get("caption")))


def control_text(event, cid):
    return control(event, cid)["text"]


class Prefix:
    """A fresh copy of the template prefix, removed when the run is over."""

    def __init__(self, name):
        self.path = os.path.join(PREFIXES, name)
        shutil.rmtree(self.path, ignore_errors=True)
        subprocess.run(["cp", "-a", os.path.join(PREFIXES, "template"), self.path], check=True)
        self.env = dict(os.environ, WINEPREFIX=self.path, **WINE_ENV)
        self.shots = {}
        self.drive_c = os.path.join(self.path, "drive_c")
        self.windows = os.path.join(self.drive_c, "windows")
        self.system = os.path.join(self.windows, "system32")
        users = os.path.join(self.drive_c, "users")
        self.user = next((u for u in sorted(os.listdir(users)) if u != "Public"), "root")
        self.temp = os.path.join(users, self.user, "Temp")

    def unix(self, windows_path):
        """Unix path of a C:\\ path inside this prefix."""
        assert windows_path[1:3] in (":\\", ":/") and windows_path[0].lower() == "c"
        return os.path.join(self.drive_c, *[p for p in windows_path[3:].replace("\\", "/").split("/") if p])

    def wine(self, *args, timeout=120, check_rc=True):
        r = subprocess.run(["wine", *args], env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=timeout)
        if check_rc and r.returncode != 0:
            raise Failure("wine %s failed: %s" % (args, r.stderr[-500:]))
        return r

    def reg(self, *args):
        return self.wine("reg", *args, check_rc=False)

    def reg_query(self, key, value=None):
        """(type, data) of a registry value as reg.exe shows it, or None."""
        args = ["query", key] + (["/v", value] if value is not None else ["/ve"])
        r = self.reg(*args)
        if r.returncode != 0:
            return None
        for line in r.stdout.decode("latin-1").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                return parts[1], parts[2] if len(parts) > 2 else ""
        return None

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The server saves the registry as it ends: wait for it, or a
        # snapshot may read the files half written.
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        time.sleep(0.2)

    def remove(self):
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)

    @property
    def programs(self):
        """The Start Menu's Programs folder, where Program Manager groups land."""
        return os.path.join(self.drive_c, "users", self.user, "AppData", "Roaming", "Microsoft", "Windows",
                            "Start Menu", "Programs")

    def processes(self):
        """The file names of the programs running in the prefix (Wine's wmic)."""
        r = self.wine("wmic", "process", "get", "name")
        return [line.strip() for line in r.stdout.decode("utf-16", "replace").splitlines()[1:] if line.strip()]

    def temp_files(self):
        if not os.path.isdir(self.temp):
            return []
        return sorted(os.listdir(self.temp))


class Media:
    """A media directory inside the prefix holding setup.exe, STP.DLL, the
    script and any product files."""

    def __init__(self, prefix, name="media", program=True):
        """name may hold "/" for a deeper directory (prod/DISK1); program=False
        makes a directory for product files only (a further disk)."""
        self.prefix = prefix
        self.windows_path = "C:\\" + name.replace("/", "\\")
        self.path = os.path.join(prefix.drive_c, *name.split("/"))
        os.makedirs(self.path, exist_ok=True)
        if program:
            shutil.copy(os.path.join(BUILD, "setup.exe"), self.path)
            shutil.copy(os.path.join(BUILD, "STP.DLL"), self.path)

    def write(self, name, content, crlf=True):
        path = os.path.join(self.path, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(content, str):
            if crlf:
                content = content.replace("\r\n", "\n").replace("\n", "\r\n")
            content = content.encode("latin-1")
        with open(path, "wb") as f:
            f.write(content)
        return path

    def script(self, text, name="SETUP.INF"):
        return self.write(name, text)


def compressed(data):
    """data stored SZDD-compressed by mscompress (cached by content; data of
    64 bytes or more, since the tool mangles very small files)."""
    assert len(data) >= 64, "mscompress needs 64 bytes or more"
    cache = os.path.join(BUILD, "szdd-cache")
    os.makedirs(cache, exist_ok=True)
    digest = hashlib.sha1(data).hexdigest()
    packed = os.path.join(cache, digest + "_")
    if not os.path.exists(packed):
        plain = os.path.join(cache, digest)
        with open(plain, "wb") as f:
            f.write(data)
        subprocess.run(["mscompress", plain], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.remove(plain)
    return read_bytes(packed)


def read_text(path):
    """A text file's text, read by its byte-order mark: UTF-16LE or UTF-8;
    without one, UTF-8 when it reads as such, else one byte a character."""
    data = read_bytes(path)
    if data[:2] == b"\xff\xfe":
        return data[2:].decode("utf-16-le", "replace")
    if data[:3] == b"\xef\xbb\xbf":
        return data[3:].decode("utf-8", "replace")
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("latin-1")


def log_lines(prefix, path):
    """The lines of a run's log (/log=FILE) at a C:\\ path, without the time of day."""
    return [line[9:] for line in read_text(prefix.unix(path)).splitlines()]


def read_ini(path):
    """{section (lower case): [(key, value), ...]} of an INI file, in file
    order; keys split at the first "=" only, as the profile functions do."""
    sections = {}
    current = None
    for line in read_text(path).splitlines():
        line = line.strip()
        if line.startswith("[") and "]" in line:
            current = sections.setdefault(line[1:line.index("]")].lower(), [])
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current.append((key.strip(), value.strip()))
    return sections


# Whole-machine listings, to compare a prefix before and after runs.

def snapshot(prefix):
    """(files, registry) once the prefix's Wine server has been stopped, which
    saves the registry. Stopping also ends the windows that Program Manager
    opens on a group."""
    prefix.stop()
    return file_listing(prefix), registry_listing(prefix)


def file_listing(prefix):
    """{path under drive_c: SHA-1 of the content, "<dir>" or "-> link target"}."""
    listing = {}
    for top, dirs, files in os.walk(prefix.drive_c):
        for name in dirs + files:
            path = os.path.join(top, name)
            rel = os.path.relpath(path, prefix.drive_c)
            if os.path.islink(path):
                listing[rel] = "-> " + os.readlink(path)
            elif os.path.isdir(path):
                listing[rel] = "<dir>"
            else:
                listing[rel] = hashlib.sha1(read_bytes(path)).hexdigest()
    return listing


def registry_listing(prefix):
    """{(hive file, "[key]"): sorted value lines} of the registry as Wine saved
    it, key times left out. Volatile keys are never saved, so they are not here."""
    listing = {}
    for hive in ("system.reg", "user.reg", "userdef.reg"):
        with open(os.path.join(prefix.path, hive), encoding="latin-1") as f:
            text = f.read().replace("\\\n", "")
        key = None
        for line in text.splitlines():
            if line.startswith("["):
                key = (hive, line[:line.rindex("]") + 1])
                listing[key] = []
            elif key is not None and line and not line.startswith("#time="):
                listing[key].append(line)
    return {k: sorted(v) for k, v in listing.items()}


def differences(before, after):
    """The keys of two listings whose entries differ, in order."""
    return sorted(k for k in set(before) | set(after) if before.get(k) != after.get(k))


# Registry keys that differ between two snapshots without any program of ours
# being involved, each a subtree of system.reg: Wine enumerates the machine's
# hardware again whenever a session starts (and a session stopped in the
# middle leaves it half done).
WINE_HARDWARE = (
    # the display adapter: driver date and device strings written anew
    r"[System\\CurrentControlSet\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}",
    # the monitor class and its device
    r"[System\\CurrentControlSet\\Control\\Class\\{4D36E96E-E325-11CE-BFC1-08002BE10318}",
    r"[System\\CurrentControlSet\\Enum\\DISPLAY\\",
    # the display adapter's own device (its parameters)
    r"[System\\CurrentControlSet\\Enum\\PCI\\",
    # the network adapters
    r"[Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
)
# An empty key of user.reg that Wine's explorer adds when it shows a folder
# window, as it does for the group windows that Program Manager opens.
WINE_EXPLORER = r"[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced]"


def registry_differences(before, after):
    """differences() of two registry listings, without Wine's own keys above."""
    return [k for k in differences(before, after)
            if not (k[0] == "system.reg" and k[1].startswith(WINE_HARDWARE))
            and not (k == ("user.reg", WINE_EXPLORER) and not after.get(k))]


# The sample product of samples/demo, as the demo and its scenario run it.
SAMPLE = os.path.join(SOURCE, "samples", "demo")
SAMPLE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SAMPLE_RUNTIME = r"C:\windows\system32\SNRUNTIM.DLL"
SAMPLE_EARLIER_RUNTIME = b"Sample Notes runtime 0.9\r\n"
SAMPLE_EARLIER_SETTINGS = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Sample Notes]
"Version"="0.9"
"Recent"=hex(7):66,69,72,73,74,2e,6e,74,73,00,00
"""


def sample_media(prefix):
    """The sample's media: samples/demo without the robot's plans, and the
    font it installs, taken from the fonts-dejavu-core package."""
    media = Media(prefix)
    for name in os.listdir(SAMPLE):
        if not name.endswith(".plan"):
            media.write(name, read_bytes(os.path.join(SAMPLE, name)))
    media.write("NOTESANS.TTF", read_bytes(SAMPLE_FONT))
    return media


def sample_earlier_version(prefix):
    """What Sample Notes 0.9 left on the machine: its runtime in the system
    directory and its settings in the registry, both of which the sample
    changes and its removal puts back."""
    with open(prefix.unix(SAMPLE_RUNTIME), "wb") as f:
        f.write(SAMPLE_EARLIER_RUNTIME)
    import_registry(prefix, SAMPLE_EARLIER_SETTINGS)


def sample_plan(name):
    """The robot's answers for the sample, without the pauses that let a
    person follow the demo."""
    with open(os.path.join(SAMPLE, name)) as f:
        return f.read().replace("wait 800", "")


def import_registry(prefix, text):
    """Imports a REGEDIT4 text, or a version 5 one in UTF-16, into the
    prefix's registry."""
    path = os.path.join(prefix.drive_c, "import.reg")
    wide = text.startswith("Windows Registry Editor Version 5.00")
    with open(path, "w", encoding="utf-16" if wide else "latin-1", newline="\r\n") as f:
        f.write(text)
    prefix.wine("regedit", "/S", r"C:\import.reg")
    os.remove(path)


def run_setup(prefix, media, plan, args="", timeout=90, exe="setup.exe", name="run", ignore_progress=True,
              trace=(), cwd=None, on_shot=None, file_size_limit=None):
    """Runs setup.exe under the robot; returns the transcript. With
    ignore_progress=False the plan must expect the progress dialog itself.
    Screenshots the plan asks for ("shot NAME") are taken of the prefix's X
    display and kept as prefix.shots[NAME] (a Screenshot). trace names
    functions ("user32.ExitWindowsEx") whose calls, in the order they were
    made, become the transcript's calls (see traced_calls). cwd, a directory
    of the prefix, becomes the installer's current directory. With on_shot, a
    "shot NAME" step calls on_shot(NAME) instead, and the robot waits until
    it returns: a point where the test acts while the program waits. With
    file_size_limit, no file the run writes can grow past that many bytes:
    a disk that is full for its files (the Wine server, started first, is
    not held to it)."""
    program = media.windows_path.rstrip("\\") + "\\" + exe  # also for media at the root, C:\
    # A program path with blanks is quoted, as the shell starts it.
    command = ('"%s"' % program if " " in program else program) + (" " + args if args else "")
    return run_command(prefix, command, plan, timeout, name, ignore_progress, trace, cwd, on_shot, file_size_limit)


def run_command(prefix, command, plan, timeout=90, name="run", ignore_progress=True, trace=(), cwd=None,
                on_shot=None, file_size_limit=None):
    """Runs a command line of the prefix (a program and its arguments, as
    a shortcut or an uninstall entry holds it) under the robot, as
    run_setup does; returns the transcript."""
    plan_path = os.path.join(prefix.path, name + ".plan")
    transcript_path = os.path.join(prefix.path, name + ".jsonl")
    ignores = DEFAULT_IGNORES if ignore_progress else []
    with open(plan_path, "w") as f:
        f.write("\n".join(ignores + [line.strip() for line in plan.strip().splitlines()]) + "\n")
    robot = os.path.join(BUILD, "tests", "robot.exe")
    shot_request = transcript_path + ".shot"
    env, trace_path = prefix.env, os.path.join(prefix.path, name + ".trace")
    if trace:
        # Wine's relay tracing, narrowed to the named functions.
        prefix.reg("add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", ";".join(trace), "/f")
        env = dict(env, WINEDEBUG="+relay")
    limit = None
    if file_size_limit is not None:
        prefix.wine("cmd", "/c", "rem")  # the server and the prefix's services start unlimited

        def limit():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # a refused write, not a killed process
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))
    errors_path = trace_path if trace else os.path.join(prefix.path, name + ".stderr")
    for attempt in range(2):
        with open(errors_path, "wb") as errors:
            robot_run = subprocess.Popen(["wine", robot, plan_path, transcript_path, str(timeout), command], env=env,
                                         stdout=subprocess.DEVNULL, stderr=errors, cwd=cwd, preexec_fn=limit)
            _wait_for_robot(prefix, robot_run, shot_request, timeout, on_shot)
        # No transcript at all: Wine never got the robot going, and the
        # program under test did not run. That is the machine, not the
        # installer: once more.
        if os.path.exists(transcript_path):
            break
    t = Transcript(transcript_path)
    with open(errors_path, "rb") as f:
        t.robot = "robot exit %s: %s" % (robot_run.returncode, f.read()[-600:].decode("latin-1"))
    t.calls = traced_calls(trace_path) if trace else []
    return t


def _wait_for_robot(prefix, robot_run, shot_request, timeout, on_shot=None):
    deadline = time.time() + timeout + 60
    while robot_run.poll() is None:
        if time.time() > deadline:
            robot_run.kill()
            robot_run.wait()
            raise Failure("the robot did not end")
        if os.path.exists(shot_request):
            if on_shot:
                with open(shot_request) as f:
                    on_shot(f.read().strip())
                os.remove(shot_request)
            else:
                take_shot(prefix, shot_request)
        time.sleep(0.05)


def traced_calls(path):
    """The calls of a relay trace as (thread, function, arguments, result),
    in order; the result is None for a call that never returned. Functions
    are named with their library in lower case ("kernel32.DeleteFileA")."""
    def named(text):
        library, _, function = text.partition(".")
        return library.lower() + "." + function

    calls, open_calls = [], {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            thread, _, rest = line.partition(":")
            if rest.startswith("Call ") and "." in rest.split("(", 1)[0] and " " not in rest[5:].split("(", 1)[0]:
                function, _, arguments = rest[5:].partition("(")
                function = named(function)
                open_calls.setdefault((thread, function), []).append(len(calls))
                calls.append([thread, function, arguments.rsplit(")", 1)[0], None])
            elif rest.startswith("Ret  "):
                function = named(rest[5:].split("(", 1)[0])
                pending = open_calls.get((thread, function))
                if pending and "retval=" in rest:
                    calls[pending.pop()][3] = int(rest.split("retval=")[1].split()[0], 16)
    return [tuple(c) for c in calls]


class SessionWatch:
    """tests/probe/session_watch.exe running in the prefix: notes the end of
    the Windows session, as a restart brings it about."""

    def __init__(self, prefix):
        self.path = os.path.join(prefix.path, "session.txt")
        self.run = subprocess.Popen(["wine", os.path.join(BUILD, "tests", "session_watch.exe"), self.path],
                                    env=prefix.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(400):
            if self.lines():
                return
            time.sleep(0.05)
        raise Failure("the session watch did not start")

    def lines(self):
        if not os.path.exists(self.path):
            return []
        with open(self.path, encoding="latin-1") as f:
            return [line.strip() for line in f if line.strip()]

    def wait_for_end(self, seconds):
        """The watch's lines once it has ended, or after seconds if it has not."""
        deadline = time.time() + seconds
        while self.run.poll() is None and time.time() < deadline:
            time.sleep(0.1)
        return self.lines()

    def stop(self):
        if self.run.poll() is None:
            self.run.kill()
            self.run.wait()


def take_shot(prefix, request):
    with open(request) as f:
        shot_name = f.read().strip() or "shot"
    os.makedirs(SHOTS, exist_ok=True)
    path = os.path.join(SHOTS, "%s-%s.ppm" % (os.path.basename(prefix.path), shot_name))
    subprocess.run(["import", "-display", prefix.env["DISPLAY"], "-window", "root", "-depth", "8", "ppm:" + path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
    prefix.shots[shot_name] = Screenshot(path)
    os.remove(request)  # lets the robot go on


class Screenshot:
    """A binary PPM picture of the whole screen; pixel(x, y) gives (r, g, b)."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            data = f.read()
        fields = []
        at = 0
        while len(fields) < 4:  # magic, width, height, maximum, with comments between
            while data[at:at + 1].isspace():
                at += 1
            if data[at:at + 1] == b"#":
                at = data.index(b"\n", at)
                continue
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        check(fields[0] == b"P6", "%s is no binary PPM" % path)
        self.width, self.height, maximum = int(fields[1]), int(fields[2]), int(fields[3])
        check(maximum == 255, "%s has %d levels" % (path, maximum))
        self.pixels = data[at + 1:]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def read_bmp(path):
    """(width, height, rows of (r, g, b)) of an uncompressed 4- or 24-bit BMP file."""
    data = read_bytes(path)
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    colours = struct.unpack_from("<I", data, 46)[0] or (16 if bits == 4 else 0)
    palette = [(data[54 + 4 * i + 2], data[54 + 4 * i + 1], data[54 + 4 * i]) for i in range(colours)]
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(height):
        line = data[offset + (height - 1 - y) * stride:offset + (height - y) * stride]
        if bits == 24:
            rows.append([(line[3 * x + 2], line[3 * x + 1], line[3 * x]) for x in range(width)])
        elif bits == 4:
            rows.append([palette[(line[x // 2] >> (0 if x % 2 else 4)) & 15] for x in range(width)])
        else:
            raise Failure("%s: %d bits per pixel not read here" % (path, bits))
    return width, height, rows


def bmp_bytes(rows):
    """A 24-bit BMP file of rows of (r, g, b), the top row first."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    pixels = b"".join(bytes(c for (r, g, b) in row for c in (b, g, r)).ljust(stride, b"\0") for row in reversed(rows))
    return (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0) + pixels)


@contextlib.contextmanager
def private_display(depth, width=1024, height=768):
    """An Xvfb display of its own for one test, stopped afterwards. Xvfb
    picks a free display number itself and writes it once it is ready."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "%dx%dx%d" % (width, height, depth), "-nolisten", "tcp"],
                              pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        with os.fdopen(read_end) as ready:
            number = ready.readline().strip()
        check(number.isdigit(), "Xvfb did not start")
        yield ":" + number
    finally:
        server.terminate()
        server.wait(timeout=10)


def run_actions(prefix, media, script, plan="", name="actions", timeout=90):
    """Runs action sections of a script through the action driver (see
    tests/driver/action_driver.cpp) under the robot; returns the transcript
    and the driver's result records."""
    shutil.copy(os.path.join(BUILD, "tests", "action_driver.exe"), media.path)
    media.script(script, name + ".inf")
    results = os.path.join(media.path, name + ".results")
    if os.path.exists(results):
        os.remove(results)
    args = "%s\\%s.inf %s\\%s.results" % (media.windows_path, name, media.windows_path, name)
    t = run_setup(prefix, media, plan, args=args, timeout=timeout, exe="action_driver.exe", name=name)
    records = []
    if os.path.exists(results):
        with open(results, encoding="latin-1") as f:
            records = [json.loads(line) for line in f if line.strip()]
    return t, records


def entries(records, section=None):
    """The per-entry records of the driver, optionally of one section."""
    return [r for r in records if "key" in r and (section is None or r["section"] == section)]


def lnk_target(path):
    """The local target path a shell link (.lnk) records in its link info."""
    data = read_bytes(path)
    check(data[:4] == b"L\0\0\0", "%s is not a shell link" % path)
    flags = int.from_bytes(data[0x14:0x18], "little")
    at = 0x4C
    if flags & 1:  # a target ID list comes first
        at += 2 + int.from_bytes(data[at:at + 2], "little")
    check(flags & 2, "%s has no link info" % path)
    base = at + int.from_bytes(data[at + 16:at + 20], "little")
    return data[base:data.index(b"\0", base)].decode("latin-1")


def lnk_arguments(path):
    """The command-line arguments a shell link (.lnk) passes to its target."""
    data = read_bytes(path)
    flags = int.from_bytes(data[0x14:0x18], "little")
    at = 0x4C
    if flags & 1:
        at += 2 + int.from_bytes(data[at:at + 2], "little")
    if flags & 2:
        at += int.from_bytes(data[at:at + 4], "little")
    width = 2 if flags & 0x80 else 1
    # The strings that follow, each present by its flag: name, relative path,
    # working directory, arguments.
    for flag in (0x4, 0x8, 0x10, 0x20):
        if not flags & flag:
            continue
        count = int.from_bytes(data[at:at + 2], "little")
        text = data[at + 2:at + 2 + count * width]
        if flag == 0x20:
            # Wine counts the terminator in, as the format does not.
            return text.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
        at += 2 + count * width
    return ""


def expect_done(transcript, exit_code=0):
    end = transcript.end
    check(end["how"] == "done", "robot ended with %s; dialogs seen: %s%s" % (
        end, transcript.captions(), "" if transcript.events else "; " + transcript.robot))
    check(end.get("exit") == exit_code, "exit code %s, wanted %s" % (end.get("exit"), exit_code))


def scenario(fn):
    """Marks a scenario function; run_scenario.py runs each in its own prefix."""
    fn.is_scenario = True
    return fn
