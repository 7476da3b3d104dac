#!/usr/bin/env python3
"""Copies the public data sets that the commune tables come from into inputs/,
trimmed to the fields that make_tables.py reads.

Usage: trim_inputs.py SOURCE_DATA_FOLDER
The source folder holds the La Poste file, academies.csv and cog-2026/ as published.
"""
import csv
import json
import shutil
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
INPUTS = HERE / "inputs"


def trim_laposte(source: Path) -> None:
    with source.open(encoding="utf-8", newline="") as src, \
            (INPUTS / "laposte.csv").open("w", encoding="utf-8", newline="") as dst:
        reader = csv.DictReader(src)
        writer = csv.writer(dst, lineterminator="\n")
        writer.writerow(["insee", "name", "postal_code", "locality", "latitude", "longitude"])
        seen = set()
        for row in reader:
            # The publisher misspelt the locality column's heading ("Ligne 5": a former
            # commune or a place inside the commune).
            out = (row["code_commune_insee"], row["nom_de_la_commune"], row["code_postal"],
                   row["lieux-fuisonés"], row["latitude"], row["longitude"])
            if out not in seen:  # rows differing only by routing label carry the same values
                seen.add(out)
                writer.writerow(out)


def trim_json(source: Path, target: str, fields: list[str]) -> None:
    with source.open(encoding="utf-8") as src:
        entries = json.load(src)
    with (INPUTS / target).open("w", encoding="utf-8", newline="") as dst:
        writer = csv.writer(dst, delimiter=";", lineterminator="\n")
        writer.writerow(fields)
        for entry in entries:
            writer.writerow([" ".join(v) if isinstance(v, list) else v
                             for v in (entry.get(f, "") for f in fields)])


def main() -> None:
    if len(sys.argv) != 2:
        sys.exit("usage: trim_inputs.py SOURCE_DATA_FOLDER")
    data = Path(sys.argv[1])
    INPUTS.mkdir(exist_ok=True)
    trim_laposte(data / "laposte-base-codes-postaux-2025.csv")
    cog = data / "cog-2026"
    trim_json(cog / "communes.json", "cog-communes.csv",
              ["code", "type", "nom", "departement", "region", "zone", "anciensCodes",
               "chefLieu"])
    trim_json(cog / "departements.json", "cog-departements.csv", ["code", "nom", "region"])
    trim_json(cog / "regions.json", "cog-regions.csv", ["code", "nom", "zone"])
    shutil.copyfile(data / "academies.csv", INPUTS / "academies.csv")
    shutil.copyfile(cog / "LICENSE-package-MIT.txt", INPUTS / "LICENSE-package-MIT.txt")


if __name__ == "__main__":
    main()
