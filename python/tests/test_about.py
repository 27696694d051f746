"""The About box from Python: qndMain.ShowAboutBoxEx with named arguments in a script,
shown on a private X server and closed from outside as a user would close it."""

import ctypes
import os
import subprocess
import sys
import textwrap
import time

import pytest

import toolvane

CAPTION = "О программе"


class X11:
    """Just enough of the X protocol, through libxcb, to find a window and close it."""

    class _Screens(ctypes.Structure):
        _fields_ = [("data", ctypes.POINTER(ctypes.c_uint32)), ("rem", ctypes.c_int), ("index", ctypes.c_int)]

    class _Cookie(ctypes.Structure):
        _fields_ = [("sequence", ctypes.c_uint)]

    def __init__(self, display):
        self.xcb = ctypes.CDLL("libxcb.so.1")
        self.libc = ctypes.CDLL(None)
        x = self.xcb
        x.xcb_connect.restype = ctypes.c_void_p
        x.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
        x.xcb_get_setup.restype = ctypes.c_void_p
        x.xcb_get_setup.argtypes = [ctypes.c_void_p]
        x.xcb_setup_roots_iterator.restype = X11._Screens
        x.xcb_setup_roots_iterator.argtypes = [ctypes.c_void_p]
        for name, args in [("xcb_intern_atom", [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint16, ctypes.c_char_p]),
                           ("xcb_query_tree", [ctypes.c_void_p, ctypes.c_uint32]),
                           ("xcb_get_property", [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_uint32,
                                                 ctypes.c_uint32, ctypes.c_uint32, ctypes.c_uint32]),
                           ("xcb_send_event", [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_uint32,
                                               ctypes.c_char_p])]:
            getattr(x, name).restype = X11._Cookie
            getattr(x, name).argtypes = args
        for name in ("xcb_intern_atom_reply", "xcb_query_tree_reply", "xcb_get_property_reply"):
            getattr(x, name).restype = ctypes.c_void_p
            getattr(x, name).argtypes = [ctypes.c_void_p, X11._Cookie, ctypes.c_void_p]
        x.xcb_query_tree_children.restype = ctypes.POINTER(ctypes.c_uint32)
        x.xcb_query_tree_children.argtypes = [ctypes.c_void_p]
        x.xcb_query_tree_children_length.argtypes = [ctypes.c_void_p]
        x.xcb_get_property_value.restype = ctypes.c_void_p
        x.xcb_get_property_value.argtypes = [ctypes.c_void_p]
        x.xcb_get_property_value_length.argtypes = [ctypes.c_void_p]
        x.xcb_flush.argtypes = [ctypes.c_void_p]
        x.xcb_disconnect.argtypes = [ctypes.c_void_p]
        self.libc.free.argtypes = [ctypes.c_void_p]
        self.conn = x.xcb_connect(display.encode(), None)
        self.root = x.xcb_setup_roots_iterator(x.xcb_get_setup(self.conn)).data[0]

    def close(self):
        self.xcb.xcb_disconnect(self.conn)

    def atom(self, name):
        reply = self.xcb.xcb_intern_atom_reply(
            self.conn, self.xcb.xcb_intern_atom(self.conn, 0, len(name), name.encode()), None)
        value = ctypes.cast(reply, ctypes.POINTER(ctypes.c_uint32))[2]
        self.libc.free(reply)
        return value

    def title(self, window):
        reply = self.xcb.xcb_get_property_reply(
            self.conn, self.xcb.xcb_get_property(self.conn, 0, window, self.atom("_NET_WM_NAME"), 0, 0, 1024), None)
        if not reply:
            return ""
        size = self.xcb.xcb_get_property_value_length(reply)
        text = ctypes.string_at(self.xcb.xcb_get_property_value(reply), size).decode("utf-8", "replace")
        self.libc.free(reply)
        return text

    def windows(self):
        reply = self.xcb.xcb_query_tree_reply(self.conn, self.xcb.xcb_query_tree(self.conn, self.root), None)
        children = self.xcb.xcb_query_tree_children(reply)
        found = [children[i] for i in range(self.xcb.xcb_query_tree_children_length(reply))]
        self.libc.free(reply)
        return found

    def find(self, title, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for w in self.windows():
                if self.title(w) == title:
                    return w
            time.sleep(0.05)
        return None

    def ask_to_close(self, window):
        """WM_DELETE_WINDOW, as the window's close box sends it."""
        event = bytes([33, 32, 0, 0]) + window.to_bytes(4, "little") + \
            self.atom("WM_PROTOCOLS").to_bytes(4, "little") + \
            self.atom("WM_DELETE_WINDOW").to_bytes(4, "little") + bytes(16)
        self.xcb.xcb_send_event(self.conn, 0, window, 0, event)
        self.xcb.xcb_flush(self.conn)


SCRIPT = textwrap.dedent("""
    import toolvane
    main = toolvane.CreateObject("TvFuncs0305.qndMain")
    main.ShowAboutBoxEx("My tool", VerMajor=2, VerMinor=1, Description="Made in Python")
    print("closed", flush=True)
""")


def test_a_script_opens_the_about_box_and_returns_when_it_is_closed(xvfb, tmp_path):
    server = xvfb()
    env = dict(os.environ, DISPLAY=server.display, QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    script = tmp_path / "about.py"
    script.write_text(SCRIPT, encoding="utf-8")
    child = subprocess.Popen([sys.executable, str(script)], env=env, stdout=subprocess.PIPE, text=True)
    x = X11(server.display)
    try:
        window = x.find(CAPTION)
        assert window, "the About box did not show"
        time.sleep(0.3)
        assert child.poll() is None, "the call waits for the window"
        x.ask_to_close(window)
        out, _ = child.communicate(timeout=20)
        assert out == "closed\n"
        assert child.returncode == 0
    finally:
        x.close()
        if child.poll() is None:
            child.kill()
            child.wait()


@pytest.fixture
def no_display(monkeypatch):
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        monkeypatch.delenv(name, raising=False)


def test_without_a_display_the_members_return_at_once(no_display):
    main = toolvane.CreateObject("TvFuncs0305.qndMain")
    main.ShowAboutBoxEx("Quiet", VerMajor=3)
    main.ShowAboutBoxEx(Title="Quiet", AuthorEMail="")


class App:
    Title = "Scripted"
    Major = 2
    Minor = 0
    Revision = 1


class NoMajor:
    Title = "Broken"
    Minor = 0
    Revision = 0


@pytest.mark.parametrize("app,number", [(NoMajor(), 438), (None, 91)])
def test_application_object_errors_reach_the_script(no_display, error_number, app, number):
    main = toolvane.CreateObject("TvFuncs0305.qndMain")
    assert error_number(lambda: main.ShowAboutBox2(None, None, app)) == number
    assert error_number(lambda: main.ShowAboutBox(None, app)) == number


def test_a_good_application_object_is_read(no_display):
    main = toolvane.CreateObject("TvFuncs0305.qndMain")
    main.ShowAboutBox2(None, None, App(), Description="x")
