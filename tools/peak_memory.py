#!/usr/bin/env python3
"""Peak memory of whole `trimvale-cli optimize` processes on pages of 1, 10 and 50 MB built by
repeating the body of a real word-processor page (or the bundled sample without a corpus).
Prints bytes of peak resident memory per input byte."""
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

print(f"seed page: {seed_path.name}")
print(f"{'size':>8} {'input bytes':>12} {'peak RSS':>12} {'bytes/byte':>10} {'seconds':>8} {'MB/s':>8}")
with tempfile.TemporaryDirectory() as tmp:
    settings = os.path.join(tmp, "s.ini")
    for mb in sizes:
        parts = [seed[:start]]
        total = start
        while total < mb << 20:
            parts.append(body)
            total += len(body)
        parts.append(seed[end:])
        page = os.path.join(tmp, f"page{mb}.htm")
        with open(page, "wb") as f:
            f.write(b"".join(parts))
        size = os.path.getsize(page)
        t0 = time.monotonic()
        proc = subprocess.Popen([str(cli), "optimize", "--settings", settings, "-o", os.devnull, page],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.monotonic() - t0
        peak = usage.ru_maxrss * 1024
        print(f"{mb:>6}MB {size:>12} {peak:>12} {peak / size:>10.2f} {seconds:>8.2f} {size / seconds / 1e6:>8.1f}")
        os.unlink(page)
