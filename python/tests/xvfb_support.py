"""Private X servers and helper programs for the window tests (not a test module)."""

import os
import select
import signal
import subprocess
import time


def built_program(name):
    return os.path.join(os.environ.get("QUENDEL_BUILD_DIR", "build"), "bin", name)


class Xvfb:
    """Xvfb on a display number it picks itself; stop() ends it."""

    def __init__(self, *extra):
        read_end, write_end = os.pipe()
        # The sanitizer runtime preloaded for the interpreter is not the server's business.
        env = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "ASAN_OPTIONS")}
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset", *extra],
            pass_fds=(write_end,), env=env, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], 0.2)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.strip():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait()


class Helper:
    """A helper program whose output is read line by line; stop() ends it."""

    def __init__(self, *argv):
        self.process = subprocess.Popen(list(argv), stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def line(self, timeout=10):
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        return self.process.stdout.readline().strip() if ready else ""

    def stop(self, sig=signal.SIGTERM):
        if self.process.poll() is None:
            self.process.stdin.close()
            self.process.send_signal(sig)
            self.process.wait()
        self.process.stdout.close()
