#!/usr/bin/env python3
"""A data bank of a real register's size as LibreOffice prints it.

A register of a few thousand minors gives a data bank of well over a hundred pages. The test makes
one of about 2,500 rows (the live minors' data bank over a generated data directory), has
LibreOffice convert it to PDF, and reads every page's text with pdftotext: each page has to begin
with the table's header row (the first page after the title), and the first thing after the header
has to be the start of a row, its number, with numbers rising from page to page: a row broken
across a page boundary would start the next page with the rest of its cells instead.

By hand, from the source folder after a build:
  python3 tests/word_processor/long_table_pages_test.py --script build/tools/zelt-script \
      --init build/tools/zelt-init [--minors 3700] [--keep]

Exit status: 0 when every page agrees, 1 when one does not or the document cannot be made, 77 when
soffice or pdftotext is not installed (CTest's skip code).
"""

import argparse
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from report_documents_test import (SKIP, Failure, Para, TableR, parse_dump,  # noqa: E402
                                   run_script, split_document)

# A quarter of the generated minors are archived, and not every live one is listed: about 3,700
# generated minors give about 2,500 rows.
DEFAULT_MINORS = 3700
MIN_ROWS = 2000


def squeeze(text):
    """The text with all white space removed: pdftotext breaks lines wherever the cell wraps them."""
    return re.sub(r"\s+", "", text)


def cell_text(cell):
    return "".join(t for t, _ in cell.segments)


def make_bank(args, workdir):
    data = workdir / "data"
    subprocess.run([args.init, "--demo", "--seed", "5", "--minors", str(args.minors), "--families", "1",
                    "--others", "0", "--institutions", "0", "--today", "01.06.2006", str(data)],
                   check=True, capture_output=True, timeout=120)
    tmp = workdir / "tmp"
    tmp.mkdir()
    out = run_script(args.script, data, tmp, "click N49\nclick N155\nreport\n")
    path, text = split_document(out, "N155", tmp)
    return path, parse_dump(text)


def to_pages(docx, workdir, timeout):
    """The PDF's pages as pdftotext reads them, in the order the page draws its text."""
    profile = (workdir / "lo-profile").resolve().as_uri()
    pdf_dir = workdir / "pdf"
    run = subprocess.run(["soffice", f"-env:UserInstallation={profile}", "--headless", "--norestore",
                          "--convert-to", "pdf", "--outdir", str(pdf_dir), str(docx)],
                         capture_output=True, text=True, timeout=timeout)
    pdf = pdf_dir / (docx.stem + ".pdf")
    if run.returncode != 0 or not pdf.is_file():
        raise Failure(f"soffice exited {run.returncode} without {pdf.name}:\n{run.stdout}{run.stderr}")
    text = subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", str(pdf), "-"], check=True,
                          capture_output=True, timeout=60).stdout.decode("utf-8")
    pages = text.split("\f")
    if pages and not pages[-1].strip():
        pages.pop()  # pdftotext ends every page, the last one too, with a form feed
    return pages


def check_pages(dump, pages):
    problems = []
    tables = [b for b in dump.blocks if isinstance(b, TableR)]
    if len(tables) != 1:
        return [f"the data bank has {len(tables)} tables, expected one"]
    table = tables[0]
    rows = len(table.rows) - 1
    if rows < MIN_ROWS:
        problems.append(f"only {rows} rows in the data bank, too few to check page breaks with")
    header = squeeze("".join(cell_text(c) for c in table.rows[0]))
    title = squeeze("".join(t for b in dump.blocks[:dump.blocks.index(table)] if isinstance(b, Para)
                            for t, _ in b.segments))
    if len(pages) < 2:
        problems.append(f"{len(pages)} page(s): the table does not run over a page")
    previous = 0
    for n, page in enumerate(pages, 1):
        text = squeeze(page)
        lead = title if n == 1 else ""
        if not text.startswith(lead + header):
            problems.append(f"page {n} does not begin with the header row: {page[:120]!r}")
            continue
        m = re.match(r"\d+", text[len(lead + header):])
        if not m or int(m.group()) <= previous:
            problems.append(f"page {n} does not go on with a row after row {previous}: "
                            f"{text[len(lead + header):][:60]!r}")
            continue
        previous = int(m.group())
    last = cell_text(table.rows[-1][0])
    if pages and squeeze(last) not in squeeze(pages[-1]):
        problems.append(f"the last row, number {last}, is not on the last page")
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--script", required=True, help="the zelt-script driver")
    ap.add_argument("--init", required=True, help="zelt-init")
    ap.add_argument("--minors", type=int, default=DEFAULT_MINORS, help="minors to generate")
    ap.add_argument("--keep", action="store_true", help="keep the working folder and print its path")
    ap.add_argument("--soffice-timeout", type=int, default=240)
    args = ap.parse_args()
    # The driver runs inside the data directory: paths given from elsewhere are made absolute.
    args.script, args.init = (str(Path(p).resolve()) for p in (args.script, args.init))
    for tool, package in (("soffice", "libreoffice-writer-nogui"), ("pdftotext", "poppler-utils")):
        if shutil.which(tool) is None:
            print(f"SKIP: {tool} is not installed (Debian package {package})")
            return SKIP

    started = time.monotonic()
    workdir = Path(tempfile.mkdtemp(prefix="zelt-long-table-"))
    try:
        try:
            docx, dump = make_bank(args, workdir)
            made = time.monotonic()
            pages = to_pages(docx, workdir, args.soffice_timeout)
        except (Failure, ValueError, subprocess.CalledProcessError, subprocess.TimeoutExpired) as e:
            print(f"FAIL: the data bank could not be made or converted: {e}")
            return 1
        rows = len(next(b for b in dump.blocks if isinstance(b, TableR)).rows) - 1
        print(f"{rows} rows made in {made - started:.1f} s; {len(pages)} pages "
              f"converted in {time.monotonic() - made:.1f} s")
        problems = check_pages(dump, pages)
        for p in problems:
            print(f"FAIL {p}")
        if not problems:
            print(f"ok   every one of the {len(pages)} pages begins with the header row and a whole row")
    finally:
        if args.keep:
            print(f"kept: {workdir}")
        else:
            shutil.rmtree(workdir, ignore_errors=True)
    print(f"total {time.monotonic() - started:.1f} s")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
