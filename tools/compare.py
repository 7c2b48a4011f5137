#!/usr/bin/env python3
"""Trimvale against HTML Tidy on the same pages: output size, rendered fidelity and time.

For every page of ../shared/corpus (and of any folder or page given) both programs run as whole
processes, alternating, several times; the median wall-clock time of each is printed with the
ratio. Both outputs are rendered in headless Chromium and compared with the rendered original the
way tools/fidelity.py does it. See docs/fidelity.md.
"""
import pathlib
import re
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import fidelity  # noqa: E402

DEFAULT_OUT = fidelity.ROOT / "build" / "compare"

# The configuration for word-processor pages, plus: --force-output, since Tidy otherwise writes
# nothing for a page with errors it does not repair; and what Tidy cannot find out by itself:
# Tidy reads every page as UTF-8 unless told otherwise and drops the page's own charset
# declaration, which garbles the text of every page in another encoding. So the input encoding
# is taken from the page's byte-order mark or declared charset where Tidy knows it, and Tidy
# writes UTF-8 with a charset declaration of its own. Pages in an encoding Tidy does not know
# are passed through as raw bytes.
TIDY_BASE = ["tidy", "-q", "--word-2000", "yes", "--bare", "yes", "--clean", "yes",
             "--drop-proprietary-attributes", "yes", "--indent", "auto", "--wrap", "70", "--force-output", "yes"]
TIDY_ENCODINGS = {
    "utf-8": "utf8", "utf8": "utf8", "windows-1252": "win1252", "cp1252": "win1252",
    "iso-8859-1": "latin1", "latin1": "latin1", "iso-8859-15": "latin0", "us-ascii": "ascii",
    "macintosh": "mac", "x-mac-roman": "mac", "shift_jis": "shiftjis", "shift-jis": "shiftjis",
    "big5": "big5", "utf-16": "utf16", "unicode": "utf16",
}
_CHARSET = re.compile(rb"<meta[^>]*charset\s*=\s*[\"']?\s*([A-Za-z0-9_.:-]+)", re.I)


def TidyEncodingArgs(data):
    if data.startswith(b"\xef\xbb\xbf"):
        encoding = "utf8"
    elif data.startswith(b"\xff\xfe"):
        encoding = "utf16le"
    elif data.startswith(b"\xfe\xff"):
        encoding = "utf16be"
    else:
        match = _CHARSET.search(data[:4096])
        encoding = TIDY_ENCODINGS.get(match.group(1).decode("ascii").lower()) if match else None
        if match is None:
            encoding = "win1252"  # what a page without a declaration is read as here
    if encoding is None:
        return ["-raw"]
    return ["--input-encoding", encoding, "--output-encoding", "utf8", "--add-meta-charset", "yes"]


# Generators of word processors as the corpus manifest names them; pages by web editors and
# hand-written pages are not what the clean-up is for, so they get a sum of their own.
WORD_PROCESSORS = re.compile(r"Microsoft Word|OpenOffice|LibreOffice|WordPerfect", re.I)


def WordProcessorPages(paths):
    """The pages among `paths` whose folder's MANIFEST.tsv names a word processor as generator."""
    found = set()
    for folder in {path.parent for path in paths}:
        manifest = folder / "MANIFEST.tsv"
        if not manifest.exists():
            continue
        rows = [line.split("\t") for line in manifest.read_text(encoding="utf-8").splitlines()]
        if not rows or "generator" not in rows[0]:
            continue
        column = rows[0].index("generator")
        for row in rows[1:]:
            if len(row) > column and WORD_PROCESSORS.search(row[column]):
                found.add(folder / row[0])
    return found


def Timed(command):
    start = time.perf_counter()
    result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start, result.returncode


def main(argv=None):
    def extra(parser):
        parser.add_argument("--runs", type=int, default=5, help="timed runs of each program per page (default 5)")
        parser.add_argument("--out", default=str(DEFAULT_OUT), help="where screenshots of differing pages go")
        parser.add_argument("--no-render", action="store_true", help="sizes and times only")

    args = fidelity.ParseArguments(__doc__.split("\n\n")[0], argv, extra)
    fidelity.CheckTools("tidy")
    out = fidelity.FreshFolder(args.out)
    stage = fidelity.CStage()
    browser = None if args.no_render else fidelity.CBrowser(scripts=not args.no_scripts)
    pages = args.pages
    width = max(24, max(len(name) for name, _, _ in pages))
    print(f"{'':<{width}} {'Größe in Byte':^29} {'Pixel verschieden':^17} {'Text gleich':^11} "
          f"{'Zeit, Median ms':^27}")
    print(f"{'Seite':<{width}} {'Original':>9} {'Trimvale':>9} {'Tidy':>9} {'Trimvale':>8} {'Tidy':>8} "
          f"{'Trim':>5} {'Tidy':>5} {'Trimvale':>8} {'Tidy':>8} {'Tidy/Tr':>9}")
    word_pages = WordProcessorPages([path for _, path, _ in pages])
    word = {"pages": 0, "orig": 0, "trim": 0, "tidy": 0}
    totals = {"orig": 0, "trim": 0, "tidy": 0, "t_trim": 0.0, "t_tidy": 0.0, "pages": 0,
              "px_trim": [], "px_tidy": [], "text_trim": 0, "text_tidy": 0}
    failures = []
    tidy_errors = set()  # pages Tidy reported errors for (status 2); its forced output still counts
    try:
        for name, path, _ in pages:
            data = path.read_bytes()
            folder = stage.Folder(path)
            orig_copy = stage.Place(path, "original", data)
            trim_out = folder / f".trimvale-{path.name}"
            tidy_out = folder / f".tidy-{path.name}"
            settings = stage.root / "settings.ini"
            trim_cmd = [str(args.cli), "optimize", "--settings", str(settings), *args.optimize_args,
                        "-o", str(trim_out), str(path)]
            tidy_cmd = TIDY_BASE + TidyEncodingArgs(data) + ["-o", str(tidy_out), str(path)]
            times_trim, times_tidy = [], []
            for run in range(args.runs):
                # Alternate which program goes first, so that neither always meets a warm cache.
                order = ((trim_cmd, times_trim), (tidy_cmd, times_tidy))
                for command, times in order if run % 2 == 0 else reversed(order):
                    if command is trim_cmd and settings.exists():
                        settings.unlink()
                    seconds, status = Timed(command)
                    times.append(seconds)
                    if command is trim_cmd and status != 0:
                        failures.append(f"{name}: trimvale-cli Status {status}")
                    if command is tidy_cmd and status not in (0, 1):  # 1: warnings only
                        tidy_errors.add(name)
            t_trim, t_tidy = statistics.median(times_trim), statistics.median(times_tidy)
            size_trim = trim_out.stat().st_size if trim_out.exists() else 0
            size_tidy = tidy_out.stat().st_size if tidy_out.exists() else 0
            if not size_tidy:
                failures.append(f"{name}: tidy schrieb nichts")
            columns = ["-"] * 4
            if browser and size_trim and size_tidy:
                work = fidelity.FreshFolder(stage.root / "renders")
                reference = fidelity.COriginal(browser, orig_copy, work)
                page_out = out / fidelity.SafeName(name)
                results = []
                for label, page in (("trimvale", trim_out), ("tidy", tidy_out)):
                    render = browser.Render(page, str(work / label))
                    results.append(reference.Compare(render, page_out, label))
                columns = [f"{results[0]['percent']:.3f}%", f"{results[1]['percent']:.3f}%",
                           "ja" if results[0]["textEqual"] else "nein", "ja" if results[1]["textEqual"] else "nein"]
                totals["px_trim"].append(results[0]["percent"])
                totals["px_tidy"].append(results[1]["percent"])
                totals["text_trim"] += results[0]["textEqual"]
                totals["text_tidy"] += results[1]["textEqual"]
            totals["pages"] += 1
            totals["orig"] += len(data)
            totals["trim"] += size_trim
            totals["tidy"] += size_tidy
            totals["t_trim"] += t_trim
            if path in word_pages:
                for key, size in (("orig", len(data)), ("trim", size_trim), ("tidy", size_tidy)):
                    word[key] += size
                word["pages"] += 1
            totals["t_tidy"] += t_tidy
            ratio = t_tidy / t_trim if t_trim else 0.0
            print(f"{name:<{width}} {len(data):>9} {size_trim:>9} {size_tidy:>9} {columns[0]:>8} {columns[1]:>8} "
                  f"{columns[2]:>5} {columns[3]:>5} {t_trim * 1000:>8.1f} {t_tidy * 1000:>8.1f} {ratio:>8.2f}x",
                  flush=True)
    finally:
        if browser:
            browser.close()
        stage.Remove()

    mb = totals["orig"] / 1e6
    print()
    print(f"Seiten: {totals['pages']}, {args.runs} Läufe je Programm und Seite, abwechselnd")
    print(f"Größe: Original {totals['orig']} Byte; Trimvale {totals['trim']} Byte "
          f"({fidelity.Percent(totals['orig'] - totals['trim'], totals['orig']):.1f} % gespart); "
          f"Tidy {totals['tidy']} Byte ({fidelity.Percent(totals['orig'] - totals['tidy'], totals['orig']):.1f} % gespart)")
    if word["pages"]:
        print(f"Textverarbeitungsseiten ({word['pages']}): Original {word['orig']} Byte; Trimvale {word['trim']} Byte "
              f"({fidelity.Percent(word['orig'] - word['trim'], word['orig']):.1f} % gespart); "
              f"Tidy {word['tidy']} Byte ({fidelity.Percent(word['orig'] - word['tidy'], word['orig']):.1f} % gespart)")
    if totals["px_trim"]:
        for label, key, text_key in (("Trimvale", "px_trim", "text_trim"), ("Tidy", "px_tidy", "text_tidy")):
            values = totals[key]
            within = sum(v <= fidelity.PIXEL_LIMIT_PERCENT for v in values)
            print(f"Pixel {label}: Median {statistics.median(values):.3f} %, höchstens {max(values):.3f} %, "
                  f"{within} von {len(values)} Seiten bis {fidelity.PIXEL_LIMIT_PERCENT} %; "
                  f"Text gleich auf {totals[text_key]} Seiten")
    if totals["t_trim"] and totals["t_tidy"]:
        print(f"Zeit (Summe der Mediane): Trimvale {totals['t_trim']:.3f} s ({mb / totals['t_trim']:.2f} MB/s), "
              f"Tidy {totals['t_tidy']:.3f} s ({mb / totals['t_tidy']:.2f} MB/s), "
              f"Tidy/Trimvale {totals['t_tidy'] / totals['t_trim']:.2f}x")
    if tidy_errors:
        print("Tidy meldete Fehler (Status 2), Ausgabe mit --force-output: " + ", ".join(sorted(tidy_errors)))
    if failures:
        print("Fehlgeschlagen: " + "; ".join(sorted(set(failures))))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
