#!/usr/bin/env python3
"""Writes small .xlsx and .ods workbooks for the tests, the XML written by hand so that every
cell type, format and date system is exactly what the test means.

    make_workbook.py KIND OUT      KIND is one of the names in WORKBOOKS below
    make_workbook.py large OUT ROWS           a list of ROWS gifts, for the speed bench
    make_workbook.py tsv-twin LIST.txt OUT    the workbook a tab-separated list came from

A sheet is given as rows of cells; a cell is a value (str: shared string, int/float: number)
or a tuple (kind, value[, style]) as the writers below read it.
"""
import sys
import zipfile
from xml.sax.saxutils import escape, quoteattr

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
</Types>"""
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PACKAGE_RELS = f"""<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="{REL}/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"


def column_name(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(65 + rest) + name
    return name


def xlsx_cell(ref, cell, shared):
    """One <c>: str is a shared string, a number a number; tuples for everything else."""
    if isinstance(cell, str):
        if cell not in shared:
            shared.append(cell)
        return f'<c r="{ref}" t="s"><v>{shared.index(cell)}</v></c>'
    if isinstance(cell, (int, float)):
        return f'<c r="{ref}"><v>{cell}</v></c>'
    kind, value = cell[0], cell[1]
    style = f' s="{cell[2]}"' if len(cell) > 2 else ""
    if kind == "num":  # a number as written, with a style
        return f'<c r="{ref}"{style}><v>{value}</v></c>'
    if kind == "inline":
        return f'<c r="{ref}" t="inlineStr"><is><t>{escape(value)}</t></is></c>'
    if kind == "rich":  # runs of a shared string
        shared.append(value)
        return f'<c r="{ref}" t="s"><v>{len(shared) - 1}</v></c>'
    if kind == "formula":  # (formula, cached value or None[, type])
        cached = "" if cell[2] is None else f"<v>{escape(str(cell[2]))}</v>"
        cell_type = f' t="{cell[3]}"' if len(cell) > 3 else ""
        return f'<c r="{ref}"{cell_type}><f>{escape(value)}</f>{cached}</c>'
    if kind in ("b", "e", "d", "str"):
        return f'<c r="{ref}" t="{kind}"><v>{escape(value)}</v></c>'
    raise ValueError(kind)


def shared_item(text):
    if isinstance(text, list):  # rich text runs, and a phonetic reading that is no part of it
        runs = "".join(f"<r><rPr><b/></rPr><t xml:space=\"preserve\">{escape(t)}</t></r>" for t in text)
        return f"<si>{runs}<rPh sb=\"0\" eb=\"1\"><t>yomi</t></rPh></si>"
    return f'<si><t xml:space="preserve">{escape(text)}</t></si>'


def write_xlsx(out, sheets, formats=(), date1904=False, extra=None):
    """sheets: [(name, rows)], rows: {row number: [cells]} or a list from row 1."""
    shared = []
    sheet_xml = []
    for _, rows in sheets:
        if isinstance(rows, list):
            rows = {i + 1: row for i, row in enumerate(rows)}
        body = []
        for number, cells in sorted(rows.items()):
            cs = "".join(xlsx_cell(f"{column_name(c)}{number}", cell, shared)
                         for c, cell in enumerate(cells) if cell is not None)
            body.append(f'<row r="{number}">{cs}</row>')
        sheet_xml.append(f'<?xml version="1.0" encoding="UTF-8"?>\n<worksheet xmlns="{MAIN}">'
                         f'<sheetData>{"".join(body)}</sheetData></worksheet>')
    workbook_sheets = "".join(f'<sheet name={quoteattr(name)} sheetId="{i + 1}" r:id="rId{i + 1}"/>'
                              for i, (name, _) in enumerate(sheets))
    pr = '<workbookPr date1904="1"/>' if date1904 else '<workbookPr/>'
    workbook = (f'<?xml version="1.0" encoding="UTF-8"?>\n<workbook xmlns="{MAIN}" xmlns:r="{REL}">'
                f'{pr}<sheets>{workbook_sheets}</sheets></workbook>')
    rels = "".join(f'<Relationship Id="rId{i + 1}" Type="{REL}/worksheet" Target="worksheets/sheet{i + 1}.xml"/>'
                   for i in range(len(sheets)))
    n = len(sheets)
    rels += (f'<Relationship Id="rId{n + 1}" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'
             f'<Relationship Id="rId{n + 2}" Type="{REL}/styles" Target="/xl/styles.xml"/>')
    # Style 0 General; then one cell format for each number format given, in order.
    custom = [(164 + i, code) for i, code in enumerate(f for f in formats if isinstance(f, str))]
    numfmts = "".join(f"<numFmt numFmtId=\"{i}\" formatCode={quoteattr(code)}/>" for i, code in custom)
    ids = []
    it = iter(custom)
    for f in formats:
        ids.append(f if isinstance(f, int) else next(it)[0])
    xfs = '<xf numFmtId="0"/>' + "".join(f'<xf numFmtId="{i}" applyNumberFormat="1"/>' for i in ids)
    styles = (f'<?xml version="1.0" encoding="UTF-8"?>\n<styleSheet xmlns="{MAIN}">'
              f'<numFmts count="{len(custom)}">{numfmts}</numFmts>'
              f'<cellStyleXfs count="1"><xf numFmtId="14"/></cellStyleXfs>'
              f'<cellXfs count="{len(ids) + 1}">{xfs}</cellXfs></styleSheet>')
    sst = (f'<?xml version="1.0" encoding="UTF-8"?>\n<sst xmlns="{MAIN}" count="{len(shared)}">'
           + "".join(shared_item(t) for t in shared) + "</sst>")
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", PACKAGE_RELS)
        z.writestr("xl/workbook.xml", workbook)
        z.writestr("xl/_rels/workbook.xml.rels",
                   f'<?xml version="1.0" encoding="UTF-8"?>\n<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">{rels}</Relationships>')
        z.writestr("xl/sharedStrings.xml", sst)
        z.writestr("xl/styles.xml", styles)
        for i, xml in enumerate(sheet_xml):
            z.writestr(f"xl/worksheets/sheet{i + 1}.xml", xml)
        for name, text in (extra or {}).items():
            z.writestr(name, text)


ODS_NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"')


def ods_cell(cell):
    if cell is None:
        return "<table:table-cell/>"
    if isinstance(cell, str):
        return f"<table:table-cell office:value-type=\"string\"><text:p>{escape(cell)}</text:p></table:table-cell>"
    if isinstance(cell, (int, float)):
        return (f'<table:table-cell office:value-type="float" office:value="{cell}">'
                f"<text:p>{cell}</text:p></table:table-cell>")
    return cell[1]  # ("xml", raw table-cell XML)


def write_ods(out, tables):
    """tables: [(name, rows)]; a row is a list of cells or ("xml", raw table-row XML)."""
    body = []
    for name, rows in tables:
        xml_rows = []
        for row in rows:
            if isinstance(row, tuple):
                xml_rows.append(row[1])
            else:
                xml_rows.append("<table:table-row>" + "".join(ods_cell(c) for c in row) + "</table:table-row>")
        body.append(f"<table:table table:name={quoteattr(name)}>{''.join(xml_rows)}</table:table>")
    content = (f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content {ODS_NS}>'
               f"<office:body><office:spreadsheet>{''.join(body)}</office:spreadsheet></office:body>"
               "</office:document-content>")
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("content.xml", content)
        z.writestr("META-INF/manifest.xml", "<manifest/>")


def ods_row(cells_xml, repeat=None):
    rep = f' table:number-rows-repeated="{repeat}"' if repeat else ""
    return ("xml", f"<table:table-row{rep}>{cells_xml}</table:table-row>")


def xlsx_list(out):
    """Every kind of cell in one list, and a second sheet that is not read."""
    write_xlsx(out, [
        ("Gifts 2023", {
            1: ["Name", "Date", "Amount", "Notes"],
            2: ["Smith, Ann", ("num", "45306", 1), ("num", "1250.4999999999998", 2), "first\tgift\nline"],
            3: [("inline", "Jones & Co"), ("num", "45000.75", 3), -25],
            4: [("rich", ["Acme ", "Foundation"]), ("d", "2023-06-30T00:00:00"), ("formula", "SUM(C2:C3)", 1225.5)],
            6: [("str", "Lee"), ("num", "45107", 5), ("formula", "C2*2", None), ("b", "1"), ("e", "#DIV/0!")],
            7: [None, None, ("formula", "A1", None, "str")],
            8: ["Park", ("num", "44927", 4), ("num", "1.5E2")],
            9: ["City of Springfield", "GOVERNMENT"],
            10: ["City of Springfield", "1/20/2023", "5000"],
            12: [None, ("formula", "B2", None)],
        }),
        ("Notes", [["not read"]]),
    ], formats=[14, "#,##0.00", "mmmm\\ d\", \"yyyy", "[h]:mm", "d-mmm-yy h:mm"])


def xlsx_dates_1904(out):
    """The 1904 date system, and the 1900 one's 29 February that never was."""
    write_xlsx(out, [("Sheet1", [
        ["Name", "Date", "Amount"],
        ["Mac Gift", ("num", "43843.5", 1), 20],
        ["Same Day Elsewhere", "1/14/2024", 5],
    ])], formats=[14], date1904=True)


def xlsx_leap_1900(out):
    write_xlsx(out, [("Sheet1", [
        ["Before", ("num", "59", 1), 10],
        ["Never was", ("num", "60", 1), 20],
        ["After", ("num", "61", 1), 30],
    ])], formats=[14])


def xlsx_header_columns(out):
    """A header that puts the columns in another order, a check number before the amount; a
    header of more columns than a mapped line is read, a name with a comma, a notes cell with an
    unclosed quotation mark, a row longer than a mapped line is read, and a keyword row in the
    named columns."""
    write_xlsx(out, [("Gifts", {
        1: ["Date", "Check #", "Amount", "Donor", "Memo"] + [f"Custom field {i}" for i in range(1, 301)],
        2: [("num", "45306", 1), 1001, 250, "Smith, Ann", "general"],
        3: [("num", "45325", 1), 1002, 1815.75, "Jones", '"in memory of'],
        4: [("num", "45326", 1), 1003, 40, "Lee", "x" * 5000],
        6: ["GOVERNMENT", None, None, "City of Springfield"],
        7: [("num", "45352", 1), 1004, 5000, "City of Springfield"],
        8: [("num", "45353", 1), 1005, None, "Park"],
    })], formats=[14])


def ods_list(out):
    """Repeated rows and columns, types, an annotation, and repeated empty rows at the end."""
    write_ods(out, [
        ("Donations", [
            ["Name", "Date", "Amount"],
            ods_row('<table:table-cell office:value-type="string"><text:p>Ruiz</text:p>'
                    '<office:annotation><text:p>a note</text:p></office:annotation></table:table-cell>'
                    '<table:table-cell office:value-type="date" office:date-value="2023-03-04T10:00:00"><text:p>03/04/23</text:p></table:table-cell>'
                    '<table:table-cell office:value-type="currency" office:currency="USD" office:value="99.990000000000009"><text:p>$99.99</text:p></table:table-cell>'),
            ods_row("<table:table-cell/>", 2),
            ods_row('<table:table-cell office:value-type="string"><text:p>Twice</text:p></table:table-cell>'
                    '<table:table-cell office:value-type="date" office:date-value="2023-05-01"/>'
                    '<table:table-cell table:number-columns-repeated="2" office:value-type="float" office:value="5"/>', 2),
            ods_row('<table:table-cell><text:p>Two<text:s text:c="2"/>lines</text:p><text:p>of<text:tab/>text</text:p></table:table-cell>'
                    '<table:table-cell office:value-type="boolean" office:boolean-value="true"/>'
                    '<table:table-cell table:formula="of:=1/0"/>'
                    '<table:table-cell table:number-columns-repeated="16000"/>'),
            ods_row("<table:table-cell/>", 1048000),
        ]),
        ("Budget", [["x"]]),
        ("Summary", [["y"]]),
    ])


def docx(out):
    with zipfile.ZipFile(out, "w") as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", PACKAGE_RELS.replace("xl/workbook.xml", "word/document.xml"))
        z.writestr("word/document.xml", "<document><body><p>Dear donor</p></body></document>")


def malformed(out):
    write_xlsx(out, [("Sheet1", [["Smith", "1/15/2023", 100]])],
               extra={})
    with zipfile.ZipFile(out, "a") as z:
        z.writestr("xl/worksheets/sheet2.xml", "")
    # The sheet itself cut short: rewrite the archive with a broken sheet.
    with zipfile.ZipFile(out) as z:
        parts = {n: z.read(n) for n in z.namelist() if n != "xl/worksheets/sheet2.xml"}
    parts["xl/worksheets/sheet1.xml"] = parts["xl/worksheets/sheet1.xml"][:-30]
    with zipfile.ZipFile(out, "w") as z:
        for n, data in parts.items():
            z.writestr(n, data)


def laughs(out):
    """A billion laughs in the shared strings: refused, not expanded."""
    write_xlsx(out, [("Sheet1", [["Smith", "1/15/2023", 100]])])
    with zipfile.ZipFile(out) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    lol = "".join(f'<!ENTITY l{i} "&l{i - 1};&l{i - 1};&l{i - 1};&l{i - 1};">' for i in range(1, 10))
    parts["xl/sharedStrings.xml"] = (f'<?xml version="1.0"?><!DOCTYPE sst [<!ENTITY l0 "lol">{lol}]>'
                                     f'<sst xmlns="{MAIN}"><si><t>&l9;</t></si></sst>').encode()
    with zipfile.ZipFile(out, "w") as z:
        for n, data in parts.items():
            z.writestr(n, data)


def bomb(out):
    """A sheet that inflates past 64 MiB from an archive of well under a megabyte."""
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", PACKAGE_RELS)
        z.writestr("xl/workbook.xml", f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>')
        z.writestr("xl/_rels/workbook.xml.rels", f'<Relationships><Relationship Id="rId1" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/></Relationships>')
        z.writestr("xl/worksheets/sheet1.xml", f'<worksheet xmlns="{MAIN}"><sheetData>' + " " * (65 * 1024 * 1024) + "</sheetData></worksheet>")


def truncated(out):
    xlsx_list(out)
    with open(out, "rb") as f:
        data = f.read()
    with open(out, "wb") as f:
        f.write(data[: len(data) // 2])


def large(out, rows=100000):
    """A list of many rows for the speed bench: name, date, amount; OUT.txt gets the same rows
    as a tab-separated list, for comparing."""
    import datetime
    data = [["Name", "Date", "Amount"]]
    lines = ["Name\tDate\tAmount"]
    for i in range(rows):
        serial = 43831 + i % 1800
        day = datetime.date(1899, 12, 30) + datetime.timedelta(days=serial)
        amount = f"{10 + i % 990}.25"
        data.append([f"Donor {i % 5000}", ("num", str(serial), 1), ("num", amount)])
        lines.append(f"Donor {i % 5000}\t{day.month}/{day.day}/{day.year}\t{amount}")
    write_xlsx(out, [("Sheet1", data)], formats=[14])
    with open(out + ".txt", "w") as f:
        f.write("\n".join(lines) + "\n")


def serial_of(text):
    """The 1900-system serial of a date the list writes as 3/1/2021 or 15 Mar 2023, or None."""
    import datetime
    for form in ("%m/%d/%Y", "%d %b %Y"):
        try:
            day = datetime.datetime.strptime(text, form).date()
        except ValueError:
            continue
        return (day - datetime.date(1899, 12, 30)).days
    return None


def tsv_twin(source, out):
    """The workbook a tab-separated list was exported from: dates as date cells, amounts as
    currency cells, everything else as text, a name's quotation marks not part of it."""
    rows = {}
    with open(source, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            cells = []
            for field in line.rstrip("\n").split("\t"):
                amount = field.strip('"').replace("$", "").replace(",", "")
                serial = serial_of(field)
                if serial is not None:
                    cells.append(("num", str(serial), 1))
                elif number > 1 and amount and amount.lstrip("-").replace(".", "", 1).isdigit():
                    cells.append(("num", amount, 2))
                else:
                    cells.append(field.strip('"') or None)
            if any(c is not None for c in cells):
                rows[number] = cells
    write_xlsx(out, [("Donations", rows)], formats=[14, '"$"#,##0.00'])


def write_parts(out, parts, stored=False):
    with zipfile.ZipFile(out, "w", zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text)


def odd_xlsx(out):
    """What other writers do: no package relationships, prefixed names, cells and rows without
    references, a chart sheet before the worksheet, a nameless sheet, no styles or strings."""
    x = 'xmlns:x="' + MAIN + '"'
    write_parts(out, {
        "[Content_Types].xml": CONTENT_TYPES,
        "xl/workbook.xml": f'<x:workbook {x} xmlns:r="{REL}"><x:workbookPr date1904="true"/><x:sheets>'
                           '<x:sheet name="Chart" r:id="rId9"/><x:sheet name="Data" r:id="rId1"/>'
                           '<x:sheet r:id="rId2"/><x:sheet name="No id"/></x:sheets></x:workbook>',
        "xl/_rels/workbook.xml.rels": '<Relationships>'
            f'<Relationship Id="rId9" Type="{REL}/chartsheet" Target="chartsheets/sheet1.xml"/>'
            f'<Relationship Id="rId1" Type="{REL}/worksheet" Target="/xl/data.xml"/>'
            f'<Relationship Id="rId2" Type="{REL}/worksheet"/><Relationship Type="x"/></Relationships>',
        "xl/data.xml": f'<x:worksheet {x}><x:sheetData>'
            '<x:row><x:c t="inlineStr"><x:is><x:r><x:t>Kim</x:t></x:r><x:rPh><x:t>kana</x:t></x:rPh></x:is></x:c>'
            '<x:c><x:v>43843</x:v></x:c><x:c t="e"><x:v>#N/A</x:v></x:c><x:c/><x:c t="b"><x:v>0</x:v></x:c></x:row>'
            '<x:row><x:c t="inlineStr"><x:is><x:t>Kim</x:t></x:is></x:c><x:c t="d"><x:v>2024-01-15</x:v></x:c>'
            '<x:c><x:v>40</x:v></x:c></x:row></x:sheetData></x:worksheet>',
    })


def root_xlsx(out):
    """A workbook at the archive's root, relationships without a type or with a short one, a
    shared-strings part that is missing, a number format without its code."""
    write_parts(out, {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": f'<Relationships><Relationship Id="rId1" Type="{REL}/officeDocument" Target="book.xml"/></Relationships>',
        "book.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets><sheet name="Root" r:id="rId1"/></sheets></workbook>',
        "_rels/book.xml.rels": '<Relationships>'
            f'<Relationship Id="rId1" Type="{REL}/worksheet" Target="sheet.xml"/><Relationship Id="rId2" Target="x.xml"/>'
            '<Relationship Id="rId3" Type="s" Target="y.xml"/>'
            f'<Relationship Id="rId4" Type="{REL}/sharedStrings" Target="strings.xml"/>'
            f'<Relationship Id="rId5" Type="{REL}/styles" Target="styles.xml"/></Relationships>',
        "styles.xml": f'<styleSheet xmlns="{MAIN}"><numFmts><numFmt numFmtId="164"/></numFmts>'
                      '<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>',
        "sheet.xml": f'<worksheet xmlns="{MAIN}"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>! read from the root</t></is></c>'
                     '<c r="B1" s="1"><v>45306</v></c></row></sheetData></worksheet>',
    })


def root_stray_xlsx(out):
    """A workbook at the archive's root whose shared strings begin with text outside an item
    and whose styles part is missing."""
    write_parts(out, {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": f'<Relationships><Relationship Id="rId1" Type="{REL}/officeDocument" Target="book.xml"/></Relationships>',
        "book.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets><sheet name="Root" r:id="rId1"/></sheets></workbook>',
        "_rels/book.xml.rels": '<Relationships>'
            f'<Relationship Id="rId1" Type="{REL}/worksheet" Target="sheet.xml"/>'
            f'<Relationship Id="rId2" Type="{REL}/sharedStrings" Target="strings.xml"/>'
            f'<Relationship Id="rId3" Type="{REL}/styles" Target="styles.xml"/></Relationships>',
        "strings.xml": f'<sst xmlns="{MAIN}"><t>stray</t><si><t>! the first string</t></si></sst>',
        "sheet.xml": f'<worksheet xmlns="{MAIN}"><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c>'
                     '</row></sheetData></worksheet>',
    })


def bad_sheet(out, sheet_data, styles=True):
    """A sound workbook around one sheet's rows, written as they stand."""
    parts = {
        "[Content_Types].xml": CONTENT_TYPES, "_rels/.rels": PACKAGE_RELS,
        "xl/workbook.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels": f'<Relationships><Relationship Id="rId1" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>'
            f'<Relationship Id="rId2" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'
            + (f'<Relationship Id="rId3" Type="{REL}/styles" Target="styles.xml"/>' if styles else "") + '</Relationships>',
        "xl/sharedStrings.xml": f'<sst xmlns="{MAIN}"><si><t>Kim</t></si></sst>',
        "xl/styles.xml": f'<styleSheet xmlns="{MAIN}"><cellXfs><xf numFmtId="14"/><xf/></cellXfs></styleSheet>',
        "xl/worksheets/sheet1.xml": f'<worksheet xmlns="{MAIN}"><sheetData>{sheet_data}</sheetData></worksheet>',
    }
    write_parts(out, parts)


def odd_ods(out):
    """Tables without names and inside cells, typed cells without their values, spaces, a cell
    repeated past the sheet's last column."""
    p = '<table:table-cell office:value-type="{}"{}><text:p>{}</text:p></table:table-cell>'
    rows = ("<table:table-row table:number-rows-repeated=\"0\">"
            + p.format("string", ' office:string-value="Lopez"', "shown")
            + p.format("float", "", "12/1/2023")
            + p.format("date", "", "")
            + p.format("boolean", ' office:boolean-value="false"', "")
            + p.format("time", ' office:time-value="PT10H"', "10:00")
            + "<table:table-cell><table:table><table:table-row><table:table-cell><text:p>inner</text:p>"
              "</table:table-cell></table:table-row></table:table></table:table-cell>"
            + '<table:table-cell><text:p>a<text:s/>b<text:line-break/>c</text:p></table:table-cell>'
            + '<table:covered-table-cell/></table:table-row>'
            + "<table:table-row>" + p.format("string", "", "Lopez") + p.format("float", ' office:value="-3"', "")
            + "</table:table-row>"
            + "<table:table-row>" + p.format("boolean", "", "maybe")
            + "<table:table-cell><text:s/><text:p>a<text:span>b</text:span><office:annotation>"
              "<text:p>note</text:p></office:annotation></text:p></table:table-cell>"
            + p.format("string", ' table:number-columns-repeated="20000"', "x") + "</table:table-row>")
    content = (f"<office:document-content {ODS_NS}><office:body><office:text><table:table table:name=\"In text\"/>"
               f"</office:text><office:spreadsheet><table:table>{rows}</table:table><table:table table:name=\"Two\"/>"
               "</office:spreadsheet></office:body></office:document-content>")
    write_parts(out, {"mimetype": "application/vnd.oasis.opendocument.spreadsheet", "content.xml": content})


def odd(folder):
    """The odd workbooks: each in folder, named for what it shows."""
    import os
    os.makedirs(folder, exist_ok=True)
    odd_xlsx(os.path.join(folder, "odd.xlsx"))
    odd_ods(os.path.join(folder, "odd.ods"))
    bad_sheet(os.path.join(folder, "row-back.xlsx"), '<row r="3"><c r="A3"><v>1</v></c></row><row r="2"/>')
    bad_sheet(os.path.join(folder, "column-back.xlsx"), '<row r="1"><c r="C1"><v>1</v></c><c r="B1"><v>2</v></c></row>')
    bad_sheet(os.path.join(folder, "string-missing.xlsx"), '<row r="1"><c r="A1" t="s"><v>7</v></c></row>')
    root_xlsx(os.path.join(folder, "root.xlsx"))
    root_stray_xlsx(os.path.join(folder, "root-stray.xlsx"))
    bad_sheet(os.path.join(folder, "row-past-sheet.xlsx"), '<row r="1048577"/><row r="123456789"/>')
    bad_sheet(os.path.join(folder, "row-not-number.xlsx"), '<row r="1x"/><row r="-2"/><row r=""/>')
    bad_sheet(os.path.join(folder, "column-past-sheet.xlsx"), '<row r="1"><c r="XFE1"><v>1</v></c></row>')
    bad_sheet(os.path.join(folder, "string-not-number.xlsx"), '<row r="1"><c r="A1" t="s"><v>x</v></c></row>')
    bad_sheet(os.path.join(folder, "no-styles.xlsx"), '<row r="1"><c r="A1" t="s" s="1"><v>0</v></c>'
              '<c r="B1" s="99"><v>45306</v></c><c r="C1" s="0"><v>45306</v></c></row>', styles=False)
    write_parts(os.path.join(folder, "no-content.ods"), {"mimetype": "application/vnd.oasis.opendocument.text"})
    write_parts(os.path.join(folder, "text-only.odt"), {"content.xml": f"<office:document-content {ODS_NS}>"
                "<office:body><office:text><table:table table:name=\"T\"/></office:text></office:body></office:document-content>"})
    # A sheet whose stored bytes were changed after its checksum was written.
    path = os.path.join(folder, "checksum.xlsx")
    bad_sheet(path, '<row r="1"><c r="A1" t="s"><v>0</v></c></row>')
    with zipfile.ZipFile(path) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    write_parts(path, parts, stored=True)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = data.find(b"main", data.find(b"<worksheet"))
    data[at + 3] = ord("m")
    with open(path, "wb") as f:
        f.write(bytes(data))


WORKBOOKS = {
    "xlsx-list": xlsx_list, "xlsx-dates-1904": xlsx_dates_1904, "xlsx-leap-1900": xlsx_leap_1900,
    "xlsx-header-columns": xlsx_header_columns,
    "ods-list": ods_list, "docx": docx, "malformed": malformed, "laughs": laughs, "bomb": bomb,
    "truncated": truncated, "large": large, "odd": odd,
}

if __name__ == "__main__":
    if len(sys.argv) < 3 or (sys.argv[1] not in WORKBOOKS and sys.argv[1] != "tsv-twin"):
        if sys.argv[1:2] != ["tsv-twin"] or len(sys.argv) < 4:
            sys.exit("usage: make_workbook.py {" + ",".join(WORKBOOKS) + ",tsv-twin} OUT [ROWS]")
    if sys.argv[1] == "tsv-twin":
        tsv_twin(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "large" and len(sys.argv) > 3:
        large(sys.argv[2], int(sys.argv[3]))
    else:
        WORKBOOKS[sys.argv[1]](sys.argv[2])
