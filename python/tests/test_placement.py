"""Window placement from Python: a tkinter window saves its placement through
qndQuendelSettings and a new window gets it back, on a private X server with the test
window manager (work area and frame) and without one."""

import ctypes
import ctypes.util
import struct
import time
import tkinter

import pytest

import toolvane
from conftest import Xvfb

APP = ("Quendel - Tk", 1, 0)
PLACEMENT = "<3I2i2i4i"  # length, flags, showCmd, min and max positions, normal rectangle
SW_SHOWNORMAL, SW_SHOWMINIMIZED = 1, 2

# The test window manager's work area and frame (left, right, top, bottom).
AREA = (0, 40, 1280, 984)
FRAME = (3, 5, 22, 4)


def x_parent(window):
    """The X window that holds window (Xlib's XQueryTree through ctypes)."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.POINTER(ctypes.c_ulong)] * 2 + [
        ctypes.POINTER(ctypes.c_void_p), ctypes.POINTER(ctypes.c_uint)]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    assert display
    root, parent, children, count = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p(), ctypes.c_uint()
    ok = x11.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent), ctypes.byref(children),
                        ctypes.byref(count))
    if children:
        x11.XFree(children)
    x11.XCloseDisplay(display)
    assert ok
    return parent.value


class TkForm:
    """What the library reads of a form: its top-level window and its Name. Tk's frame id
    (wm frame, unless a manager has reparented it) names the window inside Tk's wrapper;
    the wrapper is the top-level window that the manager and the library see."""

    def __init__(self, root, name="frmTk"):
        self.root = root
        self.Name = name

    @property
    def hWnd(self):
        return x_parent(int(self.root.wm_frame(), 16))


@pytest.fixture(scope="module")
def servers():
    """One private X server for each kind of desktop, kept for the module: Tk keeps its
    connection to a display name open until the interpreter ends."""
    started = {}
    yield started
    for server in started.values():
        server.stop()


@pytest.fixture(params=["manager", "none"])
def desktop(request, monkeypatch, servers, helper):
    """A private display, with the test window manager or without; yields its work area
    and frame (zeros without a manager)."""
    if request.param not in servers:
        servers[request.param] = Xvfb()
    monkeypatch.setenv("DISPLAY", servers[request.param].display)
    if request.param == "none":
        yield (0, 0, 1280, 1024), (0, 0, 0, 0)
        return
    wm = helper("platform_window_helper", "fake-wm", *map(str, AREA), "frame", *map(str, FRAME))
    assert wm.line() == "ready"
    yield AREA, FRAME


@pytest.fixture
def windows():
    """window(geometry): a Tk top level shown at that geometry; all destroyed after the test."""
    made = []

    def make(geometry):
        root = tkinter.Tk()
        made.append(root)
        root.geometry(geometry)
        root.update()
        settle(root, lambda: root.winfo_ismapped() and root.winfo_width() > 1)
        return root
    yield make
    for root in made:
        root.destroy()


def settle(root, done, seconds=5):
    """Runs Tk's events until done() holds (the window manager and the server act in their
    own time); returns done()."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        root.update()
        if done():
            return True
        time.sleep(0.01)
    return bool(done())


def geometry(root):
    return (root.winfo_rootx(), root.winfo_rooty(), root.winfo_width(), root.winfo_height())


def stored(settings, key, name="Placement"):
    data = settings.LoadSetting(key, name, toolvane.rtBinary, *APP)
    assert isinstance(data, bytes) and len(data) == 44
    return struct.unpack(PLACEMENT, data)


def test_a_tk_window_gets_its_placement_back(desktop, windows):
    (area_x, area_y, _, _), (left, right, top, bottom) = desktop
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    first = windows("300x200+40+60")
    saved = geometry(first)
    assert s.SaveFormPlacement(TkForm(first), "", "Placement", *APP)

    # Stored under the form's Name: the outer rectangle relative to the work area.
    length, _, show, *_, l, t, r, b = stored(s, "frmTk")
    assert (length, show) == (44, SW_SHOWNORMAL)
    x, y, w, h = saved
    assert (l, t, r, b) == (x - left - area_x, y - top - area_y, x - left - area_x + w + left + right,
                            y - top - area_y + h + top + bottom)

    second = windows("120x90+500+400")
    assert geometry(second) != saved
    assert s.LoadFormPlacement(TkForm(second), "", "Placement", *APP)
    assert settle(second, lambda: geometry(second) == saved), geometry(second)
    # Tk took the new geometry as its own: it keeps it through its next layout pass.
    second.update_idletasks()
    assert geometry(second) == saved and second.state() == "normal"


@pytest.mark.parametrize("fixed_width,fixed_height", [(250, 0), (0, 150), (250, 150)])
def test_a_fixed_size_keeps_the_saved_position(desktop, windows, fixed_width, fixed_height):
    _, (left, right, top, bottom) = desktop
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    first = windows("300x200+70+80")
    saved = geometry(first)
    assert s.SaveFormPlacement(TkForm(first, "frmFixed"), "Fixed", "Placement", *APP)
    second = windows("100x100+600+500")
    assert s.LoadFormPlacementPx(TkForm(second, "other"), "Fixed", "Placement", *APP, False, fixed_width, fixed_height)
    # The fixed sizes are of the outer rectangle, frame included.
    want = (saved[0], saved[1],
            fixed_width - left - right if fixed_width else saved[2],
            fixed_height - top - bottom if fixed_height else saved[3])
    assert settle(second, lambda: geometry(second) == want), (geometry(second), want)


def test_set_minimized_shows_the_window_minimized(desktop, windows):
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    first = windows("220x140+90+100")
    assert s.SaveFormPlacement(TkForm(first), "Min", "Placement", *APP)
    second = windows("120x90+500+400")
    assert s.LoadFormPlacement(TkForm(second), "Min", "Placement", *APP, SetMinimized=True)
    assert settle(second, lambda: second.state() == "iconic"), second.state()
    # Minimized, it still reports the rectangle it is to get back.
    assert s.SaveFormPlacement(TkForm(second), "Min", "Again", *APP)
    assert stored(s, "Min", "Again")[2] == SW_SHOWMINIMIZED
    assert stored(s, "Min", "Again")[-4:] == stored(s, "Min")[-4:]


def test_a_damaged_value_changes_nothing(desktop, windows):
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    root = windows("160x120+30+40")
    before = geometry(root)
    good = struct.pack(PLACEMENT, 44, 0, SW_SHOWNORMAL, -1, -1, -1, -1, 400, 300, 700, 500)
    for name, value in [("short", good[:43]), ("long", good + b"\0"), ("length", b"\x2b" + good[1:])]:
        assert s.SaveSetting("Bad", name, toolvane.rtBinary, value, *APP)
        assert s.LoadFormPlacementPx(TkForm(root), "Bad", name, *APP) is False
    assert not settle(root, lambda: geometry(root) != before, seconds=0.3)
