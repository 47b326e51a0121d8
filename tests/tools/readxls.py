#!/usr/bin/env python3
"""Prints a workbook as JSON: sheets with their cells, each as type and value.

Usage: readxls.py FILE [--col N] [--formats]
With --col only column N of every row is printed (large workbooks); --formats adds each cell's
number format as "f".
Types: number, text, date (value "YYYY-MM-DD HH:MM:SS"), bool, blank, error.
"""
import json
import sys

import xlrd

KINDS = {
    xlrd.XL_CELL_EMPTY: "blank",
    xlrd.XL_CELL_BLANK: "blank",
    xlrd.XL_CELL_NUMBER: "number",
    xlrd.XL_CELL_TEXT: "text",
    xlrd.XL_CELL_DATE: "date",
    xlrd.XL_CELL_BOOLEAN: "bool",
    xlrd.XL_CELL_ERROR: "error",
}


def cell_json(book, cell, formats):
    kind = KINDS.get(cell.ctype, "other")
    if kind == "date":
        value = xlrd.xldate_as_datetime(cell.value, book.datemode).strftime("%Y-%m-%d %H:%M:%S")
    elif kind == "bool":
        value = bool(cell.value)
    elif kind == "blank":
        value = None
    else:
        value = cell.value
    out = {"t": kind, "v": value}
    if formats and cell.xf_index is not None:
        out["f"] = book.format_map[book.xf_list[cell.xf_index].format_key].format_str
    return out


def main():
    path = sys.argv[1]
    only = int(sys.argv[sys.argv.index("--col") + 1]) if "--col" in sys.argv else None
    formats = "--formats" in sys.argv
    book = xlrd.open_workbook(path, formatting_info=formats)
    sheets = []
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            cells = sheet.row(r)
            if only is not None:
                cells = cells[only:only + 1]
            rows.append([cell_json(book, c, formats) for c in cells])
        sheets.append({"name": sheet.name, "nrows": sheet.nrows, "ncols": sheet.ncols, "rows": rows})
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
