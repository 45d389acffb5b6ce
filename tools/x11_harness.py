"""Drives the widget under a virtual X server, for the system tests and the headless screenshot.

Python standard library only; the X side goes through Xvfb, trayer, xdotool, xprop, xwininfo and
ImageMagick's `import`. Every process it starts runs in its own process group and is stopped when
its context manager exits; every wait is bounded.
"""

import contextlib
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import time
import zlib

SCREEN_WIDTH = 1920
SCREEN_HEIGHT = 1080
LOOPBACK_HOST = "127.0.0.1"
LOOPBACK_PORT = 18080
WINDOW_TITLE = "Quillmast"

# Variables that would send the program's requests somewhere other than the loopback server.
_PROXY_VARIABLES = ("http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY")


class HarnessError(RuntimeError):
    pass


def wait_until(predicate, timeout, interval=0.05):
    """Polls predicate until it returns a true value or timeout seconds pass; returns the last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def _stop_group(process, grace=3.0):
    """Stops a process started with start_new_session=True together with its children."""
    if process.poll() is None:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(process.pid, signal.SIGKILL)
            process.wait(timeout=grace)
    else:
        # The leader is gone; children it left in the group still go.
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(process.pid, signal.SIGKILL)


class Image:
    """An RGB picture: width, height and 3 bytes per pixel, rows top to bottom."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i : i + 3])

    def crop(self, left, top, width, height):
        """The part inside the rectangle, clipped to the picture."""
        x0, y0 = max(left, 0), max(top, 0)
        x1, y1 = min(left + width, self.width), min(top + height, self.height)
        if x1 <= x0 or y1 <= y0:
            return Image(0, 0, b"")
        rows = [self.rgb[(y * self.width + x0) * 3 : (y * self.width + x1) * 3] for y in range(y0, y1)]
        return Image(x1 - x0, y1 - y0, b"".join(rows))

    def pixels(self):
        for i in range(0, len(self.rgb), 3):
            yield tuple(self.rgb[i : i + 3])

    def count(self, predicate):
        return sum(1 for p in self.pixels() if predicate(p))

    def save_png(self, path):
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        stride = self.width * 3
        raw = b"".join(b"\x00" + self.rgb[y * stride : (y + 1) * stride] for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)))
            f.write(chunk(b"IEND", b""))


def near_colour(pixel, colour, tolerance=3):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


_PPM_TOKEN = re.compile(rb"\s*(#[^\n]*\n\s*)*(\S+)")


def _parse_ppm(data):
    tokens = []
    pos = 0
    while len(tokens) < 4:
        match = _PPM_TOKEN.match(data, pos)
        if not match:
            raise HarnessError("not a PPM picture")
        tokens.append(match.group(2))
        pos = match.end()
    if tokens[0] != b"P6" or tokens[3] != b"255":
        raise HarnessError("unexpected PPM header %r" % tokens)
    width, height = int(tokens[1]), int(tokens[2])
    pixels = data[pos + 1 : pos + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        raise HarnessError("short PPM picture")
    return Image(width, height, pixels)


class Display:
    """Xvfb on a display number it picks itself (-displayfd), 1920 x 1080 x 24, no TCP."""

    def __init__(self, tray=False):
        self.tray = tray
        self.name = None
        self._xvfb = None
        self._trayer = None
        self.tray_window = None

    def __enter__(self):
        if not shutil.which("Xvfb"):
            raise HarnessError("Xvfb is not installed")
        read_end, write_end = os.pipe()
        try:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT), "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + 10
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                    raise HarnessError("Xvfb did not start within 10 s")
                piece = os.read(read_end, 16)
                if not piece:
                    raise HarnessError("Xvfb exited at start")
                number += piece
            self.name = ":" + number.decode().strip()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        try:
            if self.tray:
                self._start_trayer()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start_trayer(self):
        self._trayer = subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
             "--SetDockType", "false", "--SetPartialStrut", "false", "--transparent", "false"],
            env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        # trayer's visible window is named "panel"; it owns the tray selection once it is mapped.
        found = wait_until(lambda: self.search(["--name", "^panel$"]), 10, 0.1)
        if not found:
            raise HarnessError("trayer did not show its panel within 10 s")
        self.tray_window = found[0]

    def __exit__(self, *exc):
        for process in (self._trayer, self._xvfb):
            if process is not None:
                _stop_group(process)
        self._trayer = self._xvfb = None
        return False

    def env(self, extra_path=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("XAUTHORITY", None)
        env["QT_QPA_PLATFORM"] = "xcb"
        for name in _PROXY_VARIABLES:
            env.pop(name, None)
        env["no_proxy"] = env["NO_PROXY"] = "127.0.0.1,localhost"
        if extra_path:
            env["PATH"] = extra_path + os.pathsep + env.get("PATH", "")
        return env

    def run(self, args, timeout=10, check=True):
        """Runs an X client on this display; returns its stdout as text."""
        result = subprocess.run(args, env=self.env(), capture_output=True, timeout=timeout)
        if check and result.returncode != 0:
            raise HarnessError("%s failed: %s" % (" ".join(args), result.stderr.decode(errors="replace").strip()))
        return result.stdout.decode(errors="replace")

    # xdotool search exits 1 when it finds nothing.
    def search(self, criteria):
        out = self.run(["xdotool", "search"] + criteria, check=False)
        return [int(w) for w in out.split()]

    def geometry(self, window):
        """(left, top, width, height) of a window in root coordinates."""
        out = self.run(["xwininfo", "-id", str(window)])
        values = {}
        for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                           ("w", "Width"), ("h", "Height")):
            match = re.search(r"^\s*%s:\s*(-?\d+)" % re.escape(label), out, re.MULTILINE)
            if not match:
                raise HarnessError("xwininfo gave no %s" % label)
            values[key] = int(match.group(1))
        return values["x"], values["y"], values["w"], values["h"]

    def is_viewable(self, window):
        out = self.run(["xwininfo", "-id", str(window)], check=False)
        return "Map State: IsViewable" in out

    def parent(self, window):
        out = self.run(["xwininfo", "-children", "-id", str(window)], check=False)
        match = re.search(r"Parent window id: (0x[0-9a-fA-F]+)", out)
        return int(match.group(1), 16) if match else 0

    def is_inside(self, window, ancestor):
        for _ in range(32):
            window = self.parent(window)
            if window == 0:
                return False
            if window == ancestor:
                return True
        return False

    def xprop(self, window):
        return self.run(["xprop", "-id", str(window)])

    def move_pointer(self, x, y):
        self.run(["xdotool", "mousemove", str(x), str(y)])

    def click(self, x, y, button=1):
        self.move_pointer(x, y)
        self.run(["xdotool", "click", str(button)])

    def key(self, *names):
        self.run(["xdotool", "key", "--delay", "30"] + list(names))

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "30", text])

    def focus(self, window):
        self.run(["xdotool", "windowfocus", str(window)], check=False)

    def move_window(self, window, x, y):
        self.run(["xdotool", "windowmove", str(window), str(x), str(y)])

    def screenshot(self):
        result = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env(),
                                capture_output=True, timeout=20)
        if result.returncode != 0:
            raise HarnessError("import failed: " + result.stderr.decode(errors="replace").strip())
        return _parse_ppm(result.stdout)


class PageServer:
    """nginx on 127.0.0.1:18080 serving one file at /top/summary (any query), logging each request."""

    def __init__(self, page_bytes, port=LOOPBACK_PORT):
        self.port = port
        self._page_bytes = page_bytes
        self._dir = None
        self._nginx = None

    def __enter__(self):
        nginx = shutil.which("nginx") or ("/usr/sbin/nginx" if os.path.exists("/usr/sbin/nginx") else None)
        if not nginx:
            raise HarnessError("nginx is not installed")
        # Another run may still be letting the port go; wait a little before giving up.
        if not wait_until(self._port_free, 20, 0.2):
            raise HarnessError("port %d is in use by another program" % self.port)
        self._dir = tempfile.mkdtemp(prefix="quillmast-nginx-")
        # nginx workers may run as another user: they must be able to read the page.
        os.chmod(self._dir, 0o755)
        self.page_path = os.path.join(self._dir, "summary.html")
        self.set_page(self._page_bytes)
        self.log_path = os.path.join(self._dir, "access.log")
        temp = os.path.join(self._dir, "temp")
        os.mkdir(temp, 0o755)
        conf = os.path.join(self._dir, "nginx.conf")
        with open(conf, "w") as f:
            f.write(_NGINX_CONF.format(dir=self._dir, temp=temp, log=self.log_path, host=LOOPBACK_HOST,
                                       port=self.port, page=self.page_path))
        try:
            self._nginx = subprocess.Popen([nginx, "-p", self._dir, "-e", os.path.join(self._dir, "error.log"), "-c", conf], stdout=subprocess.DEVNULL,
                                           stderr=open(os.path.join(self._dir, "stderr.log"), "wb"),
                                           start_new_session=True)
            if not wait_until(self._accepts, 10, 0.05):
                raise HarnessError("nginx did not listen within 10 s: " + self._error_log())
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _port_free(self):
        with socket.socket() as probe:
            probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            try:
                probe.bind((LOOPBACK_HOST, self.port))
            except OSError:
                return False
        return True

    def _accepts(self):
        if self._nginx.poll() is not None:
            raise HarnessError("nginx exited: " + self._error_log())
        with socket.socket() as s:
            s.settimeout(0.5)
            return s.connect_ex((LOOPBACK_HOST, self.port)) == 0

    def _error_log(self):
        text = ""
        for name in ("stderr.log", "error.log"):
            with contextlib.suppress(OSError):
                with open(os.path.join(self._dir, name), errors="replace") as f:
                    text += f.read()
        return text.strip()[-2000:]

    def __exit__(self, *exc):
        if self._nginx is not None:
            _stop_group(self._nginx)
            self._nginx = None
        if self._dir:
            shutil.rmtree(self._dir, ignore_errors=True)
            self._dir = None
        return False

    def set_page(self, page_bytes):
        """Replaces the served page; the next request gets the new bytes."""
        path = self.page_path + ".new"
        with open(path, "wb") as f:
            f.write(page_bytes)
        os.chmod(path, 0o644)
        os.replace(path, self.page_path)

    def requests(self):
        """The request lines logged so far, oldest first, as (time.time() seconds, 'GET /… HTTP/1.1')."""
        with contextlib.suppress(FileNotFoundError):
            with open(self.log_path, errors="replace") as f:
                lines = []
                for line in f:
                    stamp, _, request = line.rstrip("\n").partition(" ")
                    lines.append((float(stamp), request))
                return lines
        return []

    def summary_requests(self):
        return [r for r in self.requests() if " /top/summary" in r[1]]


_NGINX_CONF = """\
daemon off;
worker_processes 1;
pid {dir}/nginx.pid;
error_log {dir}/error.log warn;
events {{ worker_connections 64; }}
http {{
    client_body_temp_path {temp}/body;
    proxy_temp_path {temp}/proxy;
    fastcgi_temp_path {temp}/fastcgi;
    uwsgi_temp_path {temp}/uwsgi;
    scgi_temp_path {temp}/scgi;
    log_format stamped '$msec $request';
    access_log {log} stamped;
    server {{
        listen {host}:{port};
        location = /top/summary {{
            default_type text/html;
            alias {page};
        }}
        location / {{
            return 404;
        }}
    }}
}}
"""


class Program:
    """The widget on a Display, in its own process group, with its output kept in a temp folder."""

    def __init__(self, display, path, extra_path=None):
        self.display = display
        self.path = path
        self.extra_path = extra_path
        self.process = None
        self.window = None
        self.started_at = None
        self._dir = None

    def __enter__(self):
        self._dir = tempfile.mkdtemp(prefix="quillmast-run-")
        env = self.display.env(self.extra_path)
        env["XDG_RUNTIME_DIR"] = self._dir
        self._output = open(os.path.join(self._dir, "output.log"), "wb")
        self.started_at = time.monotonic()
        self.process = subprocess.Popen([self.path], env=env, stdout=self._output, stderr=subprocess.STDOUT,
                                        stdin=subprocess.DEVNULL, start_new_session=True)
        return self

    def __exit__(self, *exc):
        if self.process is not None:
            _stop_group(self.process)
        self._output.close()
        shutil.rmtree(self._dir, ignore_errors=True)
        return False

    def output(self):
        with open(os.path.join(self._dir, "output.log"), errors="replace") as f:
            return f.read()

    def windows(self):
        return self.display.search(["--name", "^%s$" % WINDOW_TITLE])

    def find_window(self, timeout=20):
        """The visible main window (280 wide), once it is shown; raises when it does not come."""

        def shown():
            if self.process.poll() is not None:
                raise HarnessError("the program exited with %s before showing its window:\n%s"
                                   % (self.process.returncode, self.output()))
            for window in self.display.search(["--onlyvisible", "--name", "^%s$" % WINDOW_TITLE]):
                with contextlib.suppress(HarnessError):
                    if self.display.geometry(window)[2] == 280:
                        return window
            return None

        self.window = wait_until(shown, timeout, 0.02)
        if not self.window:
            raise HarnessError("no window titled %s within %d s" % (WINDOW_TITLE, timeout))
        return self.window

    def geometry(self):
        return self.display.geometry(self.window)

    def to_screen(self, x, y):
        left, top, _, _ = self.geometry()
        return left + x, top + y

    def click(self, x, y, button=1):
        """Clicks at window coordinates."""
        self.display.click(*self.to_screen(x, y), button=button)

    def move_pointer(self, x, y):
        self.display.move_pointer(*self.to_screen(x, y))

    def window_image(self):
        left, top, width, height = self.geometry()
        return self.display.screenshot().crop(left, top, width, height)

    def wait_exit(self, timeout=10):
        """The exit status, or None when the program still runs after timeout seconds."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def tray_icon(self):
        """A window of this program embedded in the tray host, or None."""
        tray = self.display.tray_window
        if tray is None:
            return None
        for window in self.display.search(["--pid", str(self.process.pid)]):
            if self.display.is_inside(window, tray):
                return window
        return None

    def status_value(self, field):
        """A field of /proc/PID/status, such as VmRSS, as its text."""
        with open("/proc/%d/status" % self.process.pid) as f:
            for line in f:
                if line.startswith(field + ":"):
                    return line.split(":", 1)[1].strip()
        return None

    def cpu_ticks(self):
        """utime + stime of the process, in clock ticks."""
        with open("/proc/%d/stat" % self.process.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        # fields[0] is the state, the third field of stat; utime and stime are fields 14 and 15.
        return int(fields[11]) + int(fields[12])


def sample_page(tool, rows=None, timeout=20):
    """The bytes the sample page tool writes."""
    args = [tool] + ([str(rows)] if rows is not None else [])
    result = subprocess.run(args, capture_output=True, timeout=timeout)
    if result.returncode != 0 or not result.stdout:
        raise HarnessError("%s failed (%d): %s" % (tool, result.returncode, result.stderr.decode(errors="replace")))
    return result.stdout


_ROW_PATTERN = re.compile(r"<a href=.*>(.[^<]*)?</a>\s.*?\s.*</td>\s.*<td (.*)</td>", re.IGNORECASE)


def _between(text, start, end):
    i = text.find(start)
    if i < 0:
        return ""
    i += len(start)
    j = text.find(end, i)
    return text[i:j] if j >= 0 else ""


def page_entries(page_bytes):
    """(keyword, tag) of each row the widget finds on a UTF-8 page, in page order ("默认" for no tag)."""
    rows = []
    for match in _ROW_PATTERN.finditer(page_bytes.decode("utf-8", errors="replace")):
        tag = _between(_between(match.group(2), 'class="td-03">', "i>"), '">', "</")
        rows.append((match.group(1) or "", tag or "默认"))
    return rows


def displayed_rows(page_bytes):
    """(label text, tag text) of each row as the window shows it: the entry "keyword|tag" is split
    again at "|", so a keyword holding "|" shows its first part and offers its second as the tag."""
    rows = []
    for keyword, tag in page_entries(page_bytes):
        pieces = (keyword + "|" + tag).split("|")
        rows.append((pieces[0], pieces[1]))
    return rows
