"""qndErr from Python: error texts in both languages, the HTTP and FTP objects as plain
Python objects, the display members and the timed box without and with a display."""

import os
import subprocess
import sys

import pytest

import toolvane

CRLF = "\r\n"


@pytest.fixture
def err():
    return toolvane.CreateObject("TvFuncs0305.qndErr")


@pytest.fixture
def english(monkeypatch):
    monkeypatch.setenv("LC_ALL", "en_US.UTF-8")


@pytest.fixture
def no_display(monkeypatch):
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        monkeypatch.delenv(name, raising=False)


class HttpRequest:
    def __init__(self, LastRC=0, ResponseCode=0, ResponseText="", ErrorCode=0, ErrorText=""):
        self.LastRC = LastRC
        self.ResponseCode = ResponseCode
        self.ResponseText = ResponseText
        self.ErrorCode = ErrorCode
        self.ErrorText = ErrorText


class FtpClient:
    def __init__(self, LastRC=0, ErrorCode=0, ErrorText=""):
        self.LastRC = LastRC
        self.ErrorCode = ErrorCode
        self.ErrorText = ErrorText


@pytest.mark.parametrize("locale,obj,text", [
    ("en_US.UTF-8", HttpRequest(8, 404, "Not Found"),
     "InternetReadFile() failed." + CRLF + CRLF + "HTTP response: 404, Not Found."),
    ("ru_RU.UTF-8", HttpRequest(8, 404, "Not Found"),
     "Ошибка функции InternetReadFile()." + CRLF + CRLF + "HTTP response: 404, Not Found."),
    ("uk_UA.UTF-8", HttpRequest(9), "Operation canceled."),
    ("ru_RU.UTF-8", HttpRequest(9), "Операция была отменена."),
    ("en_US.UTF-8", HttpRequest(99), ""),
    ("en_US.UTF-8", HttpRequest(0, 0, "", 12002, "The operation timed out"),
     "Operation completed successfully." + CRLF + CRLF + "WinInet error: 12002" + CRLF +
     "Description:   The operation timed out"),
    ("ru_RU.UTF-8", HttpRequest(11, 407, "", 0, ""),
     "Ошибка функции InternetSetOption(). Не удалось установить пароль прокси-сервера." + CRLF + CRLF +
     "HTTP response: 407"),
    ("ru_RU.UTF-8", FtpClient(4), "Соединение ещё не установлено."),
    ("en_US.UTF-8", FtpClient(4), "Connection was not established yet."),
    ("en_US.UTF-8", FtpClient(14, 12003, "Extended error"),
     "FtpDeleteFile() failed." + CRLF + CRLF + "WinInet error: 12003" + CRLF + "Description:   Extended error"),
    ("en_US.UTF-8", FtpClient(99), ""),
])
def test_network_objects_as_python_objects(err, monkeypatch, locale, obj, text):
    monkeypatch.setenv("LC_ALL", locale)
    if isinstance(obj, HttpRequest):
        assert err.GetErrorMessageHTTPRequest(obj) == text
    else:
        assert err.GetErrorMessageFTPClient(obj) == text


def test_network_object_nothing_and_missing_members(err, english):
    assert err.GetErrorMessageHTTPRequest(None) == ""
    assert err.GetErrorMessageFTPClient(None) == ""
    assert err.ErrorDisplayHTTPRequest(None) == 0
    assert err.ErrorDisplayFTPClient(None, 16, "T") == 0


def test_network_object_missing_member(err, english):
    class Partial:
        LastRC = 1

    with pytest.raises(toolvane.Error) as e:
        err.GetErrorMessageFTPClient(Partial())
    assert e.value.number == 438
    with pytest.raises(toolvane.Error) as e:
        err.ShowErrorBox("x", 1, "T", -2)
    assert e.value.number == 340


def test_an_exception_raised_in_a_python_member_reaches_the_caller(err, english):
    class Broken:
        @property
        def LastRC(self):
            raise ValueError("line dropped")

    with pytest.raises(toolvane.Error) as e:
        err.GetErrorMessageFTPClient(Broken())
    assert (e.value.number, e.value.description) == (440, "line dropped")


@pytest.mark.parametrize("call,args,text", [
    ("GetErrorMessageAPI", (0,), "Unknown Win32 API error."),
    ("GetErrorMessageAPI", (2,), "Win32 API error: 2" + CRLF + "Description: The system cannot find the file specified."),
    ("GetErrorMessageAPI", (1168,), "Win32 API error: 1168" + CRLF + "Description: Element not found."),
    ("GetErrorMessageWinMM", (0,), "Unknown WinMM.DLL error."),
    ("GetErrorMessageWinMM", (11,), "WinMM.DLL error: 11" + CRLF + "Description: An invalid parameter was passed to a system function."),
    ("GetErrorMessageModule", (0, "wininet.dll"), "Unknown wininet.dll error."),
    ("GetErrorMessageModule", (12002, "wininet.dll"), "wininet.dll error: 12002"),
])
def test_number_texts(err, call, args, text):
    assert getattr(err, call)(*args) == text


def test_silent_display_returns_ok(err, english):
    assert err.ErrorDisplay(toolvane.ErrObject(5, "D", "S", "help.html", 1), Silent=True) == 1
    assert err.ErrorDisplayAPI(5, 4, "T", "Why", True) == 1
    assert err.ErrorDisplayHTTPRequest(HttpRequest(8), Silent=True) == 1


def test_boxes_without_display_answer_at_once(err, english, no_display, capfd):
    assert err.ShowErrorBox("Disk full", 4 + 48, "Backup") == 6
    assert err.ShowErrorBox("Disk full", 2, "Backup", DefaultButtonIndex=2) == 5
    assert err.ErrorDisplayFTPClient(FtpClient(3), 1, "FTP", "Upload failed.") == 1
    written = capfd.readouterr().err
    assert "Backup\nDisk full\nButtons: [Yes] No\nNo display: answered Yes.\n" in written
    assert "Buttons: Abort Retry [Ignore]\n" in written
    assert "FTP\nUpload failed.\n\nConnection was already established.\nButtons: [OK] Cancel\n" in written


def test_console_client_never_loads_qt(no_display):
    # A fresh interpreter, so that nothing else in this test run has loaded the toolkit.
    code = (
        "import toolvane\n"
        "err = toolvane.CreateObject('TvFuncs0305.qndErr')\n"
        "err.GetErrorMessage(toolvane.ErrObject(53))\n"
        "err.ShowErrorBox('x', 4, 'T')\n"
        "maps = open('/proc/self/maps').read()\n"
        "print('Qt' if ('libQt' in maps or 'toolvane0305ui' in maps) else 'clean')\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=os.environ, timeout=120)
    assert out.stdout.strip() == "clean", out.stderr


def test_timed_box_on_a_display_counts_down(err, english, xvfb):
    server = xvfb(size="1024x768")
    # In a fresh interpreter: the box loads the toolkit, makes the application object
    # and closes itself after the one-second count-down with the default button.
    env = dict(os.environ, DISPLAY=server.display, QT_QPA_PLATFORM="xcb")
    code = (
        "import toolvane\n"
        "err = toolvane.CreateObject('TvFuncs0305.qndErr')\n"
        "print(err.ShowErrorBox('Counting', 3, 'T', 1, -1, 1))\n"
        "maps = open('/proc/self/maps').read()\n"
        "print('Qt' if 'libQt6Widgets' in maps else 'clean')\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=env, timeout=120)
    assert out.stdout.split() == ["7", "Qt"], out.stderr
