"""A private CUPS with one CUPS-PDF queue for one session, and the PDFs it
writes read back with poppler as pages of words placed in points from the
paper's top left corner (72 a inch)."""

import re
import shutil
import subprocess
import tempfile
from html import unescape
from pathlib import Path

from harness import check, die_with_parent, poll, run

CUPS_PDF_PPD = Path("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")
FULL_A4_AREA = '*ImageableArea A4/A4: "0 0 595 842"'
INSET_A4_AREA = '*ImageableArea A4/A4: "18 36 577 806"'  # 0.25 in left and right, 0.5 in top and bottom


def cups_with_queue(paper):
    """A session's before_wine step: a private cupsd whose default queue prints
    to PDF on paper "A4", "Letter" or "inset A4" (a printable area inset from
    the paper's edges); None: no CUPS answers at all."""

    def start(s):
        # CUPS runs its filters as lp, which may not enter the checkout (a home
        # of mode 700), and its socket path must be short and plain: so the
        # spool lives in a temporary folder of its own; the logs stay with the case.
        folder = Path(tempfile.mkdtemp(prefix="scrivlet-cups-"))
        folder.chmod(0o755)
        s.stack.callback(shutil.rmtree, folder, ignore_errors=True)
        s.env["CUPS_SERVER"] = str(folder / "cups.sock")
        if paper is None:
            return
        for name in ("root", "spool", "cache", "state", "pdf", "pdf-spool", "tmp"):
            (folder / name).mkdir()
        (folder / "tmp").chmod(0o1777)
        logs = s.folder / "cups"
        logs.mkdir()
        folders = ("ServerRoot root", "RequestRoot spool", "TempDir tmp", "CacheDir cache", "StateDir state")
        (folder / "cups-files.conf").write_text(
            "".join(f"{key} {folder / path}\n" for key, path in map(str.split, folders))
            + "".join(f"{key} {logs / name}\n" for key, name in
                      (("AccessLog", "access_log"), ("ErrorLog", "error_log"), ("PageLog", "page_log")))
            + "SystemGroup root\n")
        (folder / "cupsd.conf").write_text(f"Listen {folder / 'cups.sock'}\nBrowsing No\nDefaultAuthType None\n")
        # CUPS-PDF reads its settings from /etc/cups only: a mount namespace of
        # cupsd's own lays this file over them, so the PDFs land in the spool folder.
        (folder / "cups-pdf.conf").write_text(
            f"Out {folder / 'pdf'}\nAnonDirName {folder / 'pdf'}\nSpool {folder / 'pdf-spool'}\n"
            f"GSTmp {folder / 'pdf-spool'}\nLog {folder / 'pdf-spool'}\n")
        s.pdf_folder = folder / "pdf"
        log = s.stack.enter_context(open(logs / "cupsd.log", "wb"))
        cupsd = subprocess.Popen(
            ["unshare", "--mount", "--propagation", "private", "sh", "-c",
             'mount --bind "$0" /etc/cups/cups-pdf.conf && exec cupsd -f -c "$1" -s "$2"',
             folder / "cups-pdf.conf", folder / "cupsd.conf", folder / "cups-files.conf"],
            stdout=log, stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        s.stack.callback(s.end_process, cupsd)

        def scheduler():
            check(cupsd.poll() is None, f"cupsd exited with {cupsd.returncode}; see {logs / 'cupsd.log'}")
            return run(["lpstat", "-r"], env=s.env).startswith(b"scheduler is running")  # exits 0 either way

        poll("the private cupsd to answer", scheduler)
        ppd, options = CUPS_PDF_PPD, []
        if paper == "inset A4":
            check(ppd.exists(), f"{ppd} is missing: install printer-driver-cups-pdf")
            described = ppd.read_text(encoding="latin-1")
            check(FULL_A4_AREA in described, f"{ppd} has no line {FULL_A4_AREA}")
            ppd = folder / "inset-a4.ppd"
            ppd.write_text(described.replace(FULL_A4_AREA, INSET_A4_AREA), encoding="latin-1")
        elif paper == "Letter":
            options = ["-o", "PageSize=Letter"]
        queue = "Scrivlet-" + paper.replace(" ", "-")  # Wine keeps each queue's settings under its name
        run(["lpadmin", "-p", queue, "-E", "-v", "cups-pdf:/", "-P", ppd, *options], env=s.env)
        run(["lpadmin", "-d", queue], env=s.env)

    return start


def jobs(s):
    return run(["lpstat", "-o"], env=s.env).decode().strip()


def printed_pdf(s, name):
    """Waits for the one PDF of the job just printed: complete and its job gone
    from the queue. Keeps it as build/e2e/CASE/NAME.pdf and returns its pages:
    for each, (width, height, words as (text, left, top, right, bottom))."""
    def complete():
        found = list(s.pdf_folder.glob("*.pdf"))
        check(len(found) <= 1, f"more than one PDF: {found}")
        done = found and subprocess.run(["pdfinfo", found[0]], capture_output=True).returncode == 0
        return found[0] if done and not jobs(s) else None

    pdf = Path(shutil.move(poll("the PDF of the job", complete), s.folder / f"{name}.pdf"))
    text = run(["pdftotext", "-bbox", pdf, "-"]).decode()
    pages = []
    for width, height, body in re.findall(r'<page width="([\d.]+)" height="([\d.]+)">(.*?)</page>', text, re.S):
        words = [(unescape(word), *map(float, box)) for *box, word in
                 re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*?)</word>',
                            body)]
        pages.append((float(width), float(height), words))
    check(pages, f"{pdf} has no pages: {text}")
    return pages
