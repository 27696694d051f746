"""Tab pages, the default-button watcher and the list dialog, with Python objects as the
client's pages, buttons and text boxes."""

import pytest

import toolvane


class Frame:
    def __init__(self, name, log):
        self.name, self.log, self.Visible = name, log, False

    def ZOrder(self):
        self.log.append(self.name)


class ControlArray:
    def __init__(self, items):
        self.items = dict(items)
        self.LBound, self.UBound = min(self.items), max(self.items)

    def __call__(self, index):
        if index not in self.items:
            raise toolvane.Error(340, "Control array element doesn't exist")
        return self.items[index]


@pytest.fixture
def tabs():
    log = []
    frames = [Frame("fra%d" % i, log) for i in range(1, 4)]
    control = toolvane.CreateObject("TvFuncs0305.qndTabControl")
    shown = []
    cookie = toolvane.Advise(control, lambda name, *args: shown.append(args[0]) if name == "TabShown" else None)
    yield control, frames, log, shown
    toolvane.Unadvise(control, cookie)


def test_pages_wrap_around(tabs):
    control, frames, log, shown = tabs
    for f in frames:
        control.AddTab(f)
    assert shown == [1, 2, 3]
    control.PopNextTab()
    assert control.CurrentTab == 1
    control.PopPrevTab()
    assert control.CurrentTab == 3
    assert shown[-2:] == [1, 3]


def test_hide_other_tabs_and_restacking(tabs):
    control, frames, log, shown = tabs
    control.FillTabs(ControlArray({0: frames[0], 1: frames[1], 2: frames[2]}), True)
    assert [f.Visible for f in frames] == [False, False, True]
    log.clear()
    control.PopTab(1, PopOnlyThisTab=True, HideOtherTabs=True)
    assert log == ["fra1"]
    assert [f.Visible for f in frames] == [True, False, False]
    log.clear()
    control.ArrangeTabs()
    assert log == ["fra1", "fra2", "fra3", "fra1"]
    assert all(f.Visible for f in frames)


def test_tab_errors(tabs, error_number):
    control, frames, log, shown = tabs
    assert error_number(lambda: control.PopNextTab()) == 5
    assert error_number(lambda: control.AddTab(None)) == 380
    control.AddTab(frames[0])
    control.ClearTabs()
    assert control.CurrentTab == 1 and control.TabsCount == 0
    assert error_number(lambda: control.ArrangeTabs()) == 5
    assert error_number(lambda: control.FillTabs(ControlArray({0: frames[0], 2: frames[2]}))) == 340
    assert control.TabsCount == 1


class CommandButton:
    def __init__(self, name, log):
        self.name, self.log, self._default = name, log, False

    @property
    def Default(self):
        return self._default

    @Default.setter
    def Default(self, value):
        self._default = value
        self.log.append((self.name, value))


class TextBox:
    Locked = False


@pytest.mark.parametrize("with_global,with_local,got,lost", [
    (True, True, [("local", True)], [("local", False), ("global", True)]),
    (True, False, [], [("global", True)]),
    (False, True, [("local", True)], [("local", False)]),
])
def test_default_button_watcher(with_global, with_local, got, lost, error_number):
    log = []
    glob, local, box = CommandButton("global", log), CommandButton("local", log), TextBox()
    watcher = toolvane.CreateObject("TvFuncs0305.qndTextBoxDefButtonWatcher")
    watcher.Init(glob if with_global else None, local if with_local else None, box)
    toolvane.RaiseEvent(box, "GotFocus")
    assert log == got
    log.clear()
    toolvane.RaiseEvent(box, "LostFocus")
    assert log == lost
    assert error_number(lambda: watcher.Init(box, None, box)) == 13


def test_list_dialog_properties():
    d = toolvane.CreateObject("TvFuncs0305.qndSimpleListDialog")
    assert len(d.Elements) == 0 and d.ShowCountInCaption is True and d.Caption == ""
    assert (d.Font.Name, d.Font.Size, d.Font.Charset, d.Font.Weight) == ("Tahoma", 9, 204, 100)
    mine = toolvane.Collection(["a\tb"])
    d.Elements = mine
    mine.Add("c")
    assert len(d.Elements) == 2  # shared with the caller
    d.Elements = None
    assert len(d.Elements) == 0


def test_list_dialog_without_display_returns_at_once(monkeypatch):
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        monkeypatch.delenv(name, raising=False)
    d = toolvane.CreateObject("TvFuncs0305.qndSimpleListDialog")
    d.Elements = toolvane.Collection(["one", "two"])
    d.Caption = "Nothing to see"
    d.Show()
