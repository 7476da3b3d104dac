#!/usr/bin/env python3
"""Builds the two commune tables of the lookup program, LISTEPARCP (by postal code)
and LISTEPARNOM (by name), from the trimmed public data sets in inputs/.

The name table also leads from former communes and localities to the commune that holds
them: a record keyed "SEYNOD (ANNECY)" holds the fields of 74600 ANNECY.

Usage: make_tables.py OUTPUT_FOLDER
Stops with a message, and writes nothing, on any record it cannot complete or any
character that Windows-1252 cannot hold.
"""
import csv
import re
import sys
import unicodedata
from dataclasses import dataclass, replace
from pathlib import Path

INPUTS = Path(__file__).resolve().parent / "inputs"
FIELD = "§"
NAME_KEY_END = "$"
MISSING = "."
MONACO_INSEE = "99138"
MONACO_DEPARTEMENT = "99"
# Preferred kind of COG entry when one INSEE code names several (a current commune
# and a delegated commune may share a code).
COG_TYPE_PRIORITY = ["arrondissement-municipal", "commune-actuelle",
                     "commune-deleguee", "commune-associee"]
FORMER_COMMUNE_TYPES = ("commune-deleguee", "commune-associee")
# The name key of a former commune or locality, followed by its current commune's.
FORMER_KEY = "{former} ({current})"


class TableError(Exception):
    pass


@dataclass(frozen=True)
class Record:
    postal_code: str
    name_key: str
    name: str
    departement_code: str
    departement_name: str
    region_code: str
    region_name: str
    insee: str
    academie_name: str
    academie_code: str
    zone: str
    latitude: str
    longitude: str

    def postal_line(self) -> str:
        return FIELD.join([
            f"{self.postal_code} {self.name_key}", self.name,
            f"{self.departement_code} {self.departement_name}", self.region_name,
            self.region_code, self.insee, self.academie_name, self.academie_code,
            self.zone, self.latitude, self.longitude])

    def name_line(self) -> str:
        return FIELD.join([
            f"{self.name_key}{NAME_KEY_END}{self.insee}", self.postal_code,
            self.departement_code, self.departement_name, self.name, self.region_code,
            self.region_name, self.latitude, self.longitude, self.academie_name,
            self.academie_code, self.zone])


def read_csv(name: str, delimiter: str) -> list[dict]:
    with (INPUTS / name).open(encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f, delimiter=delimiter))


def mail_key(name: str) -> str:
    """An ordinary-case name in La Poste's mail form: capitals without accents, digits,
    single spaces, Saint and Sainte as ST and STE."""
    name = name.replace("Œ", "OE").replace("œ", "oe").replace("Æ", "AE").replace("æ", "ae")
    bare = "".join(c for c in unicodedata.normalize("NFD", name) if not unicodedata.combining(c))
    words = re.sub(r"[^A-Z0-9]+", " ", bare.upper()).split()
    return " ".join({"SAINT": "ST", "SAINTE": "STE"}.get(w, w) for w in words)


def pad_code(code: str) -> str:
    """The La Poste file lost the leading zeros of numeric codes; Corsican ones kept theirs."""
    return code.zfill(5) if code.isdigit() else code


class Geography:
    """The COG's communes, départements and régions, and the académies by département."""

    def __init__(self) -> None:
        self.communes: dict[str, dict] = {}
        self.former_communes: list[dict] = []
        former: dict[str, dict] = {}
        rank = {t: i for i, t in enumerate(COG_TYPE_PRIORITY)}
        for c in read_csv("cog-communes.csv", ";"):
            kept = self.communes.get(c["code"])
            if kept is None or rank[c["type"]] < rank[kept["type"]]:
                self.communes[c["code"]] = c
            for old in c["anciensCodes"].split():
                former.setdefault(old, c)
            if c["type"] in FORMER_COMMUNE_TYPES:
                self.former_communes.append(c)
        # A code that La Poste still uses for a commune merged since names, in the COG, the
        # delegated or associated commune that kept it: the record is the current commune's,
        # the one whose former codes hold it.
        for old, c in former.items():
            kept = self.communes.get(old)
            if kept is None or kept["type"] in FORMER_COMMUNE_TYPES:
                self.communes[old] = c
        self.departements = {d["code"]: d for d in read_csv("cog-departements.csv", ";")}
        self.regions = {r["code"]: r for r in read_csv("cog-regions.csv", ";")}
        self.academies = {a["departement"]: a for a in read_csv("academies.csv", ";")}

    def current_code(self, insee: str) -> str:
        """The current commune that La Poste means by an INSEE code (Monaco stands alone)."""
        commune = self.communes.get(insee)
        return commune["code"] if commune is not None else insee

    def record(self, insee: str, name_key: str, postal_code: str,
               latitude: str, longitude: str) -> Record:
        where = f"{postal_code} {name_key} (INSEE {insee})"
        if insee == MONACO_INSEE:
            return Record(postal_code, name_key, "Monaco", MONACO_DEPARTEMENT, MISSING,
                          MISSING, MISSING, insee, MISSING, MISSING, MISSING,
                          latitude or MISSING, longitude or MISSING)
        commune = self._lookup(self.communes, insee, "commune", where)
        departement = self._lookup(self.departements, commune["departement"],
                                   "département", where)
        region = self._lookup(self.regions, commune["region"], "région", where)
        academie = self._lookup(self.academies, departement["code"], "académie", where)
        # Overseas collectivities belong to no région: their own name stands as the
        # région name, and the région code is missing.
        region_code = MISSING if region["zone"] == "com" else region["code"]
        # The current commune's own code, also where La Poste still files it under the
        # code that one of its delegated communes kept.
        return Record(postal_code, name_key, commune["nom"], departement["code"],
                      departement["nom"], region_code, region["nom"], commune["code"],
                      academie["academie"], academie["code_academie"],
                      academie["zone_vacances"], latitude or MISSING, longitude or MISSING)

    @staticmethod
    def _lookup(table: dict, code: str, what: str, where: str) -> dict:
        if code not in table:
            raise TableError(f"{where}: no {what} for code {code!r}")
        return table[code]


def build_records() -> tuple[list[Record], list[Record]]:
    """The communes, one record per La Poste (INSEE code, name, postal code); and the
    former communes and localities, each a copy of its commune's record under its own key."""
    geography = Geography()
    records: dict[tuple, Record] = {}
    rows = read_csv("laposte.csv", ",")
    for row in rows:
        triple = (pad_code(row["insee"]), row["name"], pad_code(row["postal_code"]))
        if triple not in records:
            records[triple] = geography.record(*triple[:3], row["latitude"], row["longitude"])
    former: dict[tuple, Record] = {}

    def add_former(name_key: str, commune: Record) -> None:
        key = FORMER_KEY.format(former=name_key, current=commune.name_key)
        former.setdefault((key, commune.insee, commune.postal_code),
                          replace(commune, name_key=key))

    # La Poste's localities ("Ligne 5"), under the postal code of their own rows.
    known: dict[str, set[str]] = {}  # names of each current commune and of its localities
    triples: dict[str, set[tuple]] = {}  # La Poste's triples of each current commune
    for row in rows:
        triple = (pad_code(row["insee"]), row["name"], pad_code(row["postal_code"]))
        current = geography.current_code(triple[0])
        known.setdefault(current, set()).update({row["name"], row["locality"]})
        triples.setdefault(current, set()).add(triple)
        if row["locality"] and row["locality"] != row["name"]:
            add_former(row["locality"], records[triple])
    # The COG's delegated and associated communes that La Poste does not name: only where
    # their commune has one postal code, the only one they can have.
    for commune in geography.former_communes:
        own = triples.get(commune["chefLieu"], set())
        key = mail_key(commune["nom"])
        if key not in known.get(commune["chefLieu"], set()) and len(own) == 1:
            add_former(key, records[next(iter(own))])
    return list(records.values()), list(former.values())


def check(record: Record) -> None:
    for field, value in vars(record).items():
        if not value or any(c in value for c in (FIELD, NAME_KEY_END, "\r", "\n")):
            raise TableError(f"{record.postal_code} {record.name_key}: unusable {field} {value!r}")


def encode(text: str, table: str) -> bytes:
    try:
        return text.encode("cp1252")
    except UnicodeEncodeError as e:
        raise TableError(f"{table}: {e.object[e.start:e.end]!r} has no Windows-1252 form "
                         f"(in {text!r})") from None


def pad_to_four(data: bytes) -> bytes:
    return data + b"\0" * (-len(data) % 4)


def build_tables() -> tuple[bytes, bytes]:
    """Both tables in plain byte order: LISTEPARCP by its key field, LISTEPARNOM by name
    key then postal code; whole records break the remaining ties so the output is stable."""
    communes, former = build_records()
    for record in communes + former:
        check(record)
    postal_lines = [line for _, line in sorted(
        (encode(f"{r.postal_code} {r.name_key}", "LISTEPARCP"), encode(r.postal_line(), "LISTEPARCP"))
        for r in communes)]
    name_lines = [line for _, line in sorted(
        ((encode(r.name_key, "LISTEPARNOM"), r.postal_code), encode(r.name_line(), "LISTEPARNOM"))
        for r in communes + former)]
    return pad_to_four(b"\r\n".join(postal_lines)), pad_to_four(b"".join(l + b"\r\n" for l in name_lines))


def main() -> None:
    if len(sys.argv) != 2:
        sys.exit("usage: make_tables.py OUTPUT_FOLDER")
    try:
        postal, names = build_tables()
    except TableError as e:
        sys.exit(f"make_tables: {e}; no table written")
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "LISTEPARCP").write_bytes(postal)
    (out / "LISTEPARNOM").write_bytes(names)
    count = postal.count(b"\r\n") + 1
    former = names.count(b"\r\n") - count
    print(f"make_tables: {count} communes, {former} former communes and localities, "
          f"LISTEPARCP {len(postal)} bytes, LISTEPARNOM {len(names)} bytes")


if __name__ == "__main__":
    main()
