"""qndAlone from Python: detection, marking and activating a first instance that runs
as another process (the C++ helper program), under private X servers."""

import gc
import os
import shutil
import signal
import tempfile

import pytest

import toolvane

GUID = "{6A0C2F11-7777-4E1E-9C9C-5E5E5E5E5E5E}"


@pytest.fixture(autouse=True)
def private_mutexes(monkeypatch):
    base = tempfile.mkdtemp(prefix="quendel-py-alone-")
    folder = os.path.join(base, "ns")
    os.mkdir(folder)
    os.chmod(folder, 0o1777)
    monkeypatch.setenv("QUENDEL_MUTEX_DIR", folder)
    yield folder
    shutil.rmtree(base, ignore_errors=True)


@pytest.fixture
def display(module_xvfb, monkeypatch):
    monkeypatch.setenv("DISPLAY", module_xvfb.display)
    return module_xvfb.display


def first_instance(start_helper, state, method, handler):
    helper = start_helper("toolvane_instance_helper", "first", GUID, state, str(method), handler)
    alone, window = helper.line().split()
    return helper, alone == "1", int(window)


def test_only_the_first_object_is_alone(monkeypatch):
    monkeypatch.delenv("DISPLAY", raising=False)
    first = toolvane.CreateObject("TvFuncs0305.qndAlone")
    second = toolvane.CreateObject("TvFuncs0305.qndAlone")
    assert first.AppGUID == ""
    assert first.IsAlone(GUID) is True
    assert second.IsAlone(AppGUID=GUID) is False
    assert second.AppGUID == GUID
    assert second.WM_ACTIVATE_PREV_INSTANCE == 0  # no display
    del first
    gc.collect()
    assert second.IsAlone(GUID) is True  # the first claim ended with its object


@pytest.mark.parametrize("state,method,handler,expected", [
    ("shown", toolvane.amNormal, "none", True),
    ("hidden", toolvane.amNormal, "none", False),
    ("hidden-minimized", toolvane.amNormalWithMinimizeToTrayHook, "none", True),
    ("shown", toolvane.amViaMessage, "1", True),
    ("shown", toolvane.amViaMessage, "0", False),
])
def test_second_instance_brings_the_first_forward(display, helper, state, method, handler, expected):
    helper, first_alone, window = first_instance(helper, state, method, handler)
    try:
        assert first_alone and window
        me = toolvane.CreateObject("TvFuncs0305.qndAlone")
        assert me.WM_ACTIVATE_PREV_INSTANCE >= 0xC000
        assert me.IsAlone(GUID) is False
        assert me.ActivatePrevInstanceWindow() is expected
        if method == toolvane.amViaMessage:
            assert helper.line() == "activated"
    finally:
        helper.stop()


def test_hung_first_instance_is_given_up(display, helper, monkeypatch):
    monkeypatch.setenv("QUENDEL_SENDMESSAGE_TIMEOUT_MS", "200")
    helper, _, window = first_instance(helper, "shown", toolvane.amViaMessage, "silent")
    try:
        me = toolvane.CreateObject("TvFuncs0305.qndAlone")
        assert me.ActivatePrevInstanceWindowEx(GUID) is False
    finally:
        helper.stop()


def test_marking_a_window(display, helper):
    window_helper = helper("platform_window_helper", "window", "shown", "none")
    try:
        hwnd = int(window_helper.line())
        me = toolvane.CreateObject("TvFuncs0305.qndAlone")
        assert me.MarkPrevInstanceWindow(hwnd, toolvane.amNormal) is False  # no identifier yet
        me.IsAloneOnDesktop("{py-marking}")
        assert me.MarkPrevInstanceWindow(hwnd, 72) is False
        assert me.MarkPrevInstanceWindow(hwnd, toolvane.amNormal) is True
        other = toolvane.CreateObject("TvFuncs0305.qndAlone")
        assert other.ActivatePrevInstanceWindowEx("{py-marking}") is True
        assert me.UnMarkPrevInstanceWindow(hwnd) is True
        assert other.ActivatePrevInstanceWindowEx("{py-marking}") is False
    finally:
        window_helper.stop()


def test_killed_first_instance_releases_its_claim(display, helper):
    helper = helper("toolvane_instance_helper", "hold", "plain", GUID)
    try:
        assert helper.line() == "1"
        me = toolvane.CreateObject("TvFuncs0305.qndAlone")
        assert me.IsAlone(GUID) is False
    finally:
        helper.stop(signal.SIGKILL)
    assert me.IsAlone(GUID) is True


def test_each_display_is_its_own_desktop(display, helper, xvfb, monkeypatch):
    helper = helper("toolvane_instance_helper", "hold", "desktop", GUID)
    other = xvfb()
    try:
        assert helper.line() == "1"
        assert toolvane.CreateObject("TvFuncs0305.qndAlone").IsAloneOnDesktop(GUID) is False
        monkeypatch.setenv("DISPLAY", other.display)
        assert toolvane.CreateObject("TvFuncs0305.qndAlone").IsAloneOnDesktop(GUID) is True
    finally:
        helper.stop()
        other.stop()
