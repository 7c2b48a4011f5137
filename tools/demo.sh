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
