# SPDX-License-Identifier: GPL-3.0-or-later
"""One end-to-end run: a private X server, a private sound server, a temporary
home and settings folder, the program, and a user's mouse and keyboard.

Everything started here is stopped again by `close()`, which a test reaches
through a `with` block also when it fails, times out or is interrupted.
"""

import argparse
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path

import screen
import x11

SCREEN_SIZE = (1280, 1024)
MAIN_TITLE = "^Veltrano$"
SOURCE = Path(__file__).resolve().parents[2]
TOOLS = ["Xvfb", "xdotool", "import", "convert", "pacat", "parecord", "pactl", "pulseaudio"]


def project_value(name):
    """What the project's CMakeLists.txt sets: "VERSION" (the project's) or a variable."""
    pattern = (r"project\(\w+ VERSION ([0-9.]+)" if name == "VERSION"
               else r"set\(%s (\S+)\)" % name)
    return re.search(pattern, (SOURCE / "CMakeLists.txt").read_text()).group(1)


class Failure(Exception):
    """A check of the test did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def where_threads_wait(pid):
    """Each thread of a program that does not end, with its state and the
    kernel function it sleeps in, and its stack where gdb is installed."""
    lines = ["the program's threads:"]
    for task in sorted(Path("/proc/%d/task" % pid).glob("*")):
        try:
            state = (task / "stat").read_text().rsplit(")", 1)[1].split()[0]
            lines.append("  %s %s %s in %s" % (task.name, (task / "comm").read_text().strip(),
                                               state, (task / "wchan").read_text()))
        except OSError:
            pass  # a thread that ended meanwhile
    if shutil.which("gdb"):
        stacks = subprocess.run(["gdb", "-p", str(pid), "-batch", "-ex", "thread apply all bt"],
                                capture_output=True, text=True, timeout=20)
        lines.append(stacks.stdout)
    return "\n".join(lines)


def log(message):
    print(message, flush=True)


def _timeout(signum, frame):
    raise Failure("the test ran out of time")


def _interrupted(signum, frame):
    raise SystemExit("interrupted by signal %d" % signum)


def arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True, help="the veltrano executable")
    parser.add_argument("--pulse-script", required=True, help="pulse-server.sh")
    parser.add_argument("--layout", required=True, help="the component table as JSON (layout.py)")
    parser.add_argument("--out", required=True, help="folder for screenshots and logs")
    parser.add_argument("--budget", type=int, default=50, help="seconds before giving up")
    return parser.parse_args()


def run(test):
    """Runs `test(session)` and turns the outcome into the exit status."""
    args = arguments()
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        log("FAIL: missing tools: %s (see scripts/install-deps.sh --tests)" % " ".join(missing))
        return 1
    signal.signal(signal.SIGALRM, _timeout)
    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, _interrupted)
    signal.alarm(args.budget)
    started = time.monotonic()
    try:
        with Session(args) as session:
            test(session)
    except Failure as failure:
        log("FAIL: %s" % failure)
        log("screenshots and logs: %s" % args.out)
        return 1
    except Exception:
        log("FAIL: the test itself broke:\n" + traceback.format_exc())
        return 1
    finally:
        signal.alarm(0)
    log("PASS in %.1f s" % (time.monotonic() - started))
    return 0


class Session:
    def __init__(self, args):
        self.program = args.program
        self.pulse_script = args.pulse_script
        self.out = Path(args.out)
        if self.out.exists():
            shutil.rmtree(self.out)
        self.out.mkdir(parents=True)
        # Under /tmp: the sound server's socket path must stay short.
        self.tmp = Path(tempfile.mkdtemp(prefix="veltrano-e2e-"))
        self.runtime = self.tmp / "runtime"
        self.home = self.tmp / "home"
        self.config = self.tmp / "config"
        for folder in (self.runtime, self.home, self.config):
            folder.mkdir(mode=0o700)
        (self.tmp / "client.conf").write_text("autospawn = no\n")
        self.display = None
        self.xvfb = None
        self.xvfb_log = None
        self.servers = []
        self.processes = []  # helpers to stop at the end: players, recorders
        self.app = None
        self.app_log = None
        self.window = None
        self.origin = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    # --- the environment ---------------------------------------------------

    def env(self, pulse_dir=None):
        """The environment of every client: our X server and sound server,
        our home and settings, nothing of the user's desktop."""
        desktop = re.compile(
            r"^(QT_|PULSE_|XDG_|DBUS_|WAYLAND_|DISPLAY$|XAUTHORITY$|DESKTOP_SESSION$)"
        )
        env = {key: value for key, value in os.environ.items() if not desktop.match(key)}
        env.update(
            {
                "HOME": str(self.home),
                "XDG_CONFIG_HOME": str(self.config),
                "XDG_RUNTIME_DIR": str(self.runtime),
                "XDG_CACHE_HOME": str(self.home / ".cache"),
                "XDG_DATA_HOME": str(self.home / ".local/share"),
                "PULSE_RUNTIME_PATH": str(self.runtime),
                "PULSE_CLIENTCONFIG": str(self.tmp / "client.conf"),
                "PULSE_COOKIE": str(self.tmp / "cookie"),
                "PULSE_SERVER": "unix:%s/native" % (pulse_dir or self.tmp / "srv"),
                "QT_QPA_PLATFORM": "xcb",
                "LC_ALL": "C.UTF-8",
            }
        )
        if self.display:
            env["DISPLAY"] = self.display
        return env

    def settings_file(self):
        return self.config / "Zenko" / "Veltrano.conf"

    def start_with_settings(self, values, screen_size=None, env=None, before_program=None):
        """The usual start: the settings stored, Xvfb, a private sound server,
        and the program with its main window attached; `before_program(self)`
        runs once the servers are up."""
        self.write_settings(values)
        self.start_display(screen_size or SCREEN_SIZE)
        self.start_sound_server()
        if before_program:
            before_program(self)
        self.start_program(env=env)
        self.attach_main_window()

    def write_settings(self, values):
        """Stores values in the section [Veltrano] before the program starts."""
        path = self.settings_file()
        path.parent.mkdir(parents=True, exist_ok=True)
        lines = ["[Veltrano]"] + ["%s=%s" % (k, v) for k, v in values.items()]
        path.write_text("\n".join(lines) + "\n")

    def read_settings(self):
        values = {}
        section = None
        for line in self.settings_file().read_text().splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1]
            elif "=" in line and section == "Veltrano":
                key, value = line.split("=", 1)
                values[key.strip()] = value.strip()
        return values

    # --- servers -----------------------------------------------------------

    def start_display(self, size=SCREEN_SIZE, options=()):
        """Starts Xvfb; `options` adds to its command line."""
        read_end, write_end = os.pipe()
        self.xvfb_log = open(self.out / "xvfb.log", "wb")
        self.xvfb = subprocess.Popen(
            [
                "Xvfb",
                "-displayfd",
                str(write_end),
                "-screen",
                "0",
                "%dx%dx24" % size,
                "-nolisten",
                "tcp",
                "-noreset",
                *options,
            ],
            pass_fds=(write_end,),
            stdout=subprocess.DEVNULL,
            stderr=self.xvfb_log,
            start_new_session=True,
        )
        os.close(write_end)
        # Xvfb picks a free display number and writes it once it accepts clients.
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                raise Failure("Xvfb did not start (see xvfb.log)")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        log("X server on display %s" % self.display)

    def start_sound_server(self, folder=None):
        folder = Path(folder or self.tmp / "srv")
        result = subprocess.run(
            [self.pulse_script, "start", str(folder)], capture_output=True, text=True
        )
        check(result.returncode == 0, "the sound server did not start: " + result.stderr)
        self.servers.append(folder)
        return folder

    def stop_sound_server(self, folder):
        subprocess.run([self.pulse_script, "stop", str(folder)], capture_output=True)
        self.servers.remove(folder)

    # --- the program -------------------------------------------------------

    def start_program(self, pulse_dir=None, args=(), log_name="veltrano.log", env=None):
        """Starts the program; `env` adds variables (QT_SCALE_FACTOR) to the
        clean environment."""
        if self.app_log is not None:
            self.app_log.close()
        self.app_log = open(self.out / log_name, "wb")
        self.app = subprocess.Popen(
            [self.program] + list(args),
            env={**self.env(pulse_dir), **(env or {})},
            stdout=self.app_log,
            stderr=subprocess.STDOUT,
            start_new_session=True,
        )

    def program_running(self):
        return self.app is not None and self.app.poll() is None

    def find_windows(self, title_pattern):
        result = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", title_pattern],
            env=self.env(),
            capture_output=True,
            text=True,
        )
        return [int(w) for w in result.stdout.split()]

    def wait_window(self, title_pattern, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            windows = self.find_windows(title_pattern)
            if windows:
                check(len(windows) == 1, "%d windows match %r" % (len(windows), title_pattern))
                return windows[0]
            check(self.program_running(), "the program ended (status %s)" % self.app.poll())
            check(time.monotonic() < deadline, "no window %r after %d s" % (title_pattern, timeout))
            time.sleep(0.05)

    def wait_window_gone(self, window, timeout=5):
        deadline = time.monotonic() + timeout
        while window in self.find_windows("."):
            check(time.monotonic() < deadline,
                  "window %d still shown after %d s" % (window, timeout))
            time.sleep(0.05)

    def window_title(self, window):
        return self.xdotool("getwindowname", str(window)).strip()

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        values = {}
        for line in self.xdotool("getwindowgeometry", "--shell", str(window)).splitlines():
            key, _, value = line.partition("=")
            values[key] = int(value)
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def attach_main_window(self, timeout=10):
        """Finds the main window and gives it the keyboard focus, as a window
        manager does when it maps a new window: the window is then active."""
        self.window = self.wait_window(MAIN_TITLE, timeout)
        x, y, _, _ = self.geometry(self.window)
        self.origin = (x, y)
        self.focus(self.window)
        return self.window

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", str(window))
        time.sleep(0.2)

    def xdotool(self, *args):
        result = subprocess.run(
            ["xdotool"] + list(args), env=self.env(), capture_output=True, text=True
        )
        check(result.returncode == 0, "xdotool %s failed: %s" % (" ".join(args), result.stderr))
        return result.stdout

    def click(self, point):
        """A left click at a point of the main window's client area."""
        x, y = self.origin[0] + point[0], self.origin[1] + point[1]
        self.xdotool("mousemove", "--sync", str(x), str(y), "click", "1")
        # Moves the pointer away so no hover highlight stays on the control.
        self.xdotool("mousemove", "--sync", "0", "0")

    def key(self, name):
        self.xdotool("key", name)

    def menu_dialog(self, point, key, title_pattern):
        """Right-clicks at a point of the main window, picks the menu's command
        by its key and returns the dialog it opens, focused."""
        self.xdotool("mousemove", "--sync", str(self.origin[0] + point[0]),
                     str(self.origin[1] + point[1]), "click", "3")
        time.sleep(0.3)
        self.key(key)
        dialog = self.wait_window(title_pattern)
        self.focus(dialog)
        return dialog

    def screenshot(self, name, window=None):
        """Saves a PNG of a window (the main window by default) into the test's
        folder and returns its pixels."""
        path = self.out / (name + ".png")
        result = subprocess.run(
            ["import", "-window", str(window or self.window), str(path)],
            env=self.env(),
            capture_output=True,
            text=True,
        )
        check(result.returncode == 0, "import failed: " + result.stderr)
        return screen.Image(path)

    def screenshot_until(self, name, done, timeout=3):
        """Screenshots the main window until done(image) holds or `timeout`
        seconds have passed; returns the last one."""
        deadline = time.monotonic() + timeout
        while True:
            image = self.screenshot(name)
            if done(image) or time.monotonic() > deadline:
                return image
            time.sleep(0.1)

    def close_window(self, window=None, timeout=10):
        """Asks the window to close as a window manager does (WM_DELETE_WINDOW)
        and waits for the program to end; returns its exit status."""
        x11.request_close(self.display, window or self.window)
        try:
            return self.app.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            log(where_threads_wait(self.app.pid))
            raise Failure("the program did not end within %d s of the close request" % timeout)

    # --- helpers that run beside the program -------------------------------

    def keep(self, helper):
        """Registers a player or recorder so that close() stops it."""
        self.processes.append(helper)
        return helper

    def spawn(self, args, env=None, stdout=subprocess.DEVNULL):
        """Starts a helper program in a process group of its own, which
        close() stops with its children."""
        return self.keep(Helper(args, env or self.env(), stdout))

    # --- the end -------------------------------------------------------------

    def close(self):
        # Nothing may cut the clean-up short: no time-out, no second signal.
        signal.alarm(0)
        for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(signum, signal.SIG_IGN)
        for helper in reversed(self.processes):
            helper.stop()
        if self.app is not None and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        if self.app_log is not None:
            self.app_log.close()
        for folder in list(self.servers):
            self.stop_sound_server(folder)
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        if self.xvfb_log is not None:
            self.xvfb_log.close()
        shutil.rmtree(self.tmp, ignore_errors=True)


class Helper:
    def __init__(self, args, env, stdout):
        self.process = subprocess.Popen(args, env=env, stdout=stdout, stderr=subprocess.DEVNULL,
                                        start_new_session=True)

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            self.process.wait(timeout=5)


def main(test):
    sys.exit(run(test))
