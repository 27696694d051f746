"""qndMultiMonitor from Python: two RandR monitors on a private X server, and the
single-screen fall-back without RandR or without a display."""

import pytest

import toolvane


def device(monitor):
    return None if monitor is None else monitor.DeviceName


@pytest.fixture
def two_monitors(monkeypatch, xvfb, helper):
    x = xvfb("+extension", "RANDR")
    monkeypatch.setenv("DISPLAY", x.display)
    setter = helper("platform_window_helper", "set-monitors", "LEFT:0,0,640,1024:primary", "RIGHT:640,0,640,1024")
    assert setter.line() == "ok"
    setter.stop()
    return x


def test_two_monitors(two_monitors):
    mm = toolvane.CreateObject("TvFuncs0305.qndMultiMonitor")
    monitors = mm.GetAllMonitors()
    assert [m.DeviceName for m in monitors] == ["LEFT", "RIGHT"]
    left, right = monitors
    assert left.Primary and left.Flags == 1 and not right.Primary
    assert (right.MonitorLeft, right.MonitorTop, right.MonitorWidth, right.MonitorHeight) == (640, 0, 640, 1024)
    assert (right.WorkAreaRight, right.WorkAreaBottom) == (1280, 1024)

    assert device(mm.MonitorFromPoint(10, 10, toolvane.mffDefaultToNull)) == "LEFT"
    assert device(mm.MonitorFromPoint(1000, 10, toolvane.mffDefaultToNull)) == "RIGHT"
    assert device(mm.MonitorFromPoint(-50, 10, toolvane.mffDefaultToNull)) is None
    assert device(mm.MonitorFromPoint(9000, 10, toolvane.mffDefaultToPrimary)) == "LEFT"
    assert device(mm.MonitorFromPoint(9000, 10, toolvane.mffDefaultToNearest)) == "RIGHT"
    for left_edge in (-300, 500, 630, 5000):
        assert device(mm.MonitorFromNewRect(left_edge, 0, 100, 100, toolvane.mffDefaultToNearest)) == \
            device(mm.MonitorFromRect(left_edge, 0, left_edge + 100, 100, toolvane.mffDefaultToNearest))
    with pytest.raises(toolvane.Error) as e:
        mm.MonitorFromNewRect(0, 2**31 - 10, 10, 20, toolvane.mffDefaultToNull)
    assert e.value.number == 6


@pytest.mark.parametrize("with_display", [False, True])
def test_single_screen_fall_back(monkeypatch, xvfb, with_display):
    x = xvfb("-extension", "RANDR") if with_display else None
    if x:
        monkeypatch.setenv("DISPLAY", x.display)
    else:
        monkeypatch.delenv("DISPLAY", raising=False)
    mm = toolvane.CreateObject("TvFuncs0305.qndMultiMonitor")
    monitors = mm.GetAllMonitors()
    assert len(monitors) == 1
    for m in (monitors.Item(1), mm.MonitorFromPoint(-99999, -99999, toolvane.mffDefaultToNull),
              mm.MonitorFromRect(5000, 5000, 5001, 5001, toolvane.mffDefaultToNull),
              mm.MonitorFromWindow(0, toolvane.mffDefaultToNull)):
        assert (m.DeviceName, m.Primary, m.Flags) == ("DISPLAY", True, 1)
    if x:
        assert (m.MonitorWidth, m.MonitorHeight) == (1280, 1024)
