"""--loopback under an odd XDG_RUNTIME_DIR: with a space, with a line end and
a command after it, or relative, the private server's folder is one the
program makes under /tmp (0700), the loop-back works, nothing listens on the
network, and the folder goes with the program. A server that refuses its
start-up commands is reported at once in one line, not after a 10 s wait."""

import os
import random
import signal
import stat
import subprocess
import time
from pathlib import Path

from session import check, log, main


def tcp_listening_ports():
    ports = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        for line in Path(table).read_text().splitlines()[1:]:
            local, state = line.split()[1], line.split()[3]
            if state == "0A":
                ports.add(int(local.rsplit(":", 1)[1], 16))
    return ports


def run_loopback(session, runtime, cwd):
    env = dict(session.env(), XDG_RUNTIME_DIR=runtime)
    app = subprocess.Popen([session.program, "--loopback"], env=env, cwd=cwd,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    line = app.stderr.readline()
    log("XDG_RUNTIME_DIR=%r: %s" % (runtime, line.strip()))
    return app, line


def test(session):
    session.start_display()
    port = random.randint(20000, 60000)
    injected = "\nload-module module-native-protocol-tcp port=%d auth-anonymous=1\n" % port
    for runtime in (str(session.runtime / "a b"), str(session.runtime) + injected, "relative"):
        (session.tmp / runtime).mkdir(exist_ok=True)
        app, line = run_loopback(session, runtime, session.tmp)
        try:
            check(" at unix:/tmp/veltrano-loopback-" in line, "the server is not under /tmp: %r"
                  % line)
            folder = Path(line.split(" at unix:")[1].split(";")[0]).parent
            mode = stat.S_IMODE(folder.stat().st_mode)
            check(mode == 0o700, "the server's folder has mode %o" % mode)
            check((folder / "native").is_socket(), "the server does not listen in %s" % folder)
            check(port not in tcp_listening_ports(), "something listens on TCP port %d" % port)
        finally:
            app.send_signal(signal.SIGTERM)
            status = app.wait(timeout=10)
        check(status == -signal.SIGTERM, "the program ended with status %d" % status)
        check(not folder.exists(), "the server's folder %s stays behind" % folder)

    # A server that starts but refuses a command of its script.
    fake = session.tmp / "bin"
    fake.mkdir()
    (fake / "pulseaudio").write_text("#!/bin/sh\n"
                                     "echo 'E: [pulseaudio] module.c: Failed to load module' >&2\n"
                                     "exec sleep 30\n")
    (fake / "pulseaudio").chmod(0o755)
    started = time.monotonic()
    result = subprocess.run([session.program, "--loopback"], capture_output=True, text=True,
                            env=dict(session.env(), PATH="%s:%s" % (fake, os.environ["PATH"])),
                            timeout=20)
    took = time.monotonic() - started
    log("a refused start: status %d after %.1f s: %r" % (result.returncode, took, result.stderr))
    check(result.returncode == 1 and result.stderr.count("\n") == 1 and
          "refused its start-up commands: Failed to load module" in result.stderr,
          "a refused start said %r" % result.stderr)
    check(took < 5, "a refused start took %.1f s" % took)


if __name__ == "__main__":
    main(test)
