"""The include check on small trees: what it lets through and what it refuses."""
import os
import tempfile
import unittest

import check_includes

TABLE = """
low: shared/table.h
    no-qt
shared:
high: low
    | tests: testing
    | generated: made.inc
testing: low
"""


class IncludeCheck(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        table = os.path.join(self.root, "table.txt")
        with open(table, "w") as out:
            out.write(TABLE)
        self.modules = check_includes.read_table(table)
        self.write("low/include/low/api.h", "#pragma once\n")
        self.write("low/private.h", "#pragma once\n")
        self.write("testing/include/testing/helper.h", "#pragma once\n")
        self.write("shared/include/shared/table.h", "#pragma once\n")
        self.write("shared/include/shared/other.h", "#pragma once\n")

    def tearDown(self):
        self.folder.cleanup()

    def write(self, path, text):
        os.makedirs(os.path.dirname(os.path.join(self.root, path)), exist_ok=True)
        with open(os.path.join(self.root, path), "w") as out:
            out.write(text)

    def problems(self, path, text):
        self.write(path, text)
        return check_includes.check_file(self.root, path, self.modules)

    def test_allowed_includes_pass(self):
        self.assertEqual(self.problems("low/a.cpp", '#include "low/api.h"\n#include "private.h"\n'), [])
        self.assertEqual(self.problems("high/b.cpp", '#include "low/api.h"\n#include <QWidget>\n'), [])
        self.assertEqual(self.problems("high/b_test.cpp", '#include "testing/helper.h"\n'), [])
        self.assertEqual(self.problems("low/a.cpp", '#include "shared/table.h"\n'), [])
        self.assertEqual(self.problems("high/b.cpp", '#include "made.inc"\n'), [])

    def test_each_kind_of_leak_is_refused(self):
        cases = {
            ("low/a.cpp", '#include "high/b.h"\n'): "may not use high",
            ("high/b.cpp", '#include "low/private.h"\n'): "not a public header",
            ("high/b.cpp", '#include "private.h"\n'): "bare name",
            ("low/a.cpp", '#include "made.inc"\n'): "bare name",
            ("high/b.cpp", '#include "../low/private.h"\n'): "out of its folder",
            ("high/b.cpp", '#include "testing/helper.h"\n'): "may not use testing",
            ("low/a.cpp", "#include <QString>\n"): "must not use Qt",
            ("low/a.cpp", '#include "shared/other.h"\n'): "may not use shared",
            ("other/c.cpp", "\n"): "belongs to no module",
        }
        for (path, text), expected in cases.items():
            with self.subTest(path=path, text=text):
                problems = self.problems(path, text)
                self.assertEqual(len(problems), 1, problems)
                self.assertIn(expected, problems[0])

    def test_a_table_naming_an_unknown_module_is_refused(self):
        table = os.path.join(self.root, "bad.txt")
        with open(table, "w") as out:
            out.write("a: nowhere\n")
        with self.assertRaises(SystemExit):
            check_includes.read_table(table)


if __name__ == "__main__":
    unittest.main()
