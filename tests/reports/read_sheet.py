#!/usr/bin/python3
"""Dumps the first sheet of an .xls (xlrd) or .xlsx (openpyxl) workbook as
JSON, so the tests read the exports back with readers of their own:
cells "row,col" -> [kind, value, number format], column widths and formats."""
import json
import re
import sys

path = sys.argv[1]
limit = int(sys.argv[2]) if len(sys.argv) > 2 else 100
out = {"cells": {}, "widths": {}, "formats": {}, "rows": 0}
if path.lower().endswith(".xls"):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=True)
    sh = book.sheet_by_index(0)
    out["rows"] = sh.nrows

    def fmt(xf):
        return book.format_map[book.xf_list[xf].format_key].format_str

    for r in range(min(sh.nrows, limit)):
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            kind = {1: "text", 2: "number", 3: "date"}.get(cell.ctype, str(cell.ctype))
            value = cell.value
            if cell.ctype == xlrd.XL_CELL_DATE:
                value = xlrd.xldate.xldate_as_datetime(value, book.datemode).strftime("%Y/%m/%d %H:%M:%S")
            out["cells"]["%d,%d" % (r + 1, c + 1)] = [kind, value, fmt(cell.xf_index)]
    for c, info in sh.colinfo_map.items():
        out["widths"][str(c + 1)] = info.width / 256.0
        out["formats"][str(c + 1)] = fmt(info.xf_index)
else:
    import openpyxl
    from openpyxl.utils import get_column_letter, column_index_from_string
    book = openpyxl.load_workbook(path)
    sh = book.worksheets[0]
    out["rows"] = sh.max_row
    for row in sh.iter_rows(max_row=min(sh.max_row, limit)):
        for cell in row:
            if cell.value is None:
                continue
            if cell.is_date:
                kind, value = "date", cell.value.strftime("%Y/%m/%d %H:%M:%S")
            elif cell.data_type == "n":
                kind, value = "number", cell.value
            elif cell.data_type == "f":
                kind, value = "formula", cell.value
            else:
                # OOXML writes control characters as _xHHHH_.
                kind, value = "text", re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), cell.value)
            out["cells"]["%d,%d" % (cell.row, cell.column)] = [kind, value, cell.number_format]
    for letter, dim in sh.column_dimensions.items():
        col = column_index_from_string(letter)
        if dim.width:
            out["widths"][str(col)] = dim.width
        if dim.style_id and dim.number_format:
            out["formats"][str(col)] = dim.number_format
print(json.dumps(out, ensure_ascii=False))
