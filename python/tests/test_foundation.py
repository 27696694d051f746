"""The toolvane module: activation, late binding, values, errors and events."""

import os
import subprocess

import pytest

import toolvane


def parser_for(line, dummy=toolvane.Missing):
    parser = toolvane.CreateObject("TvFuncs0305.qndMain").CommandLine
    parser.SetNewCommandLine(line, dummy)
    return parser


@pytest.mark.parametrize("line,items", [
    ('3p "a b.png" c.png', ["3p", "a b.png", "c.png"]),
    ('"ab"cd', ["ab", "cd"]),
    ('a   b', ["a", "b"]),
    ('x""', ['x""']),
    ('"open', ["open"]),
    ("", []),
])
def test_command_line_from_python(line, items):
    parser = parser_for(line)
    assert parser.Count == len(items)
    assert [parser.Item(i) for i in range(parser.Count)] == items
    assert [parser(i) for i in range(parser.Count)] == items  # Item is the default member
    assert parser.Item(-1).endswith("python3") or "python" in parser.Item(-1)


def test_keywords_are_parameter_names_in_any_case():
    parser = toolvane.CreateObject("TvFuncs0305.qndMain").CommandLine
    parser.SetNewCommandLine(newcommandline="prog a", ADDDUMMYEXEMODULENAME=False)
    assert parser.Count == 1 and parser.Item(-1) == "prog"


def test_errors_carry_number_and_text():
    parser = parser_for("a")
    with pytest.raises(toolvane.Error) as e:
        parser.Item(-2)
    assert e.value.number == 9
    assert e.value.description == "Subscript out of range"
    with pytest.raises(toolvane.Error) as e:
        parser.NoSuchMember
    assert e.value.number == 438
    with pytest.raises(toolvane.Error) as e:
        parser.SetNewCommandLine()
    assert e.value.number == 449


@pytest.mark.parametrize("name,number", [
    ("TvFuncs0305.NoSuchClass", -2147221164),          # REGDB_E_CLASSNOTREG
    ("{00000000-0000-0000-0000-00000000ABCD}", -2147221164),
    ("{not-a-guid}", -2147221005),                     # CO_E_CLASSSTRING
])
def test_unknown_classes(name, number):
    with pytest.raises(toolvane.Error) as e:
        toolvane.CreateObject(name)
    assert e.value.number == number


def test_error_text_from_error_objects():
    err = toolvane.CreateObject("TvFuncs0305.qndErr")
    text = err.GetErrorMessage(toolvane.ErrObject(5, "D", "S"))
    assert text == "Error number: 5\r\nDescription:  D\r\n\r\nSource:       S"
    assert err.GetErrorMessage(toolvane.ErrObject()) == "Unknown run-time error."

    class PyErr:  # any object with the five members will do
        Number = -2147221504
        Description = "Can't load bitmap file. Unknown image format"
        Source = ""
        HelpFile = ""
        HelpContext = 0
    assert err.GetErrorMessage(PyErr()) == (
        "Error number: -2147221504 (0x80040000)\r\n"
        "Description:  Can't load bitmap file. Unknown image format")
    with pytest.raises(toolvane.Error) as e:
        err.GetErrorMessage(None)
    assert e.value.number == 91


def test_values_round_trip_through_a_collection():
    values = [5, 2**40, 1.5, "текст", True, b"\x00\xff", None, [1, "a"],
              toolvane.Empty, toolvane.Null, toolvane.Unallocated]
    c = toolvane.Collection(values)
    assert len(c) == len(values)
    back = list(c)
    assert back[0] == 5 and back[1] == float(2**40) and back[2] == 1.5
    assert back[3] == "текст" and back[4] is True and back[5] == b"\x00\xff"
    assert back[6] is None and back[7] == [1, "a"]
    assert back[8] is toolvane.Empty and back[9] is toolvane.Null and back[10] is toolvane.Unallocated
    assert [toolvane.TypeName(v) for v in (toolvane.Integer(1), toolvane.Long(1), toolvane.Byte(1),
                                           toolvane.Single(1), toolvane.Currency(1.5), 2**40, b"")] == [
        "Integer", "Long", "Byte", "Single", "Currency", "Double", "Byte()"]
    with pytest.raises(toolvane.Error) as e:
        toolvane.Byte(256) and toolvane.TypeName(toolvane.Byte(256))
    assert e.value.number == 6


def test_collection_keys_and_errors():
    c = toolvane.Collection()
    c.Add("v", "Key")
    assert c.Item("KEY") == "v" and c["key"] == "v"
    with pytest.raises(toolvane.Error) as e:
        c.Add("w", Key="key")
    assert e.value.number == 457
    c.Remove(1)
    assert c.Count == 0


def test_std_font_and_constants():
    font = toolvane.StdFont(Name="Serif", Size=10.5, Bold=True)
    assert (font.Name, font.Size, font.Bold, font.Weight) == ("Serif", 10.5, True, 700)
    assert toolvane.HKEY_CURRENT_USER == -2147483647
    assert toolvane.rtLong == 1 and toolvane.ghrvFragment == 4 and toolvane.amNormal == 69
    assert toolvane.mffDefaultToNearest == 2


def test_events_of_python_objects_with_by_reference_arguments():
    class TextBox:
        pass
    box = TextBox()
    seen = []

    def handler(name, key, shift):
        seen.append((name, key.value, shift.value))
        key.value = 0  # swallow the key

    cookie = toolvane.Advise(box, handler, byref=True)
    key = toolvane.ByRef(45)
    toolvane.RaiseEvent(box, "KeyDown", key, 1)
    assert seen == [("KeyDown", 45, 1)] and key.value == 0
    toolvane.Unadvise(box, cookie)
    toolvane.RaiseEvent(box, "KeyDown", key, 1)
    assert len(seen) == 1


def test_registered_activation_with_the_regsvr_tool(private_registry):
    build = os.environ["QUENDEL_BUILD_DIR"]
    library = os.path.join(build, "lib", "libtoolvane0305.so")
    tool = os.path.join(build, "bin", "toolvane-regsvr")
    out = subprocess.run([tool, library], capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    assert os.path.exists(os.path.join(private_registry, "machine.db")) or \
        os.path.exists(os.path.join(private_registry, "user.db"))
    assert toolvane.CreateObject("TvFuncs0305.qndErr").GetErrorMessage(toolvane.ErrObject(53)) == \
        "Error number: 53"
    out = subprocess.run([tool, "-u", library], capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    bad = subprocess.run([tool, "/nonexistent.so"], capture_output=True, text=True)
    assert bad.returncode == 1 and "cannot load" in bad.stderr
    usage = subprocess.run([tool], capture_output=True, text=True)
    assert usage.returncode == 2
