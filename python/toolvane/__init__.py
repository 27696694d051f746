"""toolvane: the Toolvane0305 library's classes, created by ProgID or class identifier
and used by member name, the way scripts use automation objects.

    import toolvane
    main = toolvane.CreateObject("TvFuncs0305.qndMain")
    parser = main.CommandLine
    parser.SetNewCommandLine('3p "a b.png" c.png')
    print(parser.Count, [parser.Item(i) for i in range(parser.Count)])

Attributes are property gets, assignment a property let (set for objects); methods take
positional and keyword arguments (keywords are the parameter names, any letter case); a
property with arguments, such as Item, is called like a method; calling an object calls
its default member.

Values: int becomes Long when it fits, else Double; float Double; str String; bool
Boolean; bytes a Byte array with lower bound 0; None Nothing; list a Variant array.
Integer(n), Byte(n), Long(n), Single(x), Currency(x), Empty and Null give the other
subtypes; Missing omits an optional argument; ByRef(value) passes an in/out argument
whose .value holds the result after the call. Results come back the same way: a Byte
array as bytes, an unallocated one as Unallocated, an object as toolvane.Object (a
Collection supports len() and iteration). Run-time errors raise toolvane.Error.

A Python object passed where the library reads a client object by name is read and
written through its attributes and its methods are called. Advise(obj, handler)
subscribes to an object's events (handler(name, *args), or methods named after the
events); RaiseEvent(pyobj, name, *args) raises an event of a Python client object to
the library objects that listen to it.
"""

import os as _os

from . import _toolvane


class Error(Exception):
    """A run-time error: number, description, source, helpfile, helpcontext."""

    def __init__(self, number=0, description="", source="", helpfile="", helpcontext=0):
        super().__init__(number, description)
        self.number = number
        self.description = description
        self.source = source
        self.helpfile = helpfile
        self.helpcontext = helpcontext

    def __str__(self):
        return "run-time error %d: %s" % (self.number, self.description)


class ByRef:
    """An in/out argument: pass it, then read .value after the call."""

    __slots__ = ("value",)

    def __init__(self, value=None):
        self.value = value

    def __repr__(self):
        return "ByRef(%r)" % (self.value,)


class _Subtype:
    __slots__ = ("value",)
    vartype = 12

    def __init__(self, value):
        self.value = value

    def __repr__(self):
        return "%s(%r)" % (type(self).__name__, self.value)


class Integer(_Subtype):
    vartype = 2


class Long(_Subtype):
    vartype = 3


class Single(_Subtype):
    vartype = 4


class Currency(_Subtype):
    vartype = 6


class Byte(_Subtype):
    vartype = 17


class _Marker:
    __slots__ = ("_name",)

    def __init__(self, name):
        self._name = name

    def __repr__(self):
        return "toolvane." + self._name

    def __bool__(self):
        return False


Empty = _Marker("Empty")
Null = _Marker("Null")
Missing = _Marker("Missing")
Unallocated = _Marker("Unallocated")

Object = _toolvane.Object
CreateObject = _toolvane.CreateObject
Advise = _toolvane.Advise
Unadvise = _toolvane.Unadvise
RaiseEvent = _toolvane.RaiseEvent
TypeName = _toolvane.TypeName

_here = _os.path.dirname(_os.path.abspath(__file__))
_toolvane._setup(Error, ByRef, _Subtype, Empty, Null, Missing, Unallocated,
                 _os.path.dirname(_here))


def ErrObject(number=0, description="", source="", helpfile="", helpcontext=0):
    """An error object to pass to qndErr.GetErrorMessage and the display members."""
    return _toolvane.ErrObject(number, description, source, helpfile, helpcontext)


def StdFont(**properties):
    """A standard font object: StdFont(Name="Sans", Size=10, Bold=True, ...)."""
    font = _toolvane._new_font()
    for name, value in properties.items():
        setattr(font, name, value)
    return font


def Collection(iterable=()):
    """A Collection holding the items of iterable, in order."""
    c = _toolvane._new_collection()
    for item in iterable:
        c.Add(item)
    return c


# The enumerations of the type library TvFuncs0305 as module constants.
globals().update(_toolvane._constants("{90C8444E-788C-43DF-957C-E068645142C7}"))
