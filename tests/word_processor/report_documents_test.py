#!/usr/bin/env python3
"""The report documents as other programs read them.

The program writes its reports as .docx files of its own making, and the user opens them in a
word processor. This test fills data directories through the script driver, has every report menu
item write its document, and reads each document back in two readers that share no code with ours:

* LibreOffice converts every document to OpenDocument in one headless run; the test reads the
  converted content.xml and styles.xml, i.e. what LibreOffice understood the document to be.
* python-docx opens the .docx itself.

Each reading is compared with the driver's `report` text of the same document: paragraphs in
order with their alignment and bold stretches, tables with their column widths, rows, cells,
merged cells and borders, and the page (A4, orientation, margins). A small document that merges
cells (no report does) comes from a helper program linked with the reports library.

By hand, from the source folder after a build:
  python3 tests/word_processor/report_documents_test.py --script build/tools/zelt-script \
      --init build/tools/zelt-init --merged build/tests/word_processor/zelt-merged-cells-document \
      [--reader libreoffice|python-docx] [--reports N126,N130] [--keep]

Exit status: 0 when every reader agreed, 1 on a disagreement or a failure to produce the
documents, 77 when a reader asked for is not installed (CTest's skip code).
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
import xml.etree.ElementTree as ET
from dataclasses import dataclass, field
from pathlib import Path

SKIP = 77

# A4 and the margin on every side, in points, as the writer lays out every page.
PAGE_SHORT, PAGE_LONG, PAGE_MARGIN = 595.3, 841.9, 56.7
# Widths in the dump carry six significant digits; the readers give whole twips or 1/10000 inch.
WIDTH_TOLERANCE = 0.5
PAGE_TOLERANCE = 1.0

# The table edges that carry a line for each table format the reports apply.
FORMAT_EDGES = {
    0: set(),
    1: {"top", "bottom"},
    16: {"top", "left", "bottom", "right", "insideH", "insideV"},
}


@dataclass(frozen=True)
class Report:
    item: str          # the menu item
    register: str      # the register menu item chosen first
    orientation: str   # the page the report is laid out on
    record_table: str  # the table whose current record a card shows; "" for a bank
    before: str = ""   # script lines before the item is clicked (a queued answer)
    after: str = ""    # script lines after it (ticks in a picker, then closing it)


REPORTS = [
    Report("N126", "N50", "landscape", ""),        # families' data bank
    Report("N155", "N49", "landscape", ""),        # minors' data bank
    Report("N140", "N49", "landscape", ""),        # minors' archive data bank
    Report("N139", "N50", "landscape", ""),        # families' archive data bank
    Report("N130", "N49", "portrait", "Table1"),   # minor's card
    Report("N149", "N49", "portrait", "Table5"),   # archived minor's card
    Report("N131", "N50", "portrait", "Table9"),   # family card
    Report("N150", "N50", "portrait", "Table13"),  # archived family card
    Report("N132", "N49", "landscape", ""),        # convicted list
    Report("N116", "N49", "portrait", "", "answer text 2006\n"),   # quarter counts, minors
    Report("N119", "N50", "portrait", "", "answer text 2006\n"),   # quarter counts, parents
    Report("N127", "N50", "landscape", "", "answer text 2006\n"),  # yearly list of families
    Report("N42", "N49", "landscape", "", "",                       # universal, minors
           "".join(f"tick TForm2.CheckListBox1 {i}\n" for i in (0, 1, 2, 3, 15, 28, 32, 33, 34, 35, 36, 37, 39)) + "click TForm2.BitBtn1\n"),
    Report("N110", "N50", "landscape", "", "",                      # universal, parents
           "".join(f"tick TForm3.CheckListBox1 {i}\n" for i in (0, 11, 44, 51, 52, 53)) + "click TForm3.BitBtn1\n"),
    Report("N156", "N50", "portrait", ""),         # family control report
    Report("N151", "N49", "portrait", ""),         # registration reasons report
    Report("N134", "N49", "portrait", ""),         # minors' report
]

# Pick lists and phrase lists of the seeded data directory, written before the program first starts
# (pick lists are read at start-up), so that the statistical reports count something.
SEEDED_LISTS = {
    "gorod.vrk": ["г. Кимры", "Дубна"],
    "zan_p.vrk": ["кружок", "Школа"],
    "pr_kdn_p.vrk": ["Кража", "Драка", "Бродяжничество"],
    "mera_pkos_p.vrk": ["штраф", "условно"],
    "kontpnu_r.vrk": ["ПДН ОВД", "Управление образования & опеки", "Опека"],
}

# Records typed in as a user would: a minor with every detail table and memos with line breaks and
# markup characters, a second minor taken off the register into the archive with his details, a
# minor with hardly anything filled in; a family with three children and its work records, a
# family taken off the register, and a father without a mother.
SEED_SCRIPT = r"""
click N49
table Table1 append
field Table1 F Иванов
field Table1 I Иван
field Table1 O Ильич
field Table1 DR 12.03.1992
field Table1 MR г. Кимры
field Table1 RegO Тверская
field Table1 RegG Кимры
field Table1 RegU Мира
field Table1 RegD 5
field Table1 RegK 12
field Table1 PrO Тверская
field Table1 PrG Кимры
field Table1 PrU Ленина
field Table1 PrD 7а
field Table1 PrK 3
field Table1 MUch СОШ № 1
field Table1 Zan кружок
field Table1 DTel 21345
field Table1 MTel 89051234567
field Table1 DKDN 01.02.2006
field Table1 NKDN 15
field Table1 Pol м
field Table1 Fm Иванова
field Table1 Im Мария
field Table1 Om Петровна
field Table1 Statm работает
field Table1 MRm ООО "Заря" & <Ко>
field Table1 Fo Иванов
field Table1 Io Илья
field Table1 Oo Сергеевич
field Table1 Stato безработный
field Table1 Dosug Футбол,{tab}шахматы\r\nчтение <фантастики> & "музыка"
field Table1 PKDN Кража\r\nДрака
field Table1 Ser 2806
field Table1 Nom 123456
field Table1 DV 15.04.2006
field Table1 KV ОВД г. Кимры
table Table1 post
event RichEdit1 Change Живёт с бабушкой.\r\nУчится без "троек" & <пропусков>.
event RichEdit1 Exit
table Table2 append
field Table2 DSud 03.03.2006
field Table2 MeraSud штраф 500 руб.
field Table2 StSud ст. 158 ч. 1\r\nУК РФ
field Table2 DObSud Не покидать город
table Table2 post
table Table2 append
field Table2 DSud 20.04.2006
field Table2 MeraSud условно
table Table2 post
table Table3 append
field Table3 DProt 10.03.2006
field Table3 NProt 12
field Table3 StProt ст. 20.21 КоАП
field Table3 MeraProt Предупреждение
field Table3 Rek Посещать\r\nшколу
table Table3 post
table Table4 append
field Table4 SubProf ПДН
field Table4 DProf 20.03.2006
field Table4 RabProf Беседа с родителями
table Table4 post
table Table4 append
field Table4 SubProf Школа
field Table4 DProf 25.03.2006
field Table4 RabProf Контроль посещаемости
table Table4 post
table Table1 append
field Table1 F Архипов
field Table1 I Олег
field Table1 O Петрович
field Table1 DR 01.01.1989
field Table1 RegG Дубна
field Table1 RegU Садовая
field Table1 RegD 40
field Table1 MUch ПУ № 7
field Table1 DKDN 01.01.2005
field Table1 PKDN Бродяжничество
table Table1 post
event RichEdit1 Change Уехал на учёбу\r\nв Тверь
event RichEdit1 Exit
table Table2 append
field Table2 DSud 02.02.2005
field Table2 MeraSud обязательные работы
table Table2 post
table Table3 append
field Table3 DProt 03.03.2005
field Table3 NProt 4
field Table3 MeraProt Штраф\r\nродителям
table Table3 post
table Table4 append
field Table4 SubProf ПДН
field Table4 DProf 04.04.2005
field Table4 RabProf Профилактическая беседа
table Table4 post
table Table1 edit
field Table1 DCcU 15.05.2006
field Table1 OCcU Совершеннолетие
table Table1 post
click BitBtn1
table Table1 append
field Table1 F Петров
field Table1 DKDN 05.05.2006
table Table1 post
click N50
table Table9 append
field Table9 Fm Сидорова
field Table9 Im Анна
field Table9 Om Павловна
field Table9 DRm 02.02.1970
field Table9 Gm Дубна
field Table9 Um Ленина
field Table9 Dm 3
field Table9 Km 14
field Table9 MRabm Школа № 2
field Table9 Fo Сидоров
field Table9 Io Иван
field Table9 Oo Петрович
field Table9 DRo 03.03.1968
field Table9 Go Дубна
field Table9 Uo Ленина
field Table9 Do 3
field Table9 Ko 14
field Table9 DKDN 01.01.2006
field Table9 NKDN 7
field Table9 OKDN Ненадлежащее исполнение обязанностей
field Table9 KKDN ПДН ОВД\r\nУправление образования & опеки
table Table9 post
event RichEdit4 Change Отец работает вахтой.\r\nМать на учёте у нарколога
event RichEdit4 Exit
table Table10 append
field Table10 F Сидоров
field Table10 I Пётр
field Table10 O Иванович
field Table10 DR 01.09.1995
field Table10 OU СОШ № 3
table Table10 post
table Table10 append
field Table10 F Сидорова
field Table10 I Анна
field Table10 O Ивановна
field Table10 DR 02.03.1998
table Table10 post
table Table10 append
field Table10 F Сидоров
field Table10 I Олег
field Table10 O Иванович
field Table10 DR 03.04.2000
field Table10 OU детский сад
table Table10 post
table Table11 append
field Table11 DKDN 10.01.2006
field Table11 NKDN 3
field Table11 O Жалоба соседей
field Table11 PM Предупреждение\r\nматери
field Table11 DM Посещение семьи
field Table11 Mater Акт обследования
table Table11 post
table Table12 append
field Table12 S ПДН
field Table12 D 12.01.2006
field Table12 Pr Посещение семьи по месту жительства
field Table12 P Проведена беседа
table Table12 post
table Table9 append
field Table9 Fm Кузнецова
field Table9 Im Ольга
field Table9 Om Ивановна
field Table9 Gm Кимры
field Table9 Um Мира
field Table9 Dm 9
field Table9 DKDN 01.03.2004
field Table9 OKDN Злоупотребление спиртным
table Table9 post
event RichEdit4 Change Переехали к родственникам
event RichEdit4 Exit
table Table10 append
field Table10 F Кузнецов
field Table10 I Денис
field Table10 DR 07.07.1996
table Table10 post
table Table12 append
field Table12 S Опека
field Table12 D 05.05.2004
field Table12 Pr Обследование условий
field Table12 P Удовлетворительно
table Table12 post
table Table9 edit
field Table9 DCcU 20.05.2006
field Table9 OCcU Исправление
field Table9 PCcU Улучшение обстановки
table Table9 post
click BitBtn2
table Table9 append
field Table9 Fo Орлов
field Table9 Io Пётр
field Table9 Oo Ильич
field Table9 Go Кимры
field Table9 DKDN 02.02.2006
table Table9 post
"""

# The driver takes a tab as typed; it stands for one pasted into a memo.
SEED_SCRIPT = SEED_SCRIPT.replace("{tab}", "\t")

# What each report of the seeded data must show, so that a seeding step gone wrong cannot pass
# for a document with nothing in it.
SEEDED_CONTENT = {
    "N155": ["Иванов Иван Ильич", "Кража\\nДрака", "Петров"],
    "N140": ["Архипов Олег Петрович", "15.05.2006"],
    "N126": ["Сидоров Пётр Иванович, 01.09.1995г.р.\\nСидорова Анна Ивановна, 02.03.1998г.р.\\n"
             "Сидоров Олег Иванович, 03.04.2000г.р.", "Орлов Пётр Ильич"],
    "N139": ["Кузнецова Ольга Ивановна", "20.05.2006"],
    "N130": ["Иванов Иван Ильич", "Футбол,\tшахматы", "Учится без \"троек\" & <пропусков>."],
    "N149": ["Архипов Олег Петрович", "в Тверь"],
    "N131": ["Сидоров Олег Иванович", "Мать на учёте у нарколога"],
    "N150": ["Кузнецова Ольга Ивановна", "Переехали к родственникам"],
    "N132": ["03.03.2006\\nст. 158 ч. 1\\nУК РФ\\nштраф 500 руб.\\nНе покидать город\\n20.04.2006"],
    "N116": ["Совершеннолетие - 1"],
    "N119": ["Исправление - 1"],
    "N127": ["Кузнецова Ольга Ивановна", "Кузнецов Денис , 07.07.1996г.р."],
    "N42": ["Иванов", "Беседа с родителями"],
    "N110": ["Сидоров Пётр Иванович, 01.09.1995. СОШ № 3", "Основания:\\nЖалоба соседей"],
    "N156": ["| 1 | ПДН ОВД | 1 |", "| 2 | Управление образования & опеки | 1 |", "| 3 | Опека | 0 |"],
    "N151": ["|  | Кража |\n| 1 | Иванов Иван Ильич |", "|  | Драка |\n| 1 | Иванов Иван Ильич |"],
    "N134": ["| 1 | г. Кимры | 1 |", "| 1 | кружок | 1 |", "| 1 | штраф | 1 |", "| 2 | условно | 1 |"],
}


# ---- The driver's text picture of a document -------------------------------------------------

@dataclass
class Para:
    align: str       # "C" centred, "L" left
    segments: list   # [(text, bold)], adjacent segments differ in boldness, none empty


@dataclass
class CellR:
    segments: list
    span: int = 1


@dataclass
class TableR:
    widths: list                                # grid column widths in points
    rows: list                                  # [[CellR]]
    edges: set = field(default_factory=set)     # edges with a line: top, left, ..., insideV
    format: int = -1                            # the dump's table format; readers leave -1


@dataclass
class Page:
    orientation: str
    width: float = 0.0
    height: float = 0.0
    margins: tuple = ()  # top, right, bottom, left


@dataclass
class Reading:
    page: Page
    blocks: list  # Para | TableR


def normalize(segments):
    """Joins adjacent stretches of the same boldness and drops empty ones."""
    out = []
    for text, bold in segments:
        if not text:
            continue
        if out and out[-1][1] == bold:
            out[-1] = (out[-1][0] + text, bold)
        else:
            out.append((text, bold))
    return out


def dump_segments(text):
    # The dump wraps bold stretches in ** and writes a line break as the two characters \n.
    parts = text.split("**")
    return normalize([(p.replace("\\n", "\n"), i % 2 == 1) for i, p in enumerate(parts)])


def render(segments):
    return "".join(f"**{t}**" if b else t for t, b in segments).replace("\n", "\\n")


TABLE_LINE = re.compile(r"^table (\d+) \(format (\d+), widths ([0-9.e+\- ]*)\)$")
SPAN_SUFFIX = re.compile(r" \(span (\d+)\)$")


def parse_dump(text):
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines or not lines[0].startswith("orientation "):
        raise ValueError(f"the report text does not start with the orientation: {lines[:1]}")
    page = Page(lines[0][len("orientation "):])
    blocks = []
    for line in lines[1:]:
        m = TABLE_LINE.match(line)
        if m:
            fmt = int(m.group(2))
            widths = [float(w) for w in m.group(3).split()]
            blocks.append(TableR(widths, [], set(FORMAT_EDGES.get(fmt, set())), fmt))
        elif line.startswith("| ") and line.endswith(" |") and blocks and isinstance(blocks[-1], TableR):
            cells = []
            for raw in line[2:-2].split(" | "):
                span = 1
                m = SPAN_SUFFIX.search(raw)
                if m:
                    span = int(m.group(1))
                    raw = raw[:m.start()]
                cells.append(CellR(dump_segments(raw), span))
            blocks[-1].rows.append(cells)
        elif line[:4] in ("[C] ", "[L] "):
            blocks.append(Para(line[1], dump_segments(line[4:])))
        else:
            raise ValueError(f"a line of the report text is neither a paragraph nor a table: {line!r}")
    for b in blocks:
        if isinstance(b, TableR):
            for r, cells in enumerate(b.rows, 1):
                if sum(c.span for c in cells) != len(b.widths):
                    raise ValueError(f"row {r} of a table does not cover its {len(b.widths)} columns "
                                     "(a cell text holding ' | ' would read so)")
    return Reading(page, blocks)


# ---- Comparing a reading with the dump --------------------------------------------------------

def describe(block):
    if isinstance(block, Para):
        return f"paragraph [{block.align}] {render(block.segments)[:60]!r}"
    return f"table {len(block.rows)}x{len(block.widths)}"


def compare(expected, actual):
    problems = []
    ep, ap = expected.page, actual.page
    if ap.orientation != ep.orientation:
        problems.append(f"page orientation {ap.orientation}, expected {ep.orientation}")
    long_side, short_side = (ap.width, ap.height) if ep.orientation == "landscape" else (ap.height, ap.width)
    if abs(long_side - PAGE_LONG) > PAGE_TOLERANCE or abs(short_side - PAGE_SHORT) > PAGE_TOLERANCE:
        problems.append(f"page {ap.width:.1f} x {ap.height:.1f} pt is not A4 {ep.orientation}")
    if any(abs(m - PAGE_MARGIN) > PAGE_TOLERANCE for m in ap.margins) or len(ap.margins) != 4:
        problems.append(f"page margins {ap.margins}, expected {PAGE_MARGIN} pt on every side")
    text_width = ap.width - sum(ap.margins[1::2]) if len(ap.margins) == 4 else 0

    kinds_e = [type(b).__name__ for b in expected.blocks]
    kinds_a = [type(b).__name__ for b in actual.blocks]
    if kinds_e != kinds_a:
        problems.append("the blocks differ:\n    expected " + "; ".join(describe(b) for b in expected.blocks) +
                        "\n    read     " + "; ".join(describe(b) for b in actual.blocks))
        return problems
    tables = 0
    for i, (e, a) in enumerate(zip(expected.blocks, actual.blocks), 1):
        if isinstance(e, Para):
            if a.align != e.align:
                problems.append(f"paragraph {i} {render(e.segments)!r}: alignment {a.align}, expected {e.align}")
            if a.segments != e.segments:
                problems.append(f"paragraph {i}: read {render(a.segments)!r}, expected {render(e.segments)!r}")
            continue
        tables += 1
        where = f"table {tables}"
        if len(a.widths) != len(e.widths):
            problems.append(f"{where}: {len(a.widths)} columns, expected {len(e.widths)}")
        else:
            for c, (wa, we) in enumerate(zip(a.widths, e.widths), 1):
                if abs(wa - we) > WIDTH_TOLERANCE:
                    problems.append(f"{where}: column {c} is {wa:.2f} pt wide, expected {we:g}")
            if text_width and sum(a.widths) > text_width + WIDTH_TOLERANCE:
                problems.append(f"{where}: {sum(a.widths):.1f} pt wide, past the text width {text_width:.1f}")
        if len(a.rows) != len(e.rows):
            problems.append(f"{where}: {len(a.rows)} rows, expected {len(e.rows)}")
        for r, (ra, re_) in enumerate(zip(a.rows, e.rows), 1):
            if [c.span for c in ra] != [c.span for c in re_]:
                problems.append(f"{where} row {r}: cell spans {[c.span for c in ra]}, "
                                f"expected {[c.span for c in re_]}")
                continue
            for c, (ca, ce) in enumerate(zip(ra, re_), 1):
                if ca.segments != ce.segments:
                    problems.append(f"{where} row {r} cell {c}: read {render(ca.segments)!r}, "
                                    f"expected {render(ce.segments)!r}")
        # Edges a table of this size cannot show are left out on both sides.
        visible = set(FORMAT_EDGES[16])
        if len(e.rows) < 2:
            visible.discard("insideH")
        if all(len(cells) < 2 for cells in e.rows):
            visible.discard("insideV")
        if e.format not in FORMAT_EDGES:
            problems.append(f"{where}: table format {e.format} has no known borders")
        elif a.edges & visible != e.edges & visible:
            problems.append(f"{where}: lines on {sorted(a.edges & visible)}, "
                            f"expected {sorted(e.edges & visible)} (format {e.format})")
    return problems


# ---- LibreOffice: the OpenDocument it converts each report to ----------------------------------

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
}


def q(name):
    prefix, local = name.split(":")
    return f"{{{NS[prefix]}}}{local}"


UNITS = {"pt": 1.0, "in": 72.0, "cm": 72 / 2.54, "mm": 72 / 25.4, "pc": 12.0, "px": 0.75}


def length_pt(value):
    m = re.fullmatch(r"(-?[0-9.]+)([a-z]+)", value or "")
    if not m or m.group(2) not in UNITS:
        raise ValueError(f"not a length: {value!r}")
    return float(m.group(1)) * UNITS[m.group(2)]


class OdtStyles:
    """Named, automatic and default styles of one document, with inheritance through parents."""

    def __init__(self, *roots):
        self.styles = {}
        self.defaults = {}
        self.page_layouts = {}
        self.master_pages = {}
        for root in roots:
            for el in root.iter(q("style:style")):
                self.styles[(el.get(q("style:family")), el.get(q("style:name")))] = el
            for el in root.iter(q("style:default-style")):
                self.defaults[el.get(q("style:family"))] = el
            for el in root.iter(q("style:page-layout")):
                self.page_layouts[el.get(q("style:name"))] = el
            for el in root.iter(q("style:master-page")):
                self.master_pages[el.get(q("style:name"))] = el

    def prop(self, family, name, props, attr):
        """The attribute as the style, its parents or the family's default style give it."""
        seen = set()
        while name and (family, name) in self.styles and name not in seen:
            seen.add(name)
            el = self.styles[(family, name)]
            p = el.find(q(props))
            if p is not None and p.get(q(attr)) is not None:
                return p.get(q(attr))
            name = el.get(q("style:parent-style-name"))
        d = self.defaults.get(family)
        p = d.find(q(props)) if d is not None else None
        return p.get(q(attr)) if p is not None else None

    def master_page_of(self, family, name):
        """The master page a paragraph or table style starts, through its parents; None for none."""
        seen = set()
        while name and (family, name) in self.styles and name not in seen:
            seen.add(name)
            el = self.styles[(family, name)]
            if el.get(q("style:master-page-name")):
                return el.get(q("style:master-page-name"))
            name = el.get(q("style:parent-style-name"))
        return None


def is_bold(weight):
    return weight is not None and (weight == "bold" or (weight.isdigit() and int(weight) >= 600))


def odt_segments(styles, p):
    """Text of a paragraph with the boldness of every stretch, after ODF's white-space rules."""
    out = []
    para_style = p.get(q("text:style-name"))
    state = {"space": True}  # a space is dropped at the start of a paragraph and after another

    def bold_at(spans):
        for s in reversed(spans):
            w = styles.prop("text", s, "style:text-properties", "fo:font-weight")
            if w is not None:
                return is_bold(w)
        return is_bold(styles.prop("paragraph", para_style, "style:text-properties", "fo:font-weight"))

    def text(t, spans):
        if not t:
            return
        chars = []
        for ch in t:
            if ch in " \t\r\n":
                if not state["space"]:
                    chars.append(" ")
                state["space"] = True
            else:
                chars.append(ch)
                state["space"] = False
        out.append(("".join(chars), bold_at(spans)))

    def walk(el, spans):
        text(el.text, spans)
        for child in el:
            tag = child.tag
            if tag == q("text:s"):
                out.append((" " * int(child.get(q("text:c"), "1")), bold_at(spans)))
                state["space"] = False
            elif tag == q("text:tab"):
                out.append(("\t", bold_at(spans)))
                state["space"] = False
            elif tag == q("text:line-break"):
                out.append(("\n", bold_at(spans)))
                state["space"] = False
            elif tag == q("text:span"):
                walk(child, spans + [child.get(q("text:style-name"))])
            elif tag in (q("text:soft-page-break"), q("text:bookmark"), q("text:bookmark-start"),
                         q("text:bookmark-end"), q("office:annotation")):
                pass
            else:
                walk(child, spans)
            text(child.tail, spans)

    walk(p, [])
    return normalize(out)


def odt_paragraph(styles, p):
    align = styles.prop("paragraph", p.get(q("text:style-name")), "style:paragraph-properties", "fo:text-align")
    return Para("C" if align == "center" else "L", odt_segments(styles, p))


def odt_rows(table):
    for child in table:
        if child.tag == q("table:table-row"):
            yield child
        elif child.tag in (q("table:table-header-rows"), q("table:table-rows"), q("table:table-row-group")):
            yield from odt_rows(child)


def has_line(styles, cell, side):
    name = cell.get(q("table:style-name"))
    v = styles.prop("table-cell", name, "style:table-cell-properties", f"fo:border-{side}")
    if v is None:
        v = styles.prop("table-cell", name, "style:table-cell-properties", "fo:border")
    if v is None or v.strip() in ("", "none"):
        return False
    # "0.5pt solid #000000": a line only when its width is above zero.
    width = next((t for t in v.split() if re.fullmatch(r"[0-9.]+[a-z]+", t)), None)
    return width is None or length_pt(width) > 0


def odt_table(styles, el):
    widths = []
    for col in el.iter(q("table:table-column")):
        w = styles.prop("table-column", col.get(q("table:style-name")),
                        "style:table-column-properties", "style:column-width")
        widths += [length_pt(w) if w else 0.0] * int(col.get(q("table:number-columns-repeated"), "1"))
    rows, grid_rows = [], []
    for tr in odt_rows(el):
        cells, grid = [], []
        for tc in tr:
            if tc.tag == q("table:table-cell"):
                span = int(tc.get(q("table:number-columns-spanned"), "1"))
                paras = [odt_segments(styles, p) for p in tc if p.tag in (q("text:p"), q("text:h"))]
                # A cell holds one paragraph with line breaks; a paragraph end read inside a cell
                # shows as a pilcrow, so that the comparison names it.
                segs = []
                for k, s in enumerate(paras):
                    segs += ([("¶", False)] if k else []) + s
                cells.append(CellR(normalize(segs), span))
                grid += [tc] * span
        rows.append(cells)
        grid_rows.append(grid)
    edges = set()
    if grid_rows and all(grid_rows):
        first, last = grid_rows[0], grid_rows[-1]
        checks = {
            "top": [has_line(styles, c, "top") for c in first],
            "bottom": [has_line(styles, c, "bottom") for c in last],
            "left": [has_line(styles, g[0], "left") for g in grid_rows],
            "right": [has_line(styles, g[-1], "right") for g in grid_rows],
            "insideH": [has_line(styles, a, "bottom") or has_line(styles, b, "top")
                        for up, down in zip(grid_rows, grid_rows[1:]) for a, b in zip(up, down)],
            "insideV": [has_line(styles, g[k], "right") or has_line(styles, g[k + 1], "left")
                        for g in grid_rows for k in range(len(g) - 1) if g[k] is not g[k + 1]],
        }
        edges = {name for name, lines in checks.items() if lines and all(lines)}
        # An edge drawn on some cells only is a finding of its own; "not all" reads as no line.
    return TableR(widths, rows, edges)


def read_odt(path):
    with zipfile.ZipFile(path) as z:
        content = ET.fromstring(z.read("content.xml"))
        styles_root = ET.fromstring(z.read("styles.xml"))
    styles = OdtStyles(styles_root, content)
    body = content.find(f"{q('office:body')}/{q('office:text')}")
    blocks = []
    first = []  # the style that starts the text, which names its master page if any

    def walk(el):
        for child in el:
            if child.tag in (q("text:p"), q("text:h")):
                first.append(("paragraph", child.get(q("text:style-name"))))
                blocks.append(odt_paragraph(styles, child))
            elif child.tag == q("table:table"):
                first.append(("table", child.get(q("table:style-name"))))
                blocks.append(odt_table(styles, child))
            elif child.tag == q("text:section"):
                walk(child)

    walk(body)
    master = (styles.master_page_of(*first[0]) if first else None) or "Standard"
    layout = styles.page_layouts.get(styles.master_pages[master].get(q("style:page-layout-name")))
    props = layout.find(q("style:page-layout-properties"))
    width, height = length_pt(props.get(q("fo:page-width"))), length_pt(props.get(q("fo:page-height")))
    margins = tuple(length_pt(props.get(q(f"fo:margin-{s}"), "0pt")) for s in ("top", "right", "bottom", "left"))
    orient = props.get(q("style:print-orientation"))
    # The orientation LibreOffice prints with has to agree with the page's own proportions.
    if orient not in ("portrait", "landscape") or (orient == "landscape") != (width > height):
        orient = f"{orient} on a {width:.0f} x {height:.0f} pt page"
    return Reading(Page(orient, width, height, margins), blocks)


def convert_all(docx_paths, workdir, timeout):
    """Converts every document to OpenDocument in one LibreOffice run; returns the output folder."""
    out = workdir / "odt"
    out.mkdir()
    profile = (workdir / "lo-profile").resolve().as_uri()
    cmd = ["soffice", f"-env:UserInstallation={profile}", "--headless", "--norestore",
           "--convert-to", "odt", "--outdir", str(out)] + [str(p) for p in docx_paths]
    run = subprocess.run(cmd, capture_output=True, text=True, timeout=timeout)
    if run.returncode != 0:
        raise RuntimeError(f"soffice exited {run.returncode}:\n{run.stdout}{run.stderr}")
    return out


def check_libreoffice(docs, workdir, timeout):
    results = {}
    out = convert_all([d.path for d in docs], workdir, timeout)
    for d in docs:
        odt = out / (d.path.stem + ".odt")
        if not odt.exists() or odt.stat().st_size == 0:
            results[d.name] = ["LibreOffice converted nothing: no " + odt.name]
            continue
        try:
            results[d.name] = compare(d.dump, read_odt(odt))
        except (KeyError, ValueError, AttributeError, zipfile.BadZipFile, ET.ParseError) as e:
            results[d.name] = [f"the converted document cannot be read: {type(e).__name__}: {e}"]
    return results


# ---- python-docx: the .docx read directly ----------------------------------------------------

def read_docx(path):
    import docx
    from docx.enum.section import WD_ORIENT
    from docx.enum.text import WD_ALIGN_PARAGRAPH
    from docx.oxml.ns import qn
    from docx.table import Table
    from docx.text.paragraph import Paragraph

    problems = []
    with zipfile.ZipFile(path) as z:
        bad = z.testzip()
        if bad is not None:
            problems.append(f"the package part {bad} fails its CRC check")
    document = docx.Document(str(path))

    def segments(p):
        return normalize([(r.text, bool(r.bold)) for r in p.runs])

    def paragraph(p):
        centred = p.alignment == WD_ALIGN_PARAGRAPH.CENTER
        if p.alignment not in (None, WD_ALIGN_PARAGRAPH.LEFT, WD_ALIGN_PARAGRAPH.CENTER):
            problems.append(f"a paragraph aligned {p.alignment}")
        return Para("C" if centred else "L", segments(p))

    def table(tbl, number):
        t = Table(tbl, document)
        widths = [gc.w.pt if gc.w is not None else 0.0 for gc in tbl.tblGrid.gridCol_lst]
        rows = []
        # python-docx finds a cell by its grid position only when every row covers the grid.
        whole = all(sum(tc.grid_span for tc in tr.tc_lst) == len(widths) for tr in tbl.tr_lst)
        for r, tr in enumerate(tbl.tr_lst):
            cells, grid = [], 0
            if sum(tc.grid_span for tc in tr.tc_lst) != len(widths):
                problems.append(f"table {number} row {r + 1} covers {sum(tc.grid_span for tc in tr.tc_lst)} "
                                f"of {len(widths)} grid columns")
            for tc in tr.tc_lst:
                span = tc.grid_span
                ps = tc.p_lst
                where = f"table {number} row {r + 1} grid column {grid + 1}"
                if len(ps) != 1:
                    problems.append(f"{where}: {len(ps)} paragraphs in one cell")
                if tc.vMerge is not None:
                    problems.append(f"{where}: a vertical merge ({tc.vMerge})")
                # The cell's own width has to be the width of the grid columns it covers.
                own = tc.width.pt if tc.width is not None else None
                covered = sum(widths[grid:grid + span])
                if own is None or abs(own - covered) > WIDTH_TOLERANCE:
                    problems.append(f"{where}: cell width {own} pt, its {span} columns make {covered:.2f}")
                # python-docx gives a merged cell at every grid position it covers.
                if whole:
                    if any(t.cell(r, grid + k)._tc is not tc for k in range(span)):
                        problems.append(f"{where}: python-docx does not find the cell over its {span} columns")
                cells.append(CellR(segments(Paragraph(ps[0], t)) if ps else [], span))
                grid += span
            rows.append(cells)
        edges = set()
        borders = tbl.tblPr.find(qn("w:tblBorders")) if tbl.tblPr is not None else None
        if borders is not None:
            for el in borders:
                side = el.tag.split("}")[1]
                side = {"start": "left", "end": "right"}.get(side, side)
                if el.get(qn("w:val")) not in (None, "nil", "none"):
                    edges.add(side)
        return TableR(widths, rows, edges)

    blocks, tables = [], 0
    for child in document.element.body.iterchildren():
        if child.tag == qn("w:p"):
            blocks.append(paragraph(Paragraph(child, document)))
        elif child.tag == qn("w:tbl"):
            tables += 1
            blocks.append(table(child, tables))
    if len(document.sections) != 1:
        problems.append(f"{len(document.sections)} sections, expected one")
    s = document.sections[-1]
    orient = {WD_ORIENT.LANDSCAPE: "landscape", WD_ORIENT.PORTRAIT: "portrait"}.get(s.orientation, str(s.orientation))
    if (orient == "landscape") != (s.page_width > s.page_height):
        orient = f"{orient} on a {s.page_width.pt:.0f} x {s.page_height.pt:.0f} pt page"
    margins = tuple(m.pt if m is not None else 0.0
                    for m in (s.top_margin, s.right_margin, s.bottom_margin, s.left_margin))
    return Reading(Page(orient, s.page_width.pt, s.page_height.pt, margins), blocks), problems


def check_python_docx(docs):
    results = {}
    for d in docs:
        try:
            reading, problems = read_docx(d.path)
            results[d.name] = problems + compare(d.dump, reading)
        except Exception as e:  # a document python-docx cannot open is the finding itself
            results[d.name] = [f"python-docx cannot read the document: {type(e).__name__}: {e}"]
    return results


# ---- Producing the documents ------------------------------------------------------------------

@dataclass
class Doc:
    name: str
    path: Path
    dump: Reading
    text: str


class Failure(Exception):
    pass


def run_script(tool, data_dir, tmp_dir, script):
    env = dict(os.environ, TMPDIR=str(tmp_dir))
    run = subprocess.run([str(tool)], input="today 01.06.2006\nstart\n" + script, cwd=data_dir, env=env,
                         capture_output=True, text=True, timeout=120)
    # A line the driver does not understand prints "script: ..." and fails the run.
    if run.returncode != 0 or any(ln.startswith("script: ") for ln in run.stdout.split("\n")):
        raise Failure(f"zelt-script exited {run.returncode}:\n{run.stdout}{run.stderr}")
    return run.stdout


def split_document(output, what, tmp_dir):
    """The written file and the report text from an output that ends with the `report` verb."""
    lines = output.split("\n")
    paths = [ln[len("document: "):] for ln in lines if ln.startswith("document: ")]
    if len(paths) != 1:
        raise Failure(f"{what}: expected one 'document:' line, got {len(paths)}:\n{output}")
    path = Path(paths[0])
    if path.parent.resolve() != Path(tmp_dir).resolve() or path.suffix != ".docx" or not path.is_file():
        raise Failure(f"{what}: the document {path} is not a .docx file in the temporary folder {tmp_dir}")
    start = next((i for i, ln in enumerate(lines) if ln.startswith("orientation ")), None)
    if start is None:
        raise Failure(f"{what}: no report text:\n{output}")
    errors = [ln for ln in lines[:start] if ln.startswith("error: ")]
    if errors:
        raise Failure(f"{what}: " + "; ".join(errors))
    return path, "\n".join(lines[start:])


def report_script(report, position):
    lines = [f"click {report.register}"]
    if report.record_table:
        lines.append(f"table {report.record_table} {position}")
    lines += [report.before + f"click {report.item}\n" + report.after + "report"]
    return "\n".join(lines) + "\n"


def make_documents(args, workdir, reports):
    """The documents, and what went wrong making the ones that are missing."""
    docs, failures = [], []
    datasets = []
    seeded = workdir / "seeded"
    subprocess.run([args.init, str(seeded)], check=True, capture_output=True, timeout=60)
    for name, lines in SEEDED_LISTS.items():
        (seeded / name).write_bytes("".join(line + "\r\n" for line in lines).encode("cp1251"))
    seed_out = run_script(args.script, seeded, workdir, SEED_SCRIPT.lstrip())
    shown = [ln for ln in seed_out.split("\n") if ln.startswith(("error: ", "message: ", "confirm "))]
    if shown:
        raise Failure("seeding the records showed the user:\n" + "\n".join(shown))
    datasets.append(("seeded", seeded, "first"))
    demo = workdir / "demo"
    subprocess.run([args.init, "--demo", "--seed", "11", "--minors", "14", "--families", "9", "--others", "0",
                    "--institutions", "0", "--today", "01.06.2006", str(demo)],
                   check=True, capture_output=True, timeout=60)
    datasets.append(("demo", demo, "last"))

    collected = workdir / "docx"
    collected.mkdir()
    # One report that fails to come out does not keep the others from being checked.
    for label, data_dir, position in datasets:
        for report in reports:
            tmp = workdir / f"tmp-{label}-{report.item}"
            tmp.mkdir()
            name = f"{label}-{report.item}"
            try:
                out = run_script(args.script, data_dir, tmp, report_script(report, position))
                path, text = split_document(out, name, tmp)
                dump = parse_dump(text)
                if dump.page.orientation != report.orientation:
                    raise Failure(f"{name}: laid out {dump.page.orientation}, a {report.orientation} report")
                if not any(isinstance(b, TableR) for b in dump.blocks) and report.record_table == "":
                    raise Failure(f"{name}: a data bank without its table")
                if label == "seeded":
                    missing = [s for s in SEEDED_CONTENT.get(report.item, []) if s not in text]
                    if missing:
                        raise Failure(f"{name}: the seeded records do not show: {missing}\n{text}")
            except (Failure, ValueError, subprocess.TimeoutExpired) as e:
                failures.append(str(e) if str(e).startswith(name) else f"{name}: {e}")
                continue
            target = collected / f"{name}.docx"
            shutil.copyfile(path, target)
            docs.append(Doc(name, target, dump, text))
    if args.merged:
        tmp = workdir / "tmp-merged"
        tmp.mkdir()
        run = subprocess.run([args.merged, str(tmp)], capture_output=True, text=True, timeout=60)
        if run.returncode != 0:
            raise Failure(f"the merged-cells document: exit {run.returncode}\n{run.stdout}{run.stderr}")
        path, text = split_document(run.stdout, "merged-cells", tmp)
        dump = parse_dump(text)
        if not any(c.span > 1 for b in dump.blocks if isinstance(b, TableR) for row in b.rows for c in row):
            raise Failure("the merged-cells document has no merged cell:\n" + text)
        target = collected / "merged-cells.docx"
        shutil.copyfile(path, target)
        docs.append(Doc("merged-cells", target, dump, text))
    return docs, failures


# ---- Main -------------------------------------------------------------------------------------

def have_python_docx():
    try:
        import docx
    except ImportError:
        return False
    return hasattr(docx, "Document")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--script", required=True, help="the zelt-script driver")
    ap.add_argument("--init", required=True, help="zelt-init")
    ap.add_argument("--merged", help="the program writing the merged-cells document")
    ap.add_argument("--reader", action="append", choices=["libreoffice", "python-docx"],
                    help="a reader to check with (both when none is given)")
    ap.add_argument("--reports", help="menu items to run, comma-separated (all when omitted)")
    ap.add_argument("--keep", action="store_true", help="keep the working folder and print its path")
    ap.add_argument("--soffice-timeout", type=int, default=300)
    args = ap.parse_args()

    readers = args.reader or ["libreoffice", "python-docx"]
    if "libreoffice" in readers and shutil.which("soffice") is None:
        print("SKIP: soffice is not installed (Debian package libreoffice-writer-nogui)")
        return SKIP
    if "python-docx" in readers and not have_python_docx():
        print(f"SKIP: python-docx is not importable by {sys.executable} (Debian package python3-docx)")
        return SKIP
    reports = REPORTS
    if args.reports:
        wanted = args.reports.split(",")
        unknown = set(wanted) - {r.item for r in REPORTS}
        if unknown:
            ap.error(f"unknown report items: {sorted(unknown)}")
        reports = [r for r in REPORTS if r.item in wanted]

    started = time.monotonic()
    workdir = Path(tempfile.mkdtemp(prefix="zelt-word-processor-"))
    failed = 0
    try:
        try:
            docs, failures = make_documents(args, workdir, reports)
        except (Failure, ValueError, subprocess.CalledProcessError, subprocess.TimeoutExpired) as e:
            print(f"FAIL: the documents could not be made: {e}")
            return 1
        for f in failures:
            print(f"FAIL {f}")
        failed = len(failures)
        print(f"{len(docs)} documents made in {time.monotonic() - started:.1f} s")
        for reader in readers:
            t0 = time.monotonic()
            try:
                results = (check_libreoffice(docs, workdir, args.soffice_timeout) if reader == "libreoffice"
                           else check_python_docx(docs))
            except (RuntimeError, subprocess.TimeoutExpired) as e:
                print(f"FAIL [{reader}]: {e}")
                failed += len(docs)
                continue
            for d in docs:
                problems = results.get(d.name, ["not checked"])
                if problems:
                    failed += 1
                    print(f"FAIL [{reader}] {d.name}:")
                    for p in problems:
                        print(f"  - {p}")
                else:
                    print(f"ok   [{reader}] {d.name}")
            print(f"[{reader}] {time.monotonic() - t0:.1f} s")
        print(f"readings that agree with the report text: {len(docs) * len(readers) - failed + len(failures)}; "
              f"failures: {failed}")
    finally:
        if args.keep:
            print(f"kept: {workdir}")
        else:
            shutil.rmtree(workdir, ignore_errors=True)
    print(f"total {time.monotonic() - started:.1f} s")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
