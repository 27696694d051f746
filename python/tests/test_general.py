"""qndMain's general helpers and the benchmark timers, through late binding, with
Python objects standing in for a client's controls and forms."""

import re

import pytest

import toolvane


@pytest.fixture
def main():
    return toolvane.CreateObject("TvFuncs0305.qndMain")


# ---- Building, searching, joining ----

def test_building(main):
    assert main.ArrayLong(1, 2, 3) == [1, 2, 3]
    assert main.ArrayLong("7", "x", 2.5) == [7, 0, 2]
    assert main.ArrayString("a", 5, True) == ["a", "5", "True"]
    assert main.ArrayString() == []
    c = main.Collection("first", "second")
    assert c.Item("2") == "second" and len(c) == 2


@pytest.mark.parametrize("member,array,find,kwargs,index,found", [
    ("InArrayString", ["APPLE"], "apple", {}, -1, False),
    ("InArrayStringText", ["APPLE"], "apple", {}, 0, True),
    ("InArrayLong", [7, 5, 9, 5], 5, {}, 1, True),
    ("InArrayLong", [7, 5, 9, 5], 5, {"StartAt": 2}, 3, True),
    ("InArrayLong", [7, 5, 9, 5], 9, {"EndAt": 1}, -1, False),
])
def test_array_searches(main, member, array, find, kwargs, index, found):
    is_found = toolvane.ByRef(not found)
    assert getattr(main, member)(array, find, IsFound=is_found, **kwargs) == index
    assert is_found.value is found
    assert getattr(main, "Is" + member)(array, find, **kwargs) is found


def test_searches_raise_for_bad_bounds(main, error_number):
    assert error_number(lambda: main.InArrayLong([1, 2], 1, StartAt=-1)) == 9
    assert error_number(lambda: main.InCollection(toolvane.Collection(["a"]), "a", EndAt=2)) == 9
    assert main.InCollection(toolvane.Collection(), "a") == 0


def test_collection_searches(main):
    c = toolvane.Collection(["Apple", 3, "3", "apple"])
    assert main.InCollection(c, 3) == 2
    assert main.InCollectionString(c, "apple") == 4
    assert main.InCollectionStringText(c, "APPLE") == 1
    assert main.InCollectionStringText(c, "APPLE", 2) == 4
    assert main.IsInCollection(c, "pear") is False


def test_join_and_split(main, error_number):
    assert main.JoinCollection(toolvane.Collection(["a", "b", "c"]), ",") == "a,b,c"
    assert main.JoinCollection(toolvane.Collection(["a"]), ",") == "a"
    assert list(main.SplitCollection("one two  three")) == ["one", "two", "", "three"]
    assert list(main.SplitCollection("one two  three", Limit=2)) == ["one", "two  three"]
    assert list(main.SplitCollection("aXbxc", "x", -1, 1)) == ["a", "b", "c"]
    assert list(main.SplitCollection("a b", Limit=-5)) == []
    assert error_number(lambda: main.SplitCollection("a b", Limit=-5, RaiseErrors=True)) == 5


# ---- Python objects as controls and forms ----

class OptionButton:
    def __init__(self, value=False):
        self.Value = value
        self.Enabled = True


class ControlArray:
    """A control array: LBound, UBound and the elements by index, with gaps."""

    def __init__(self, items):
        self.items = dict(items)
        self.LBound = min(self.items)
        self.UBound = max(self.items)

    def __call__(self, index):
        if index not in self.items:
            raise toolvane.Error(340, "Control array element '%d' doesn't exist" % index)
        return self.items[index]


def test_option_groups(main):
    group = ControlArray({0: OptionButton(), 2: OptionButton(), 3: OptionButton()})
    assert main.GetSelectedOptionButtonIndex(group) == -1
    main.SetSelectedOptionButtonIndex(group, 3)
    assert group(3).Value is True
    assert main.GetSelectedOptionButtonIndex(group) == 3
    main.SetSelectedOptionButtonIndex(group, 1)  # a gap: the first button instead
    assert group(0).Value is True


def test_option_group_enabling_order(main):
    order = []

    class Tracked(OptionButton):
        def __init__(self, name, value=False):
            super().__init__(value)
            self.__dict__["name"] = name

        def __setattr__(self, attr, value):
            if attr == "Enabled" and "name" in self.__dict__:
                order.append((self.name, value))
            super().__setattr__(attr, value)

    group = ControlArray({1: Tracked("a"), 2: Tracked("b", True), 3: Tracked("c")})
    main.DisableOptionButtonGroup(group)
    assert order == [("a", False), ("c", False), ("b", False)]
    order.clear()
    main.EnableOptionButtonGroup(group)
    assert order == [("b", True), ("a", True), ("c", True)]


class CommandButton:
    def __init__(self, enabled=True):
        self.Enabled = enabled
        self.clicks = 0

    @property
    def Value(self):
        return False

    @Value.setter
    def Value(self, v):
        if v:
            self.clicks += 1


def test_press_button(main):
    enabled, disabled = CommandButton(), CommandButton(enabled=False)
    assert main.PressButton(enabled) is True and enabled.clicks == 1
    assert main.PressButton(disabled) is False and disabled.clicks == 0
    assert main.PressButton(OptionButton()) is False


class Form:
    def __init__(self, left=0.0, width=0.0, controls=()):
        self.Left = left
        self.Width = width
        self.Controls = list(controls)
        self.shown = []

    def Show(self, style=0):
        self.shown.append(style)


def test_show_modal_form(main):
    parent = Form(left=1200.0, width=4800.0)
    child = Form()
    seen = []
    child.Show = lambda style=0: seen.append((style, parent.Left))
    main.ShowModalForm(parent, child)
    assert seen == [(1, -5800.0)]
    assert parent.Left == 1200.0


class Font:
    """A client's own font object, read and written by member name."""

    def __init__(self):
        self.Name, self.Size, self.Bold, self.Italic = "Sans", 8, True, False
        self.Underline = self.Strikethrough = False
        self.Charset = 0


class Label:
    def __init__(self):
        self.Font = Font()


class ComboBox:
    def __init__(self, style):
        self.Style = style
        self.MousePointer = 0
        self.MouseIcon = None


def test_fix_fonts_and_cursors(main):
    label, combo_list, combo_edit = Label(), ComboBox(2), ComboBox(0)
    form = Form(controls=[label, combo_list, combo_edit, object()])
    main.FixFonts(form)
    assert (label.Font.Name, label.Font.Size, label.Font.Italic, label.Font.Bold, label.Font.Charset) == \
        ("Times New Roman", 10.5, True, False, 204)
    main.FixCBCursors(form)
    assert combo_list.MousePointer == 99 and combo_list.MouseIcon.Type == 3
    assert combo_edit.MousePointer == 0 and combo_edit.MouseIcon is None


# ---- Text-box insert hooks ----

class TextBox:
    def __init__(self, locked):
        self.Locked = locked


@pytest.mark.parametrize("locked,shift,swallowed", [
    (True, 1, True), (False, 1, False), (True, 3, False), (True, 0, False)])
def test_insert_hook_swallows_shift_insert_in_locked_boxes(main, locked, shift, swallowed):
    box = TextBox(locked)
    assert main.AddTextBoxInsertHook(box) is True
    try:
        key, state = toolvane.ByRef(45), toolvane.ByRef(shift)
        toolvane.RaiseEvent(box, "KeyDown", key, state)
        assert (key.value, state.value) == ((0, 0) if swallowed else (45, shift))
    finally:
        main.ClearTextBoxInsertHooks()


def test_insert_hook_bookkeeping(main, error_number):
    box = TextBox(True)
    assert main.AddTextBoxInsertHook(box) is True
    assert main.AddTextBoxInsertHook(box) is False
    assert main.RemoveTextBoxInsertHook(box) is True
    assert main.RemoveTextBoxInsertHook(box) is False
    key = toolvane.ByRef(45)
    toolvane.RaiseEvent(box, "KeyDown", key, toolvane.ByRef(1))
    assert key.value == 45  # no guard any more
    assert error_number(lambda: main.AddTextBoxInsertHook(None)) == 5
    assert error_number(lambda: main.AddTextBoxInsertHook(ComboBox(2))) == 13


# ---- Benchmark timers (no waiting: only forms and relations are checked) ----

def test_bench_mark_forms():
    b = toolvane.CreateObject("TvFuncs0305.qndBenchMark")
    b.FirstMark(False)
    b.LastMark()
    ms = b.GetTickDifferenceMS()
    assert ms >= 0 and b.GetTickDifferenceSec() == ms / 1000
    assert re.fullmatch(r"-?[0-9.]+ sec\.", b.toString())
    assert re.fullmatch(r"-?[0-9]+ ms\. / 10 \(-?[0-9]+ ms\.\)", b.toString(10, True, False))


def test_bench_mark_hp():
    b = toolvane.CreateObject("TvFuncs0305.qndBenchMarkHP")
    assert b.GetTickFrequencyPerSec() == 1e9
    assert b.GetTickFrequencyPerMS() == 1e6
    b.FirstMark(DoBeep=False)
    b.LastMark()
    assert b.GetTickDifference() >= 0
    assert b.GetTickDifferenceMS() == pytest.approx(b.GetTickDifference() / 1e6)
    assert re.fullmatch(r"[0-9.]+ sec\. / 3 \([0-9.]+ sec\.\)", b.toString(3))
