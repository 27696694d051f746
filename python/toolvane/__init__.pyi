"""Types of the toolvane package: the objects are late bound, so their members are Any."""

from typing import Any, Iterable, Iterator

class Error(Exception):
    number: int
    description: str
    source: str
    helpfile: str
    helpcontext: int
    def __init__(self, number: int = ..., description: str = ..., source: str = ..., helpfile: str = ...,
                 helpcontext: int = ...) -> None: ...

class ByRef:
    value: Any
    def __init__(self, value: Any = ...) -> None: ...

class _Subtype:
    value: Any
    vartype: int
    def __init__(self, value: Any) -> None: ...

class Integer(_Subtype): ...
class Long(_Subtype): ...
class Single(_Subtype): ...
class Currency(_Subtype): ...
class Byte(_Subtype): ...

class _Marker:
    def __bool__(self) -> bool: ...

Empty: _Marker
Null: _Marker
Missing: _Marker
Unallocated: _Marker

class Object:
    def __getattr__(self, name: str) -> Any: ...
    def __setattr__(self, name: str, value: Any) -> None: ...
    def __call__(self, *args: Any, **kwargs: Any) -> Any: ...
    def __getitem__(self, index: Any) -> Any: ...
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[Any]: ...

def CreateObject(name: str) -> Object: ...
def Advise(source: Any, handler: Any, byref: bool = ...) -> int: ...
def Unadvise(source: Any, cookie: int) -> None: ...
def RaiseEvent(source: Any, name: str, *args: Any) -> None: ...
def TypeName(value: Any) -> str: ...
def ErrObject(number: int = ..., description: str = ..., source: str = ..., helpfile: str = ...,
              helpcontext: int = ...) -> Object: ...
def StdFont(**properties: Any) -> Object: ...
def Collection(iterable: Iterable[Any] = ...) -> Object: ...

# The enumerations of the type library.
HKEY_CLASSES_ROOT: int
HKEY_CURRENT_CONFIG: int
HKEY_CURRENT_USER: int
HKEY_DYN_DATA: int
HKEY_LOCAL_MACHINE: int
HKEY_PERFORMANCE_DATA: int
HKEY_USERS: int
amNormal: int
amNormalWithMinimizeToTrayHook: int
amViaMessage: int
ghrvContextEnd: int
ghrvContextStart: int
ghrvFragment: int
ghrvHTML: int
ghrvRaw: int
ghrvSelection: int
ghrvSourceURL: int
mffDefaultToNearest: int
mffDefaultToNull: int
mffDefaultToPrimary: int
rtBinary: int
rtBoolean: int
rtLong: int
rtString: int
