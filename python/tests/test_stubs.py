"""The type stubs beside the package name what the package has, no more and no less."""

import ast
import os

import toolvane


def stub_names():
    path = os.path.join(os.path.dirname(toolvane.__file__), "__init__.pyi")
    with open(path, encoding="utf-8") as f:
        tree = ast.parse(f.read())
    names = {}
    for node in tree.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            names[node.name] = node
        elif isinstance(node, ast.AnnAssign) and isinstance(node.target, ast.Name):
            names[node.target.id] = node
    return names


def public_names():
    return {n for n in dir(toolvane) if not n.startswith("_") and not isinstance(getattr(toolvane, n), type(os))}


def test_every_public_name_has_a_stub_and_every_stub_a_name():
    stubs = {n for n in stub_names() if not n.startswith("_")}
    assert stubs == public_names()


def test_the_constants_are_typed_as_int():
    stubs = stub_names()
    constants = {n for n in public_names() if type(getattr(toolvane, n)) is int}
    assert constants, "the type library's enumerations are missing"
    for name in constants:
        annotation = stubs[name].annotation
        assert isinstance(annotation, ast.Name) and annotation.id == "int", name


def test_the_package_is_marked_typed():
    assert os.path.isfile(os.path.join(os.path.dirname(toolvane.__file__), "py.typed"))
