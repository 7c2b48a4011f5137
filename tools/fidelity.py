#!/usr/bin/env python3
"""Fidelity check: does an optimized page render like the original?

For every page of ../shared/corpus (and of any folder or page given on the command line) the page
is optimized with the default options, then the original and the optimized page are rendered in
headless Chromium at 1024 px width and full page height. The two screenshots are compared pixel by
pixel and the two visible texts (the body's innerText, white space runs made one blank) are
compared. One line per page, then totals; screenshots and difference images of every page that
differs go to build/fidelity/. See docs/fidelity.md.

Standard library only. Needs chromium and ImageMagick's `compare`/`convert` (tools/setup.sh
installs them when TRIMVALE_WITH_FIDELITY=1).
"""
import argparse
import base64
import json
import os
import pathlib
import re
import select
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT.parent / "shared" / "corpus"
DEFAULT_CLI = ROOT / "build" / "release" / "trimvale-cli"
DEFAULT_OUT = ROOT / "build" / "fidelity"
DEFAULT_KNOWN = ROOT / "tests" / "fidelity-known.txt"

VIEWPORT_WIDTH = 1024
# ImageMagick's default policy on Debian refuses images taller than 16384 px, so tall pages are
# cut into horizontal bands that are captured and compared one by one.
BAND_HEIGHT = 8192
# A page taller than this is compared only down to here; the line says so.
MAX_HEIGHT = 400_000
PIXEL_LIMIT_PERCENT = 0.5
LOAD_TIMEOUT_S = 30.0
PAGE_SUFFIXES = (".htm", ".html")

# HTML's white space (not U+00A0: a no-break space is visible text, and turning one into a blank
# changes how the line breaks).
_WHITE_SPACE_RUN = re.compile(r"[ \t\n\r\f]+")


def NormalizeText(text):
    return _WHITE_SPACE_RUN.sub(" ", text).strip(" ")


# ---------------------------------------------------------------------------------------------
# Chromium over the DevTools protocol on a pipe (--remote-debugging-pipe): messages are JSON
# texts ended by a NUL byte, written to the browser's fd 3 and read from its fd 4. This needs no
# websocket and gives what plain --screenshot cannot: the page's height and text from the same
# load that is captured, a load event to wait for, and one browser for all pages.
# ---------------------------------------------------------------------------------------------
class BrowserError(RuntimeError):
    pass


class CBrowser:
    def __init__(self, scripts=True):
        self.scripts = scripts
        self.profileDir = tempfile.mkdtemp(prefix="trimvale-chromium-")
        to_browser_r, to_browser_w = os.pipe()
        from_browser_r, from_browser_w = os.pipe()
        args = [
            shutil.which("chromium") or "chromium",
            "--headless",
            "--no-sandbox",
            "--disable-gpu",
            "--no-first-run",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            "--user-data-dir=" + self.profileDir,
            "--remote-debugging-pipe",
            "--hide-scrollbars",
            "--force-device-scale-factor=1",
            "--force-color-profile=srgb",
            "--font-render-hinting=none",
            # No page may reach the network: every host name fails at once, so both renders see
            # the same missing resources and no render waits for a time-out.
            "--host-resolver-rules=MAP * ~NOTFOUND",
            "about:blank",
        ]

        def child_setup():
            os.dup2(to_browser_r, 3)
            os.dup2(from_browser_w, 4)

        self.proc = subprocess.Popen(args, pass_fds=(3, 4), preexec_fn=child_setup,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.writeFd = to_browser_w
        self.readFd = from_browser_r
        self.nextId = 0
        self.buffer = b""
        self.pending = []  # events read while waiting for something else

    def close(self):
        try:
            self._send("Browser.close", timeout=5)
        except Exception:
            pass
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        for fd in (self.writeFd, self.readFd):
            try:
                os.close(fd)
            except OSError:
                pass
        shutil.rmtree(self.profileDir, ignore_errors=True)

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError
            ready, _, _ = select.select([self.readFd], [], [], left)
            if not ready:
                raise TimeoutError
            chunk = os.read(self.readFd, 1 << 20)
            if not chunk:
                raise BrowserError("chromium ended unexpectedly")
            self.buffer += chunk
        raw, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(raw)

    def _send(self, method, params=None, session=None, timeout=120):
        self.nextId += 1
        message = {"id": self.nextId, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        data = json.dumps(message).encode() + b"\0"
        while data:
            data = data[os.write(self.writeFd, data):]
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self.nextId:
                if "error" in reply:
                    raise BrowserError(f"{method}: {reply['error'].get('message')}")
                return reply.get("result", {})
            if "method" in reply:
                self.pending.append(reply)

    def _wait_event(self, name, session, timeout):
        for i, event in enumerate(self.pending):
            if event.get("method") == name and event.get("sessionId") == session:
                del self.pending[i]
                return True
        deadline = time.monotonic() + timeout
        while True:
            try:
                event = self._read_message(deadline)
            except TimeoutError:
                return False
            if event.get("method") == name and event.get("sessionId") == session:
                return True
            if "method" in event:
                self.pending.append(event)

    def _evaluate(self, session, expression):
        result = self._send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                 "awaitPromise": True}, session=session)
        if "exceptionDetails" in result:
            raise BrowserError("script failed: " + json.dumps(result["exceptionDetails"])[:300])
        return result["result"].get("value")

    def Render(self, page_path, band_prefix):
        """Loads the page in a fresh tab, writes its screenshot bands as band_prefix-NN.png and
        returns {height, bands: [paths], text, loaded, cut}."""
        target = self._send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self._send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        try:
            return self._render_in(session, page_path, band_prefix)
        finally:
            self.pending = [e for e in self.pending if e.get("sessionId") != session]
            try:
                self._send("Target.closeTarget", {"targetId": target}, timeout=30)
            except (BrowserError, TimeoutError):
                pass

    def _set_viewport(self, session, height):
        self._send("Emulation.setDeviceMetricsOverride",
                   {"width": VIEWPORT_WIDTH, "height": height, "deviceScaleFactor": 1, "mobile": False},
                   session=session)

    def _render_in(self, session, page_path, band_prefix):
        self._send("Page.enable", session=session)
        if not self.scripts:
            self._send("Emulation.setScriptExecutionDisabled", {"value": True}, session=session)
        self._set_viewport(session, 768)
        self._send("Page.navigate", {"url": pathlib.Path(page_path).resolve().as_uri()}, session=session)
        loaded = self._wait_event("Page.loadEventFired", session, LOAD_TIMEOUT_S)
        if not loaded:
            self._send("Page.stopLoading", session=session)
        # (Runtime.evaluate works even when the page's own scripts are switched off.)
        # Let the layout settle: web fonts loaded, running CSS animations and transitions jumped
        # to their end (endless ones back to their start), so that two renders of the same page
        # are the same picture.
        settle = ("(async () => { if (document.fonts) await document.fonts.ready;"
                  " for (const a of document.getAnimations ? document.getAnimations() : []) {"
                  " try { a.finish(); } catch (e) { a.pause(); a.currentTime = 0; } }"
                  + (" await new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)));"
                     if self.scripts else "")  # frame callbacks never run when scripts are off
                  + " })()")
        measure = ("Math.max(document.documentElement ? document.documentElement.scrollHeight : 0,"
                   " document.body ? document.body.scrollHeight : 0, 1)")
        self._evaluate(session, settle)
        height = int(self._evaluate(session, measure))
        # A taller viewport can make a page taller (percent and viewport heights); follow it a few
        # times, then keep what there is.
        for _ in range(4):
            height = min(height, MAX_HEIGHT)
            self._set_viewport(session, height)
            self._evaluate(session, settle)
            grown = int(self._evaluate(session, measure))
            if grown <= height:
                break
            height = grown
        cut = height >= MAX_HEIGHT
        height = min(height, MAX_HEIGHT)
        text = self._evaluate(session, "(document.body || document.documentElement || {innerText: ''}).innerText || ''")
        bands = []
        for index, top in enumerate(range(0, height, BAND_HEIGHT)):
            band = min(BAND_HEIGHT, height - top)
            shot = self._send("Page.captureScreenshot",
                              {"format": "png", "fromSurface": True,
                               "clip": {"x": 0, "y": top, "width": VIEWPORT_WIDTH, "height": band, "scale": 1}},
                              session=session)
            path = f"{band_prefix}-{index:02d}.png"
            with open(path, "wb") as f:
                f.write(base64.b64decode(shot["data"]))
            bands.append(path)
        return {"height": height, "bands": bands, "text": NormalizeText(text), "loaded": loaded, "cut": cut}


# ---------------------------------------------------------------------------------------------
# Pixel comparison with ImageMagick, band by band.
# ---------------------------------------------------------------------------------------------
def _band_height(path):
    with open(path, "rb") as f:
        header = f.read(24)
    return int.from_bytes(header[20:24], "big")  # PNG IHDR: width at 16, height at 20


def _compare(a, b, diff_path):
    """Differing pixels between two PNGs of equal size; writes the difference image when asked."""
    result = subprocess.run(["compare", "-metric", "AE", a, b, diff_path or "null:"],
                            capture_output=True, text=True)
    if result.returncode not in (0, 1):
        raise RuntimeError(f"compare failed: {result.stderr.strip()}")
    return int(float(result.stderr.split()[0]))


def ComparePixels(first, second, diff_dir=None, diff_prefix="diff"):
    """Compares two renders. Rows that only one page has count as differing in full. Returns
    (differing pixels, total pixels of the taller page, written difference images)."""
    total = VIEWPORT_WIDTH * max(first["height"], second["height"])
    differing = VIEWPORT_WIDTH * abs(first["height"] - second["height"])
    diffs = []
    tmp = tempfile.mkdtemp(prefix="trimvale-cmp-")
    try:
        for index in range(max(len(first["bands"]), len(second["bands"]))):
            a = first["bands"][index] if index < len(first["bands"]) else None
            b = second["bands"][index] if index < len(second["bands"]) else None
            diff_path = os.path.join(diff_dir, f"{diff_prefix}-{index:02d}.png") if diff_dir else None
            if a and b and pathlib.Path(a).read_bytes() == pathlib.Path(b).read_bytes():
                continue
            if a is None or b is None:
                # Only one page reaches this far; the height difference has counted it already.
                if diff_path:
                    shutil.copyfile(a or b, diff_path)
                    diffs.append(diff_path)
                continue
            ha, hb = _band_height(a), _band_height(b)
            if ha != hb:
                common = min(ha, hb)
                ca, cb = os.path.join(tmp, "a.png"), os.path.join(tmp, "b.png")
                for src, dst in ((a, ca), (b, cb)):
                    subprocess.run(["convert", src, "-crop", f"{VIEWPORT_WIDTH}x{common}+0+0", "+repage", dst],
                                   check=True, capture_output=True)
                a, b = ca, cb
            count = _compare(a, b, diff_path)
            differing += count
            if diff_path and count:
                diffs.append(diff_path)
            elif diff_path and os.path.exists(diff_path):
                os.remove(diff_path)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    return differing, total, diffs


# ---------------------------------------------------------------------------------------------
# Pages, the optimizer and the staging folder
# ---------------------------------------------------------------------------------------------
def FindPages(sources):
    """Returns [(name, path, source folder)] for every page below the given folders (or given
    pages). The name is the path relative to the folder given, which is what the known-differences
    file lists."""
    pages = []
    for source in sources:
        source = pathlib.Path(source)
        if source.is_file():
            pages.append((source.name, source, source.parent))
            continue
        for path in sorted(source.rglob("*")):
            if path.is_file() and path.suffix.lower() in PAGE_SUFFIXES:
                pages.append((path.relative_to(source).as_posix(), path, source))
    return pages


class CStage:
    """A temporary folder that mirrors each page's folder: every entry of the original folder is
    linked in, so relative references (images in "page_files/", style sheets) resolve the same for
    the copy of the original and for the optimized page, which are written beside each other."""

    def __init__(self):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="trimvale-fidelity-"))
        self.mirrors = {}

    def Folder(self, page_path):
        folder = page_path.parent.resolve()
        mirror = self.mirrors.get(folder)
        if mirror is None:
            mirror = self.root / f"m{len(self.mirrors)}"
            mirror.mkdir()
            for entry in folder.iterdir():
                try:
                    (mirror / entry.name).symlink_to(entry)
                except OSError:
                    pass
            self.mirrors[folder] = mirror
        return mirror

    def Place(self, page_path, label, data):
        """Writes data as a page named after label beside the mirrored folder's entries."""
        path = self.Folder(page_path) / f".{label}-{page_path.name}"
        path.write_bytes(data)
        return path

    def Remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


def Optimize(cli, page_path, out_path, settings_dir, extra_args=()):
    """Runs trimvale-cli with the default options: a settings file of its own that does not exist
    yet, so no user setting leaks in. Returns (exit status, messages)."""
    settings = pathlib.Path(settings_dir) / "settings.ini"
    if settings.exists():
        settings.unlink()
    result = subprocess.run([str(cli), "optimize", "--settings", str(settings), *extra_args, "-o", str(out_path),
                             str(page_path)],
                            capture_output=True)
    return result.returncode, result.stderr.decode("utf-8", "replace")


def ReadKnown(path):
    known = {}
    if not path or not pathlib.Path(path).exists():
        return known
    for number, line in enumerate(pathlib.Path(path).read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        name, tab, reason = line.partition("\t")
        if not tab or not reason.strip():
            raise SystemExit(f"{path}:{number}: expected 'page-name<TAB>reason'")
        known[name.strip()] = reason.strip()
    return known


def FirstTextDifference(a, b, context=60):
    i = 0
    limit = min(len(a), len(b))
    while i < limit and a[i] == b[i]:
        i += 1
    start = max(0, i - context)
    return i, a[start:i + context], b[start:i + context]


def WriteTextReport(path, original, other, label):
    i, a, b = FirstTextDifference(original, other)
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"first difference at character {i} of {len(original)} / {len(other)}\n"
                f"--- original\n{a!r}\n--- {label}\n{b!r}\n")


def SafeName(name):
    return re.sub(r"[^A-Za-z0-9._-]+", "_", name)


def Percent(part, whole):
    return 100.0 * part / whole if whole else 0.0


def CheckTools(*extra):
    missing = [t for t in ("chromium", "compare", "convert") + extra if not shutil.which(t)]
    if missing:
        raise SystemExit("missing: " + ", ".join(missing) + " (run: TRIMVALE_WITH_FIDELITY=1 bash tools/setup.sh)")


class COriginal:
    """The renders of one original page. A second and third render are made only when a
    candidate differs: if the original does not even match itself (scripts, timers), the page is
    unstable and a candidate is measured against the render of the original closest to it."""

    MAX_RENDERS = 3

    def __init__(self, browser, path, work):
        self.browser = browser
        self.path = path
        self.work = pathlib.Path(work)
        self.renders = []
        self.stable = None  # None until a second render of the original was needed
        self.selfDifference = 0.0  # differing pixels in % between the first two renders
        self._Render()

    def _Render(self):
        prefix = self.work / f"original{len(self.renders)}"
        self.renders.append(self.browser.Render(self.path, str(prefix)))

    def Compare(self, candidate, diff_dir, label):
        """Returns a dict: differing, total, percent, textEqual, original (the render used)."""
        best = None
        index = 0
        while True:
            render = self.renders[index]
            differing, total, _ = ComparePixels(render, candidate)
            result = {"differing": differing, "total": total, "percent": Percent(differing, total),
                      "textEqual": render["text"] == candidate["text"], "original": render}
            if best is None or (not best["textEqual"], best["differing"]) > (not result["textEqual"], differing):
                best = result
            if differing == 0 and result["textEqual"]:
                break
            index += 1
            if index == len(self.renders):
                if self.stable is True or len(self.renders) == self.MAX_RENDERS:
                    break
                self._Render()
                if self.stable is None:
                    d, t, _ = ComparePixels(self.renders[0], self.renders[1])
                    self.selfDifference = Percent(d, t)
                    self.stable = d == 0 and self.renders[0]["text"] == self.renders[1]["text"]
                    if self.stable:
                        break  # a stable page renders the same every time: no point in more renders
        if diff_dir and (best["differing"] or not best["textEqual"]):
            diff_dir = pathlib.Path(diff_dir)
            diff_dir.mkdir(parents=True, exist_ok=True)
            ComparePixels(best["original"], candidate, str(diff_dir), f"differenz-{label}")
            SaveBands(best["original"], diff_dir, "original")
            SaveBands(candidate, diff_dir, label)
            if not best["textEqual"]:
                WriteTextReport(diff_dir / f"text-{label}.txt", best["original"]["text"], candidate["text"], label)
            with open(diff_dir / "hoehe.txt", "a") as f:
                f.write(f"original {best['original']['height']}\n{label} {candidate['height']}\n")
        return best

    def Notes(self):
        notes = []
        if self.stable is False:
            notes.append(f"instabil: das Original weicht von sich selbst um {self.selfDifference:.3f} % ab")
        if any(not r["loaded"] for r in self.renders):
            notes.append("Ladeereignis fehlte")
        if any(r["cut"] for r in self.renders):
            notes.append(f"nur die ersten {MAX_HEIGHT} px verglichen")
        return notes


def SaveBands(render, folder, label):
    for index, band in enumerate(render["bands"]):
        target = pathlib.Path(folder) / f"{label}-{index:02d}.png"
        if not target.exists():
            shutil.copyfile(band, target)


def ParseArguments(description, argv, extra=None):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("sources", nargs="*", help="further folders or pages (besides the corpus)")
    parser.add_argument("--no-corpus", action="store_true", help="check only the folders and pages given")
    parser.add_argument("--cli", default=str(DEFAULT_CLI), help="trimvale-cli to run")
    parser.add_argument("--no-scripts", action="store_true", help="render with JavaScript switched off")
    parser.add_argument("--optimize-args", default="",
                        help="further options for trimvale-cli optimize, e.g. \"--wrap 0\" (default: none)")
    if extra:
        extra(parser)
    args = parser.parse_args(argv)
    args.optimize_args = shlex.split(args.optimize_args)
    sources = ([] if args.no_corpus else [CORPUS]) + [pathlib.Path(s) for s in args.sources]
    missing = [str(s) for s in sources if not pathlib.Path(s).exists()]
    if missing:
        raise SystemExit("not found: " + ", ".join(missing) + ("" if args.sources else " (no corpus here?)"))
    args.pages = FindPages(sources)
    if not args.pages:
        raise SystemExit("no pages to check")
    if not pathlib.Path(args.cli).exists():
        raise SystemExit(f"{args.cli} not found (build the release preset first)")
    return args


def FreshFolder(path):
    path = pathlib.Path(path)
    if path.exists():
        shutil.rmtree(path)
    path.mkdir(parents=True)
    return path


def main(argv=None):
    def extra(parser):
        parser.add_argument("--out", default=str(DEFAULT_OUT), help="where screenshots of differing pages go")
        parser.add_argument("--known", default=str(DEFAULT_KNOWN), help="known differences (page<TAB>reason)")
        parser.add_argument("--self-check", action="store_true",
                            help="compare each original with an unchanged copy of itself (checks the method)")

    args = ParseArguments(__doc__.split("\n\n")[0], argv, extra)
    CheckTools()
    pages = args.pages
    known = ReadKnown(args.known)
    out = FreshFolder(args.out)
    stage = CStage()
    browser = CBrowser(scripts=not args.no_scripts)
    width = max(24, max(len(name) for name, _, _ in pages))
    print(f"{'Seite':<{width}} {'Alt':>9} {'Neu':>9} {'Gespart':>8} {'Pixel':>8} {'Text':>5}  Befund")
    totals = {"old": 0, "new": 0, "pages": 0, "pixel_bad": 0, "text_bad": 0, "failed": 0, "known": 0}
    unexplained = []
    seen_known = set()
    try:
        for name, path, _ in pages:
            original = path.read_bytes()
            orig_copy = stage.Place(path, "original", original)
            new_path = stage.Folder(path) / f".optimiert-{path.name}"
            page_out = out / SafeName(name)
            if args.self_check:
                new_path.write_bytes(original)
                status, messages = 0, ""
            else:
                status, messages = Optimize(args.cli, path, new_path, stage.root, args.optimize_args)
            notes = []
            if status != 0 or not new_path.exists():
                page_out.mkdir(parents=True, exist_ok=True)
                (page_out / "meldungen.txt").write_text(messages, encoding="utf-8")
                totals["failed"] += 1
                bad, line = True, (f"{name:<{width}} {len(original):>9} {'-':>9} {'-':>8} {'-':>8} {'-':>5}  ")
                notes.append(f"Optimierung fehlgeschlagen (Status {status})")
            else:
                optimized = new_path.read_bytes()
                work = FreshFolder(stage.root / "renders")
                reference = COriginal(browser, orig_copy, work)
                candidate = browser.Render(new_path, str(work / "optimiert"))
                result = reference.Compare(candidate, page_out, "optimiert")
                if page_out.exists():
                    (page_out / "meldungen.txt").write_text(messages, encoding="utf-8")
                notes += reference.Notes()
                pixel_bad = result["percent"] > PIXEL_LIMIT_PERCENT
                bad = pixel_bad or not result["textEqual"]
                totals["pages"] += 1
                totals["old"] += len(original)
                totals["new"] += len(optimized)
                totals["pixel_bad"] += pixel_bad
                totals["text_bad"] += not result["textEqual"]
                saved = Percent(len(original) - len(optimized), len(original))
                line = (f"{name:<{width}} {len(original):>9} {len(optimized):>9} {saved:>7.1f}% "
                        f"{result['percent']:>7.3f}% {'ja' if result['textEqual'] else 'nein':>5}  ")
            if bad:
                if name in known:
                    seen_known.add(name)
                    totals["known"] += 1
                    notes.append("bekannt: " + known[name])
                else:
                    unexplained.append(name)
                    notes.insert(0, "ABWEICHUNG")
            print(line + "; ".join(notes), flush=True)
    finally:
        browser.close()
        stage.Remove()

    saved = Percent(totals["old"] - totals["new"], totals["old"])
    print()
    print(f"Seiten: {totals['pages']}, alt {totals['old']} Byte, neu {totals['new']} Byte, gespart {saved:.1f} %")
    print(f"Pixel über {PIXEL_LIMIT_PERCENT} %: {totals['pixel_bad']}, Text verschieden: {totals['text_bad']}, "
          f"Optimierung fehlgeschlagen: {totals['failed']}, davon bekannt: {totals['known']}")
    names = {p[0] for p in pages}
    stale = sorted(n for n in known if n in names and n not in seen_known)
    if stale:
        print("Als bekannt gelistet, aber jetzt ohne Abweichung (Eintrag entfernen?): " + ", ".join(stale))
    if unexplained:
        print("Unerklärte Abweichungen: " + ", ".join(unexplained))
        print(f"Bilder und Texte: {out}")
        return 1
    print("Alle Seiten stimmen überein oder sind als bekannt erklärt.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
