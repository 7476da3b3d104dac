#!/usr/bin/env python3
"""Writes the letter-case tables of the lookup program from Python's Unicode database.

Upper case follows Unicode's full mapping (one code point may become up to three, as "ß"
becomes "SS"); lower case its simple mapping (one code point for one). Usage:
    python3 tools/text/make_case_tables.py lookup/text/case_tables.inc
"""
import sys
import unicodedata


def entries():
    upper, lower = [], []
    for code in range(sys.maxunicode + 1):
        if 0xD800 <= code <= 0xDFFF:
            continue
        char = chr(code)
        up = char.upper()
        if up != char:
            assert len(up) <= 3, hex(code)
            upper.append((code, [ord(c) for c in up]))
        low = char.lower()
        if low != char and len(low) == 1:
            lower.append((code, [ord(low)]))
    return upper, lower


def table(name, rows):
    lines = [f"inline constexpr CaseMapping {name}[] = {{"]
    for code, mapped in rows:
        padded = mapped + [0] * (3 - len(mapped))
        lines.append("    {0x%04X, {0x%04X, 0x%04X, 0x%04X}}," % (code, *padded))
    lines.append("};")
    return "\n".join(lines)


def main():
    upper, lower = entries()
    text = "\n".join([
        "// Letter-case mappings of Unicode %s, by code point; made by tools/text/make_case_tables.py"
        % unicodedata.unidata_version,
        "// from Python's Unicode database. Do not edit.",
        table("kUpperCase", upper),
        table("kLowerCase", lower),
        "",
    ])
    with open(sys.argv[1], "w", encoding="ascii", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
