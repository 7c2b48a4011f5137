#!/usr/bin/env python3
"""Peak memory of whole `trimvale-cli optimize` processes: on pages of 1, 10 and 50 MB built by
repeating the body of a real word-processor page (or the bundled sample without a corpus), on
that page itself, and on pages of many tiny elements: 5 MB of `<p>x</p>`, of small nested lists
and of one list nested all the way down, and 4 MB of `<p>x` and of `<a>` without end tags, where
each element ends up inside the one before. Prints bytes of peak resident memory per input byte."""
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

root = pathlib.Path(__file__).resolve().parent.parent
cli = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "build/release/trimvale-cli"
sizes = [int(s) for s in sys.argv[2:]] or [1, 10, 50]
seed_path = root.parent / "shared/corpus/018-fastpath-index.htm"
if not seed_path.exists():
    seed_path = root / "resources/samples/rundschreiben.htm"
seed = seed_path.read_bytes()
m = re.search(rb"<body[^>]*>", seed, re.I)
start = m.end() if m else 0
end = seed.lower().rfind(b"</body")
end = end if end >= 0 else len(seed)
body = seed[start:end]


def measure(label, page, settings):
    """Runs one optimization and prints its peak resident size per input byte. A child forked
    from this interpreter would inherit its resident size as a starting peak, so the run goes
    through /usr/bin/time when there is one (its child starts small); else the figure is high by
    this script's own few megabytes."""
    size = os.path.getsize(page)
    command = [str(cli), "optimize", "--settings", settings, "-o", os.devnull, page]
    t0 = time.monotonic()
    if os.path.exists("/usr/bin/time"):
        report = os.path.join(os.path.dirname(page), "time.txt")
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + command,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(report) as f:
            peak = int(f.read().split()[-1]) * 1024
    else:
        proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(proc.pid, 0)
        peak = usage.ru_maxrss * 1024
    seconds = time.monotonic() - t0
    print(f"{label:>14} {size:>12} {peak:>12} {peak / size:>10.2f} {seconds:>8.2f} {size / seconds / 1e6:>8.1f}")


def write_pieces(path, pieces):
    """Writes (bytes, count) pieces one after the other without building the page in memory."""
    with open(path, "wb") as f:
        for data, count in pieces:
            block = max(1, (1 << 20) // max(1, len(data)))
            while count > 0:
                n = min(block, count)
                f.write(data * n)
                count -= n


five_mb = 5 << 20
lists = b"<ul><li>a<ul><li>b<ul><li>c</li></ul></li></ul></li></ul>"
tiny_pages = [
    ("5MB <p>x</p>", [(b"<p>x</p>", five_mb // 8)]),
    ("5MB lists", [(lists, five_mb // len(lists))]),
    ("5MB deep list", [(b"<ul><li>x", five_mb // 19), (b"</li></ul>", five_mb // 19)]),
    ("4MB <p>x", [(b"<p>x", (4 << 20) // 4)]),
    ("4MB <a>", [(b"<a>", (4 << 20) // 3)]),
]

print(f"seed page: {seed_path.name}")
print(f"{'page':>14} {'input bytes':>12} {'peak RSS':>12} {'bytes/byte':>10} {'seconds':>8} {'MB/s':>8}")
with tempfile.TemporaryDirectory() as tmp:
    settings = os.path.join(tmp, "s.ini")
    for mb in sizes:
        page = os.path.join(tmp, f"page{mb}.htm")
        repeats = max(1, -(-((mb << 20) - start) // max(1, len(body))))
        write_pieces(page, [(seed[:start], 1), (body, repeats), (seed[end:], 1)])
        measure(f"{mb}MB repeated", page, settings)
        os.unlink(page)
    measure(seed_path.name[:14], str(seed_path), settings)
    for label, pieces in tiny_pages:
        page = os.path.join(tmp, "tiny.htm")
        write_pieces(page, pieces)
        measure(label, page, settings)
        os.unlink(page)
