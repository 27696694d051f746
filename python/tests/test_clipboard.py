"""qndClipboard from scripts: several processes, killed writers, damaged data, and the
desktop's X11 clipboard under a private Xvfb with xclip."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pytest

import toolvane

CF_TEXT, CF_UNICODETEXT, CF_HDROP = 1, 13, 15


def _alive(pid):
    """True while the process runs (a zombie that nobody reaps counts as ended)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False


def _kill_owner(runtime):
    """Ends the session's owner process, if one runs, and waits for it."""
    path = os.path.join(runtime, "quendel-clipboard", "owner.window")
    try:
        with open(path) as f:
            pid = int(f.read().split()[1])
    except (OSError, ValueError, IndexError):
        return
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        return
    for _ in range(500):
        if not _alive(pid):
            return
        time.sleep(0.01)


@pytest.fixture(autouse=True)
def session(monkeypatch):
    runtime = tempfile.mkdtemp(prefix="quendel-clip-py-")
    os.chmod(runtime, 0o700)
    monkeypatch.setenv("XDG_RUNTIME_DIR", runtime)
    monkeypatch.delenv("QUENDEL_CLIPBOARD_DIR", raising=False)
    monkeypatch.delenv("DISPLAY", raising=False)
    monkeypatch.delenv("WAYLAND_DISPLAY", raising=False)
    yield runtime
    _kill_owner(runtime)
    shutil.rmtree(runtime, ignore_errors=True)


def plain_env():
    """The environment for outside programs (Xvfb, xclip): without the sanitizer runtime
    that the sanitizer build preloads into the interpreter."""
    env = os.environ.copy()
    env.pop("LD_PRELOAD", None)
    return env


def clipboard():
    return toolvane.CreateObject("TvFuncs0305.qndClipboard")


def run_script(code, **kwargs):
    """Runs code in another Python process with this test's environment."""
    return subprocess.run([sys.executable, "-c", "import toolvane\n" + code], env=os.environ.copy(),
                          capture_output=True, text=True, timeout=120, **kwargs)


def test_text_and_html_outlive_the_process_that_set_them():
    r = run_script("cb = toolvane.CreateObject('TvFuncs0305.qndClipboard')\n"
                   "assert cb.Clear() and cb.SetText('Привет, мир') and cb.SetHTML('<b>жирный</b>')\n")
    assert r.returncode == 0, r.stderr
    cb = clipboard()
    assert cb.GetText() == "Привет, мир"
    assert cb.GetHTML() == "<b>жирный</b>"
    assert cb.GetHTML(toolvane.ghrvContextStart) == "<HTML><BODY><!--StartFragment-->"
    assert list(cb.GetFormats()) == [CF_UNICODETEXT, CF_TEXT, 7, 16, cb.CF_HTML]


HAMMER = """
import sys
cb = toolvane.CreateObject('TvFuncs0305.qndClipboard')
me = sys.argv[1]
bad = reads = 0
for i in range(600):
    n = 50 + (i * 37) % 3000
    if i % 2:
        cb.SetText('%s%d:' % (me, n) + me * n)
    else:
        t = cb.GetText()
        if t:
            reads += 1
            head, _, body = t.partition(':')
            if len(body) != int(head[1:]) or body != head[0] * len(body):
                bad += 1
print(bad, reads)
"""


def test_two_processes_hammering_read_only_whole_values():
    procs = [subprocess.Popen([sys.executable, "-c", "import toolvane\n" + HAMMER, who], env=os.environ.copy(),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True) for who in "AB"]
    for p in procs:
        out, err = p.communicate(timeout=300)
        assert p.returncode == 0, err
        bad, reads = map(int, out.split())
        assert bad == 0
        assert reads > 0


def test_a_writer_killed_at_any_moment_never_blocks_the_next_one():
    writer = subprocess.Popen([sys.executable, "-c", "import toolvane\n"
                               "cb = toolvane.CreateObject('TvFuncs0305.qndClipboard')\n"
                               "print('go', flush=True)\n"
                               "while True: cb.SetText('x' * 100000)\n"],
                              env=os.environ.copy(), stdout=subprocess.PIPE, text=True)
    try:
        assert writer.stdout.readline().strip() == "go"
        writer.send_signal(signal.SIGKILL)
        writer.wait(timeout=60)
    finally:
        if writer.poll() is None:
            writer.kill()
        writer.stdout.close()
    cb = clipboard()
    assert cb.SetText("after the crash")
    assert cb.GetText() == "after the crash"


@pytest.mark.parametrize("data,error,result", [
    (b"StartFragment:0000000060\r\nEndFragment:0000009999\r\n<p>", None, ""),
    (b"StartFragment:0000000050\r\nEndFragment:0000009999\r\n<p>", None, "<p>"),
    (b"StartFragment:000000003x\r\nEndFragment:0000000040\r\n", 13, None),
    (b"StartFragment:9999999999\r\nEndFragment:9999999999\r\n", 6, None),
    (b"StartFragment:0000000040\r\nEndFragment:0000000020\r\n", 5, None),
    (b"EndFragment:0000000040\r\n", None, ""),
    (b"\x00" * 16, None, ""),
])
def test_malformed_html_headers(data, error, result):
    cb = clipboard()
    assert cb.SetRAWData(cb.CF_HTML, data)
    if error is None:
        assert cb.GetHTML() == result
    else:
        with pytest.raises(toolvane.Error) as e:
            cb.GetHTML()
        assert e.value.number == error
    assert cb.SetText("still usable") and cb.GetText() == "still usable"


def test_file_lists_from_a_collection_and_damaged_ones():
    cb = clipboard()
    names = ["/tmp/a b.txt", "/home/пользователь/файл.txt"]
    assert cb.SetShellFiles(toolvane.Collection(names))
    assert list(cb.GetShellFiles()) == names
    assert cb.SetShellFiles(toolvane.Collection(names), False)
    data = toolvane.ByRef(b"")
    size = toolvane.ByRef(0)
    assert cb.GetRAWData(CF_HDROP, data, size)
    assert data.value[16] == 0 and size.value == len(data.value)
    assert list(cb.GetShellFiles()) == names
    assert not cb.SetShellFiles(toolvane.Collection())
    beyond = bytes([200, 0, 0, 0]) + bytes(16) + b"a\x00\x00"
    assert cb.SetRAWData(CF_HDROP, beyond)
    with pytest.raises(toolvane.Error) as e:
        cb.GetShellFiles()
    assert e.value.number == 9
    assert cb.SetRAWData(CF_HDROP, bytes(19))
    assert cb.GetShellFiles() is None


def test_empty_and_64_mib_blocks():
    cb = clipboard()
    big = bytes(range(256)) * (64 * 1024 * 4)
    assert len(big) == 64 << 20
    fmt = cb.CF_HTML + 1
    assert cb.SetRAWData(fmt, big)
    data, size = toolvane.ByRef(b""), toolvane.ByRef(0)
    assert cb.GetRAWData(fmt, data, size)
    assert size.value == len(big) and data.value == big
    assert not cb.SetRAWData(fmt, b"")
    assert cb.SetHTML("x" * (64 << 20))
    assert len(cb.GetHTML()) == 64 << 20


# --- the desktop ---------------------------------------------------------------------

@pytest.fixture
def desktop(session, monkeypatch, xvfb):
    """A private X server; DISPLAY points at it until the test ends."""
    assert shutil.which("xclip"), "xclip is needed (scripts/install-deps test installs it)"
    monkeypatch.setenv("DISPLAY", xvfb(size="640x480").display)
    helpers = []
    yield helpers
    for p in helpers:
        if p.poll() is None:
            p.kill()
        p.wait()
    _kill_owner(session)


def xclip_out(target):
    r = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", target], capture_output=True, timeout=30,
                       env=plain_env())
    assert r.returncode == 0, r.stderr
    return r.stdout


def xclip_in(helpers, target, data):
    """xclip owning the clipboard in the foreground, so the test can end it."""
    p = subprocess.Popen(["xclip", "-quiet", "-i", "-selection", "clipboard", "-t", target],
                         stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=plain_env())
    helpers.append(p)
    p.stdin.write(data)
    p.stdin.close()
    for _ in range(1000):  # until it owns the selection
        r = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"], capture_output=True,
                           env=plain_env())
        if target.encode() in r.stdout:
            return p
        time.sleep(0.01)
    pytest.fail("xclip did not take the clipboard")


def test_desktop_programs_paste_what_an_ended_script_copied(desktop, session):
    r = run_script("cb = toolvane.CreateObject('TvFuncs0305.qndClipboard')\n"
                   "assert cb.Clear() and cb.SetText('Привет from Quendel')\n"
                   "assert cb.SetHTML('<b>Привет</b> <i>HTML</i>')\n")
    assert r.returncode == 0, r.stderr
    assert xclip_out("UTF8_STRING").decode() == "Привет from Quendel"
    assert xclip_out("text/html").decode() == "<b>Привет</b> <i>HTML</i>"
    targets = xclip_out("TARGETS").decode().splitlines()
    for t in ("UTF8_STRING", "text/plain;charset=utf-8", "text/html", "HTML Format"):
        assert t in targets


def test_desktop_reads_files_and_large_text_from_the_library(desktop):
    cb = clipboard()
    assert cb.Clear() and cb.SetShellFiles(toolvane.Collection(["/tmp/a b.txt", "/tmp/ж"]))
    assert xclip_out("text/uri-list") == b"file:///tmp/a%20b.txt\r\nfile:///tmp/%D0%B6\r\n"
    assert xclip_out("x-special/gnome-copied-files") == b"copy\nfile:///tmp/a%20b.txt\nfile:///tmp/%D0%B6"
    big = "".join(chr(0x410 + i % 32) for i in range(3 << 20))  # 6 MiB of UTF-8: sent in pieces
    assert cb.SetText(big)
    assert xclip_out("UTF8_STRING").decode() == big


def test_the_library_reads_what_desktop_programs_copied(desktop, session):
    xclip_in(desktop, "UTF8_STRING", "скопировано в xclip".encode())
    cb = clipboard()
    assert cb.GetText() == "скопировано в xclip"
    assert cb.IsFormatAvailable(CF_UNICODETEXT)
    xclip_in(desktop, "text/uri-list", b"# comment\r\nfile:///tmp/one%20file\r\nfile:///tmp/%D0%B4%D0%B2%D0%B0\r\n")
    assert list(cb.GetShellFiles()) == ["/tmp/one file", "/tmp/два"]
    xclip_in(desktop, "text/html", "<p>из браузера</p>".encode())
    assert cb.GetHTML() == "<p>из браузера</p>"


def test_the_owner_ends_when_another_program_takes_the_clipboard(desktop, session):
    assert clipboard().SetText("mine")
    with open(os.path.join(session, "quendel-clipboard", "owner.window")) as f:
        pid = int(f.read().split()[1])
    assert _alive(pid)
    xclip_in(desktop, "UTF8_STRING", b"theirs")
    for _ in range(1000):
        if not _alive(pid):
            break
        time.sleep(0.01)
    else:
        pytest.fail("the owner process is still running")
    assert clipboard().GetText() == "theirs"
    assert clipboard().SetText("mine again")
    assert xclip_out("UTF8_STRING") == b"mine again"
