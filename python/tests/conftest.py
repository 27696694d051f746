"""What the Python tests share: every test's private registry, private X servers, the
helper programs built beside the module, and the error number of a raising call.

    def test_two_screens(xvfb, helper, error_number):
        x = xvfb("+extension", "RANDR")            # stopped after the test
        h = helper("platform_window_helper", "window", "shown", "none")
        assert error_number(lambda: obj.Member(-1)) == 5
"""

import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

import pytest

import toolvane


def built_program(name):
    return os.path.join(os.environ.get("QUENDEL_BUILD_DIR", "build"), "bin", name)


class Xvfb:
    """Xvfb on a display number it picks itself; stop() ends it."""

    def __init__(self, *extra, size="1280x1024"):
        read_end, write_end = os.pipe()
        # The sanitizer runtime preloaded for the interpreter is not the server's business.
        env = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "ASAN_OPTIONS")}
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", size + "x24",
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


@pytest.fixture(autouse=True)
def private_registry(monkeypatch):
    """Every test reads and writes a registry of its own, never the user's."""
    folder = tempfile.mkdtemp(prefix="quendel-py-")
    monkeypatch.setenv("QUENDEL_REGISTRY_DIR", folder)
    yield folder
    shutil.rmtree(folder, ignore_errors=True)


@pytest.fixture
def error_number():
    """error_number(call): the run-time error number that call raises (fails if none)."""
    def number_of(call):
        with pytest.raises(toolvane.Error) as e:
            call()
        return e.value.number
    return number_of


@pytest.fixture
def xvfb():
    """xvfb(*extra, size="1280x1024"): a private X server, stopped when the test ends."""
    servers = []

    def start(*extra, size="1280x1024"):
        servers.append(Xvfb(*extra, size=size))
        return servers[-1]
    yield start
    for server in servers:
        server.stop()


@pytest.fixture(scope="module")
def module_xvfb():
    """One private X server for all the tests of a module."""
    server = Xvfb()
    yield server
    server.stop()


@pytest.fixture
def helper():
    """helper(program, *args): a program built beside the module, ended when the test ends."""
    started = []

    def start(program, *args):
        started.append(Helper(built_program(program), *args))
        return started[-1]
    yield start
    for h in started:
        h.stop()
