"""The module imports from the build tree and says what it is."""
import vortlan


def test_module_imports_with_its_error_class():
    assert issubclass(vortlan.Error, Exception)
    assert "fitting engine" in vortlan.__doc__
