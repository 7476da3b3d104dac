"""Checks the committed commune tables: their exact format, field forms, orders, the
correspondence between the two, facts taken from the inputs, and that the generator
rebuilds them byte for byte and refuses doubtful data."""
import csv
import os
import re
import shutil
import tempfile
import unittest
from collections import Counter
from pathlib import Path

import make_tables

TABLES = Path(os.environ.get("TABLE_FOLDER", Path(__file__).resolve().parents[2] / "lookup/data/tables"))

NAME_KEY = r"[A-Z0-9]+(?: [A-Z0-9]+)*"
INSEE = r"(?:\d{5}|2[AB]\d{3})"
TEXT = r"[^§\r\n$]+"
COORDINATE = r"(?:-?\d+(?:\.\d+)?|\.)"
POSTAL_FORM = re.compile("§".join([
    rf"(\d{{5}}) ({NAME_KEY})", TEXT, rf"(\d{{2,3}}|2[AB]) ({TEXT})", TEXT, r"(?:\d{1,2}|\.)",
    INSEE, TEXT, r"(?:\d{2}|\.)", r"[ABC.]", COORDINATE, COORDINATE]))
# A former commune's or a locality's key names the current commune after it in brackets.
NAME_TABLE_KEY = rf"{NAME_KEY}(?: \({NAME_KEY}\))?"
NAME_FORM = re.compile("§".join([
    rf"({NAME_TABLE_KEY})\${INSEE}", r"(\d{5})", r"(?:\d{2,3}|2[AB])", TEXT, TEXT, r"(?:\d{1,2}|\.)",
    TEXT, COORDINATE, COORDINATE, TEXT, r"(?:\d{2}|\.)", r"[ABC.]"]))


def read_table(name):
    data = (TABLES / name).read_bytes()
    return data, data.rstrip(b"\0").decode("cp1252")


def records_of(text, trailing_break):
    if trailing_break:
        assert text.endswith("\r\n")
        text = text[:-2]
    return text.split("\r\n")


def as_name_fields(postal_record):
    f = postal_record.split("§")
    code, key = f[0].split(" ", 1)
    dep_code, dep_name = f[2].split(" ", 1)
    return (f"{key}${f[5]}", code, dep_code, dep_name, f[1], f[4], f[3], f[9], f[10], f[6], f[7], f[8])


class CommittedTables(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.postal_bytes, postal_text = read_table("LISTEPARCP")
        cls.name_bytes, name_text = read_table("LISTEPARNOM")
        cls.postal = records_of(postal_text, trailing_break=False)
        cls.names = records_of(name_text, trailing_break=True)

    def test_padding_and_line_breaks(self):
        for data in (self.postal_bytes, self.name_bytes):
            self.assertEqual(len(data) % 4, 0)
            self.assertLess(len(data) - len(data.rstrip(b"\0")), 4)
        self.assertFalse(self.postal_bytes.rstrip(b"\0").endswith(b"\r\n"))
        self.assertTrue(self.name_bytes.rstrip(b"\0").endswith(b"\r\n"))

    def test_every_field_has_its_form(self):
        for record in self.postal:
            self.assertRegex(record, POSTAL_FORM)
            self.assertEqual(record.count("§"), 10, record)
            self.assertNotIn("$", record)
        for record in self.names:
            self.assertRegex(record, NAME_FORM)
            self.assertEqual(record.count("§"), 11, record)
            self.assertEqual(record.count("$"), 1, record)

    def test_orders_are_plain_byte_orders(self):
        keys = [r.split("§")[0].encode("cp1252") for r in self.postal]
        self.assertEqual(keys, sorted(keys))
        name_keys = [(r.split("$")[0].encode("cp1252"), r.split("§")[1]) for r in self.names]
        self.assertEqual(name_keys, sorted(name_keys))

    def test_tables_hold_the_same_records(self):
        """Each commune once in each table; each former commune or locality as a copy of
        its commune's record under its own key."""
        communes = Counter(as_name_fields(r) for r in self.postal)
        own = Counter(tuple(r.split("§")) for r in self.names if "(" not in r.split("$")[0])
        self.assertEqual(own, communes)
        for record in self.names:
            key = record.split("$")[0]
            if "(" in key:
                current = key[key.index(" (") + 2:-1]
                self.assertIn(tuple([current + record[len(key):].split("§")[0]] +
                                    record.split("§")[1:]), communes, record)

    def test_every_locality_of_la_poste_leads_to_its_commune(self):
        names = {(r.split("$")[0], r.split("§")[1]) for r in self.names}
        for row in laposte_rows():
            if row["locality"] and row["locality"] != row["name"]:
                self.assertIn((f"{row['locality']} ({row['name']})", row["postal_code"].zfill(5)),
                              names)
        self.assertIn("SEYNOD (ANNECY)$74010§74600§74§Haute-Savoie§Annecy§84§", "\n".join(self.names))

    def test_departement_field_is_code_space_name(self):
        for record in self.postal:
            name_fields = as_name_fields(record)
            self.assertEqual(record.split("§")[2], f"{name_fields[2]} {name_fields[3]}")

    def test_facts_from_the_inputs(self):
        self.assertEqual([r.split("§")[0] for r in self.postal if r.startswith("01000 ")],
                         ["01000 BOURG EN BRESSE", "01000 ST DENIS LES BOURG"])
        lat, lon = laposte_coordinates("01053", "BOURG EN BRESSE", "1000")
        self.assertEqual(self.postal[0], "01000 BOURG EN BRESSE§Bourg-en-Bresse§01 Ain§"
                         f"Auvergne-Rhône-Alpes§84§01053§Lyon§10§A§{lat}§{lon}")
        self.assertIn("75116 PARIS 16§Paris 16e Arrondissement§75 Paris§Île-de-France§11§75116§"
                      "Paris§01§C§", "\n".join(self.postal))
        self.assertTrue(self.postal[-1].startswith("98890 PAITA§Païta§988 Nouvelle-Calédonie§"
                                                   "Nouvelle-Calédonie§.§98821§Nouvelle-Calédonie§.§.§"))
        self.assertTrue(self.names[-1].startswith("ZUYTPEENE$59669§59670§59§Nord§Zuytpeene§32§"))
        self.assertIn("98000 MONACO§Monaco§99 .§.§.§99138§.§.§.§.§.", self.postal)
        self.assertEqual(len(self.postal), distinct_laposte_triples())

    def test_a_code_kept_by_a_delegated_commune_gives_the_current_communes_name(self):
        # La Poste still files these communes under the code of their delegated chef-lieu.
        names = {r.split("§")[0]: r.split("§")[1] for r in self.postal}
        self.assertEqual(names["49270 OREE D ANJOU"], "Orée d'Anjou")
        self.assertEqual(names["14240 AURSEULLES"], "Aurseulles")
        self.assertEqual(names["69400 PORTE DES PIERRES DOREES"], "Porte des Pierres Dorées")
        self.assertEqual(names["12320 CONQUES EN ROUERGUE"], "Conques-en-Rouergue")
        self.assertNotIn("Champtoceaux", names.values())
        # and the current commune's INSEE number, not the one the delegated commune kept
        insee = {r.split("§")[0]: r.split("§")[5] for r in self.postal}
        self.assertEqual(insee["14240 AURSEULLES"], "14581")
        self.assertEqual(insee["49270 OREE D ANJOU"], "49126")

    def test_generator_rebuilds_the_committed_bytes(self):
        postal, names = make_tables.build_tables()
        self.assertEqual(postal, self.postal_bytes)
        self.assertEqual(names, self.name_bytes)


def laposte_rows():
    with (make_tables.INPUTS / "laposte.csv").open(encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f))


def laposte_coordinates(insee, name, postal_code):
    row = next(r for r in laposte_rows() if (r["insee"].zfill(5), r["name"], r["postal_code"])
               == (insee, name, postal_code))
    return row["latitude"], row["longitude"]


def distinct_laposte_triples():
    return len({(r["insee"], r["name"], r["postal_code"]) for r in laposte_rows()})


class DoubtfulInputs(unittest.TestCase):
    """The generator stops on data it cannot turn into a sound table."""

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp())
        for f in make_tables.INPUTS.iterdir():
            shutil.copy(f, self.folder)
        self.saved = make_tables.INPUTS
        make_tables.INPUTS = self.folder

    def tearDown(self):
        make_tables.INPUTS = self.saved
        shutil.rmtree(self.folder)

    def write_laposte(self, *rows):
        with (self.folder / "laposte.csv").open("w", encoding="utf-8", newline="") as f:
            f.write("insee,name,postal_code,locality,latitude,longitude\n")
            f.writelines(row + "\n" for row in rows)

    def replace_in(self, name, old, new):
        path = self.folder / name
        path.write_text(path.read_text(encoding="utf-8").replace(old, new), encoding="utf-8")

    def test_small_input_builds_and_pads(self):
        self.write_laposte("1053,BOURG EN BRESSE,1000,,46.2,5.2", "64001,AAST,64460,,,")
        postal, names = make_tables.build_tables()
        self.assertTrue(postal.startswith("01000 BOURG EN BRESSE§Bourg-en-Bresse§01 Ain§".encode("cp1252")))
        self.assertIn("AAST$64001§64460§64§".encode("cp1252"), names)
        self.assertTrue(postal.rstrip(b"\0").endswith(b"\xa7.\xa7."))

    def test_a_delegated_commune_la_poste_does_not_name_takes_its_communes_one_postal_code(self):
        # Annecy's delegated communes: Seynod is a locality of La Poste; Meythet, only in the
        # COG, gets a record while Annecy has one postal code, and none once it has two.
        self.write_laposte("74010,ANNECY,74000,,45.9,6.1", "74010,ANNECY,74000,SEYNOD,45.9,6.1")
        names = make_tables.build_tables()[1].decode("cp1252")
        self.assertIn("\r\nSEYNOD (ANNECY)$74010§74000§", names)
        self.assertIn("\r\nMEYTHET (ANNECY)$74010§74000§", names)
        self.assertNotIn("ANNECY (ANNECY)", names)
        self.write_laposte("74010,ANNECY,74000,,45.9,6.1", "74010,ANNECY,74600,SEYNOD,45.9,6.1")
        names = make_tables.build_tables()[1].decode("cp1252")
        self.assertIn("\r\nSEYNOD (ANNECY)$74010§74600§", names)
        self.assertNotIn("MEYTHET", names)

    def test_unknown_commune_stops(self):
        self.write_laposte("99999,NOWHERE,99999,,,")
        with self.assertRaisesRegex(make_tables.TableError, "no commune for code '99999'"):
            make_tables.build_tables()

    def test_character_without_windows_1252_form_stops(self):
        self.write_laposte("64001,AAST,64460,,,")
        self.replace_in("cog-communes.csv", ";Aast;", ";Aast\u0101;")
        with self.assertRaisesRegex(make_tables.TableError, "no Windows-1252 form"):
            make_tables.build_tables()

    def test_separator_inside_a_field_stops(self):
        self.write_laposte("64001,AAST,64460,,,")
        self.replace_in("cog-communes.csv", ";Aast;", ";Aa§st;")
        with self.assertRaisesRegex(make_tables.TableError, "unusable name"):
            make_tables.build_tables()


if __name__ == "__main__":
    unittest.main()
