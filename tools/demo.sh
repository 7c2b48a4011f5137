#!/usr/bin/env bash
# Optimizes the bundled sample page with the default options and shows what happened.
set -euo pipefail
build=${1:-build/release}
root=$(cd "$(dirname "$0")/.." && pwd)
sample="$root/resources/samples/rundschreiben.htm"
out_dir="$root/build/demo"
mkdir -p "$out_dir"
target="$out_dir/rundschreiben.htm"
# A settings file of its own, so the demo shows the defaults whatever the user's settings say.
settings="$out_dir/demo-settings.ini"
rm -f "$settings"

echo "== Trimvale: optimiere $sample"
echo "== Meldungen:"
status=0
"$root/$build/trimvale-cli" optimize --settings "$settings" -o "$target" "$sample" || status=$?
old=$(stat -c %s "$sample")
if [ "$status" -ne 0 ]; then
  echo "== Optimierung fehlgeschlagen (Status $status)"
  exit "$status"
fi
new=$(stat -c %s "$target")
echo "== Alte Größe: $old Byte, neue Größe: $new Byte ($(( (old - new) * 100 / old )) % kleiner)"
echo "== Optimierte Seite: $target"

# The desktop program: on a display it opens the optimized page; without one it pictures the
# window offscreen (source tab and preview tab after optimizing the sample in the window).
if [ -x "$root/$build/trimvale" ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== Desktop-Programm: öffne $target"
    nohup "$root/$build/trimvale" "$target" >/dev/null 2>&1 &
  elif [ -x "$root/$build/trimvale-shell-demo" ]; then
    export QT_QPA_PLATFORM=offscreen
    # Chromium refuses its sandbox as root, and offscreen there is no GPU.
    export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
    if "$root/$build/trimvale-shell-demo" shots "$sample" "$out_dir" 2>"$out_dir/shell-demo.log"; then
      echo "== Bilder des Desktop-Programms: $out_dir/trimvale-quelle.png, $out_dir/trimvale-vorschau.png"
    else
      echo "== Bilder des Desktop-Programms nicht erstellt (siehe $out_dir/shell-demo.log)"
    fi
  fi
fi
