"""Registry access, the settings store, fonts, proxy settings and autorun from Python."""

import glob
import os
import shutil
import tempfile

import pytest

import toolvane

HKCU = toolvane.HKEY_CURRENT_USER
HKLM = toolvane.HKEY_LOCAL_MACHINE


@pytest.fixture(autouse=True)
def private_folders(monkeypatch):
    folder = tempfile.mkdtemp(prefix="quendel-py-settings-")
    monkeypatch.setenv("QUENDEL_REGISTRY_DIR", os.path.join(folder, "registry"))
    monkeypatch.setenv("XDG_CONFIG_HOME", os.path.join(folder, "config"))
    monkeypatch.setenv("QUENDEL_XDG_AUTOSTART_SYSTEM_DIR", os.path.join(folder, "system-autostart"))
    yield folder
    shutil.rmtree(folder, ignore_errors=True)


class App:
    """A client's application object: the library reads these attributes by name."""

    def __init__(self, title, major, minor):
        self.Title = title
        self.Major = major
        self.Minor = minor


class Proxy:
    def __init__(self, **values):
        self.HTTP_AccessType = 0
        self.HTTP_Address = ""
        self.HTTP_BypassList = ""
        self.HTTP_BypassLocal = False
        self.HTTP_UserName = ""
        self.HTTP_Password = ""
        for name, value in values.items():
            setattr(self, name, value)


@pytest.mark.parametrize("value_type,value,expected", [
    (toolvane.rtString, "h\u00e9llo \"100%\"", "h\u00e9llo \"100%\""),
    (toolvane.rtLong, 123456, 123456),
    (toolvane.rtLong, toolvane.Integer(-5), -5),
    (toolvane.rtBinary, b"\x00\x01\xff", b"\x00\x01\xff"),
    (toolvane.rtBoolean, True, True),
    (toolvane.rtBoolean, False, False),
])
def test_registry_round_trip(value_type, value, expected):
    reg = toolvane.CreateObject("TvFuncs0305.qndRegistry")
    existed = toolvane.ByRef(True)
    assert reg.SetValue(HKCU, "Software\\Py", "v", value_type, value, existed)
    assert existed.value is False
    ok = toolvane.ByRef(False)
    assert reg.GetValue(HKCU, "Software\\Py", "v", value_type, ok) == expected
    assert ok.value is True
    assert reg.LastRegError == 0


def test_registry_failures_and_lists():
    reg = toolvane.CreateObject("TvFuncs0305.qndRegistry")
    ok = toolvane.ByRef(True)
    assert reg.GetValue(HKCU, "Software\\Nope", "v", toolvane.rtLong, ok) == 0
    assert ok.value is False and reg.LastRegError == 2
    assert reg.GetValue(HKCU, "Software\\Nope", ValueType=toolvane.rtBinary) is toolvane.Unallocated
    assert reg.GetValue(HKCU, "Software\\Nope", "", 7, ok) is toolvane.Empty
    assert reg.SetValue(HKCU, "Software\\Py", "v", toolvane.rtLong, 5.5) is False
    assert reg.GetSubKeysNames(HKCU, "Software\\Nope") is None
    for name in ("b", "a", "\u0436"):
        assert reg.CreateKey(HKCU, "Software\\Py\\" + name)
    assert sorted(reg.GetSubKeysNames(HKCU, "Software\\Py")) == ["a", "b", "\u0436"]
    assert reg.DeleteKey(HKCU, "Software\\Py") is False
    assert reg.DeleteKeyRecurse(HKCU, "Software\\Py")
    assert not reg.IsKeyExist(HKCU, "Software\\Py")
    assert reg.SetValue(HKCU, "Software\\" + "k" * 256, "v") is False
    assert reg.LastRegError == 87


def test_settings_with_a_python_application_object():
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    old, new = App("Quendel - Py", 1, 0), App("Quendel - Py", 1, 2)
    assert s.GetSettingPath2(new, "Main") == "Software\\Kestrane\\Quendel\\Quendel - Py\\Version 1.2\\Main"
    assert s.SaveSetting2("Main", "LastFile", toolvane.rtString, "a.png", old)
    ok = toolvane.ByRef(False)
    assert s.LoadSetting2("Main", "LastFile", toolvane.rtString, new, Success=ok) == "a.png"  # earlier version
    assert ok.value is True
    assert s.LoadSetting2("Main", "Missing", toolvane.rtLong, new, 42, True, ok) == 42
    assert ok.value is False
    assert s.LoadSetting("Main", "LastFile", AppTitle="Quendel - Py", VerMajor=1, VerMinor=0) == "a.png"
    assert s.LoadSetting("Main", "LastFile", AppTitle="Quendel - Py", VerMajor=0, VerMinor=9, Success=ok) == ""
    assert ok.value is False
    with pytest.raises(toolvane.Error) as e:
        s.LoadSetting2("Main", "LastFile", toolvane.rtString)
    assert e.value.number == 91


def test_machine_settings_are_apart():
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    app = App("Quendel - Py", 2, 0)
    assert s.SaveSetting2("", "Shared", toolvane.rtLong, 7, app, False)
    assert s.LoadSetting2("", "Shared", toolvane.rtLong, app, -1, True) == -1
    assert s.LoadSetting2("", "Shared", toolvane.rtLong, app, -1, False) == 7


def test_fonts():
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    app = App("Quendel - Py", 1, 0)
    font = toolvane.StdFont(Name="Serif \u0416", Size=8.25, Italic=True, Weight=700, Charset=204)
    assert s.SaveFont2("Main font", font, app)
    assert s.LoadSetting2("Main font", "Size", toolvane.rtLong, app) == 8
    assert s.LoadSetting2("Main font", "Size2", toolvane.rtLong, app) == 8250
    loaded = s.LoadFont2("Main font", app)
    assert loaded.Name == "Serif \u0416" and loaded.Size == 8.25
    assert loaded.Italic and loaded.Bold and not loaded.Underline and loaded.Charset == 204
    default = toolvane.StdFont(Name="Mono", Size=12)
    partial = s.LoadFont2("Nothing stored", app, default)
    assert partial.Name == "Mono" and partial.Size == 12
    assert s.SaveFont2("Main font", None, app) is False


def test_proxy_settings_round_trip():
    s = toolvane.CreateObject("TvFuncs0305.qndQuendelSettings")
    app = App("Quendel - Py", 3, 1)
    saved = Proxy(HTTP_AccessType=3, HTTP_Address="proxy:8080", HTTP_BypassList="*.lan",
                  HTTP_BypassLocal=True, HTTP_UserName="me", HTTP_Password="p\u00e4ss w0rd")
    assert s.SaveProxySettings2(saved, "HTTP Proxy", app)
    reg = toolvane.CreateObject("TvFuncs0305.qndRegistry")
    scrambled = reg.GetValue(HKCU, s.GetSettingPath2(app, "HTTP Proxy"), "Password")
    assert len(scrambled) == 4 * 10 and "w0rd" not in scrambled
    loaded = Proxy()
    assert s.LoadProxySettings2(loaded, AppObject=app)
    assert vars(loaded) == vars(saved)
    assert s.LoadProxySettings2(Proxy(), "Elsewhere", app) is False


def test_autorun(private_folders):
    autorun = toolvane.CreateObject("TvFuncs0305.qndAutorunSupport")
    assert autorun.ForCurrentUserOnly is True
    assert autorun.AddToAutorun("{PY-APP}", '"/opt/py app/run" --tray')
    assert autorun.IsInAutorun("{py-app}")
    assert autorun.GetAutorunString("{PY-APP}") == '"/opt/py app/run" --tray'
    entries = glob.glob(os.path.join(private_folders, "config", "autostart", "*.desktop"))
    assert len(entries) == 1
    with open(entries[0], encoding="utf-8") as f:
        assert 'Exec="/opt/py app/run" --tray\n' in f.read()
    assert autorun.DeleteFromAutorun("{PY-APP}")
    assert not autorun.IsInAutorun("{PY-APP}")
    assert glob.glob(os.path.join(private_folders, "config", "autostart", "*.desktop")) == []
    assert autorun.AddToAutorun("") is False

    autorun.ForCurrentUserOnly = False
    try:
        assert autorun.AddToAutorun("machine", "/bin/true")
        assert len(glob.glob(os.path.join(private_folders, "system-autostart", "*.desktop"))) == 1
        assert autorun.DeleteFromAutorun("machine")
    finally:
        autorun.ForCurrentUserOnly = True
