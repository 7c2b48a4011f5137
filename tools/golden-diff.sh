#!/usr/bin/env bash
# Shows how the outputs of two commits differ on every corpus page and sample page under every
# golden option set: builds both commits (release preset, in temporary git worktrees), runs
# trimvale-cli over the pages, and prints `diff -u` of the outputs and messages followed by a
# summary of which pages differ.
#
#   tools/golden-diff.sh REV1 [REV2]      (REV2 defaults to HEAD; e.g. main fuzzgold, HEAD~3)
#
# The outputs stay in a temporary folder whose path is printed at the end (never in the
# repository: the corpus pages carry no license to copy). Exit status 0 when no page differs,
# 1 when some do, 2 on a usage or build error.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 REV1 [REV2]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
rev1=$1
rev2=${2:-HEAD}
corpus=${TRIMVALE_CORPUS:-$root/../shared/corpus}
work=$(mktemp -d "${TMPDIR:-/tmp}/trimvale-golden-diff.XXXXXX")

worktrees=()
cleanup() {
  for wt in "${worktrees[@]}"; do git -C "$root" worktree remove --force "$wt" >/dev/null 2>&1 || true; done
  git -C "$root" worktree prune >/dev/null 2>&1 || true
}
trap cleanup EXIT

pages=()
if [ -d "$corpus" ]; then
  while IFS= read -r -d '' page; do pages+=("$page"); done < <(find "$corpus" -maxdepth 1 -type f \( -name '*.htm' -o -name '*.html' \) -print0 | sort -z)
else
  echo "golden-diff: no corpus at $corpus; comparing the sample pages only" >&2
fi
for page in "$root"/resources/samples/*.htm; do pages+=("$page"); done

# The golden option sets: the defaults (options 1040, wrapping at 70, two blanks) under layout
# modes 0 and 2, with a settings file of their own so the user's settings cannot leak in.
sets=("default:0" "layout-mode-2:2")

build_rev() {
  local rev=$1 n=$2 sha
  sha=$(git -C "$root" rev-parse --verify "$rev^{commit}") || { echo "golden-diff: unknown revision $rev" >&2; exit 2; }
  local src="$work/src$n"
  git -C "$root" worktree add --detach "$src" "$sha" >/dev/null 2>&1 || { echo "golden-diff: cannot check out $rev" >&2; exit 2; }
  worktrees+=("$src")
  echo "== building $rev ($(git -C "$root" rev-parse --short "$sha")) in $src" >&2
  (cd "$src" && cmake --preset release -DTRIMVALE_BUILD_BENCH=OFF >/dev/null &&
    cmake --build build/release -j2 --target trimvale-cli >"$work/build$n.log" 2>&1) ||
    { echo "golden-diff: build of $rev failed; see $work/build$n.log" >&2; exit 2; }
}

run_rev() {
  local n=$1 src="$work/src$1" out="$work/out$1"
  local cli="$src/build/release/trimvale-cli"
  for set in "${sets[@]}"; do
    local name=${set%%:*} mode=${set#*:}
    mkdir -p "$out/$name"
    for page in "${pages[@]}"; do
      local base status=0
      base=$(basename "$page")
      "$cli" optimize --settings "$work/settings$n.ini" --rules-dir "$src/build/release" --layout-mode "$mode" \
        --options 1040 --wrap 1 --width 70 --indent 2 "$page" >"$out/$name/$base" 2>"$out/$name/$base.messages.txt" ||
        status=$?
      echo "[exit status $status]" >>"$out/$name/$base.messages.txt"
    done
  done
}

build_rev "$rev1" 1
build_rev "$rev2" 2
run_rev 1
run_rev 2

status=0
diff -ru "$work/out1" "$work/out2" >"$work/diff.txt" || status=$?
[ "$status" -le 1 ] || { echo "golden-diff: diff failed" >&2; exit 2; }
cat "$work/diff.txt"

echo
echo "== summary: $rev1 -> $rev2 (${#pages[@]} pages, ${#sets[@]} option sets)"
differing=0
for set in "${sets[@]}"; do
  name=${set%%:*}
  for page in "${pages[@]}"; do
    base=$(basename "$page")
    what=()
    cmp -s "$work/out1/$name/$base" "$work/out2/$name/$base" || what+=(output)
    cmp -s "$work/out1/$name/$base.messages.txt" "$work/out2/$name/$base.messages.txt" || what+=(messages)
    if [ ${#what[@]} -ne 0 ]; then
      echo "  differs: $base under $name (${what[*]})"
      differing=$((differing + 1))
    fi
  done
done
echo "== $differing of $(( ${#pages[@]} * ${#sets[@]} )) page runs differ; outputs in $work/out1 and $work/out2, diff in $work/diff.txt"
[ "$differing" -eq 0 ]
