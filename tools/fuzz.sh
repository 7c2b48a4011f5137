#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for SECONDS each.
#
#   tools/fuzz.sh BUILD_DIR SECONDS [TARGET...]      e.g. tools/fuzz.sh build/fuzz 60 optimize lst
#
# Each target starts from the inputs kept in fuzz/regressions/<target>/ plus its seeds (the
# corpus pages for the page targets, the installed rule files for section_file), all copied into
# a temporary folder: nothing of the corpus ever lands in the repository. Any crash, hang (over
# 2 s for one input), leak, memory blow-up or sanitizer report fails the run; the input that
# caused it is copied into fuzz/regressions/<target>/ with a .note beside it, so that the test
# suite replays it from then on.
set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS [TARGET...]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
[ -d "$build" ] || build="$root/$1"
build=$(cd "$build" 2>/dev/null && pwd) || { echo "fuzz: no build folder $1" >&2; exit 2; }
seconds=$2
shift 2
case "$seconds" in '' | *[!0-9]*) echo "fuzz: SECONDS must be a whole number: $seconds" >&2; exit 2 ;; esac

corpus=${TRIMVALE_CORPUS:-$root/../shared/corpus}
regressions="$root/fuzz/regressions"
# Inputs are cut to this length (seeds included). Whole corpus pages of a megabyte would bring
# the rate down to a few runs a second; the golden tests run them whole under the sanitizers.
max_len=${FUZZ_MAX_LEN:-65536}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for bin in "$build"/*_fuzz; do
    [ -x "$bin" ] && targets+=("$(basename "$bin" _fuzz)")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no fuzz targets in $build (build the fuzz preset first)" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/trimvale-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Seeds beyond the saved inputs, by target.
seed_target() {
  local target=$1 dest=$2
  case "$target" in
    parse | optimize)
      if [ -d "$corpus" ]; then
        find "$corpus" -maxdepth 1 -type f \( -name '*.htm' -o -name '*.html' \) -exec cp {} "$dest"/ \;
      else
        echo "fuzz: no corpus at $corpus; $target starts from its saved inputs only"
      fi
      cp "$root"/resources/samples/*.htm "$dest"/ 2>/dev/null || true
      ;;
    section_file) cp "$root"/resources/*.txt "$dest"/ ;;
  esac
}

# Copies a failing input into the regression folder (once per content) with a note.
keep_input() {
  local target=$1 artifact=$2 log=$3
  local dir="$regressions/$target" sum name
  mkdir -p "$dir"
  sum=$(sha1sum "$artifact" | cut -c1-16)
  for existing in "$dir"/*; do
    [ -f "$existing" ] || continue
    case "$existing" in *.note) continue ;; esac
    if [ "$(sha1sum "$existing" | cut -c1-16)" = "$sum" ]; then
      echo "fuzz: $target: the failing input is already kept as $existing"
      return
    fi
  done
  name="$(basename "$artifact" | cut -d- -f1)-$sum"
  cp "$artifact" "$dir/$name"
  {
    echo "Found by tools/fuzz.sh on $(date -u +%Y-%m-%d) at commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)."
    echo "Replay: $build/${target}_fuzz fuzz/regressions/$target/$name"
    echo
    # The report's key lines and the stack frames in our own code.
    grep -E 'ERROR|SUMMARY|broken invariant|^ +#[0-9]+ .*/(fuzz|engine|rules|batch)/' "$log" | head -40
  } > "$dir/$name.note"
  echo "fuzz: $target: failing input kept as fuzz/regressions/$target/$name (see its .note)"
}

failed=()
for target in "${targets[@]}"; do
  bin="$build/${target}_fuzz"
  if [ ! -x "$bin" ]; then
    echo "fuzz: no target $bin" >&2
    failed+=("$target")
    continue
  fi
  units="$work/$target/units"
  artifacts="$work/$target/artifacts"
  log="$work/$target/log.txt"
  mkdir -p "$units" "$artifacts"
  [ -d "$regressions/$target" ] && find "$regressions/$target" -maxdepth 1 -type f ! -name '*.note' -exec cp {} "$units"/ \;
  seed_target "$target" "$units"

  echo "== fuzz $target for ${seconds}s ($(find "$units" -type f | wc -l) seed inputs)"
  status=0
  mkdir -p "$work/$target/tmp"
  # Scratch files of the targets go into the work folder, so that a run ended by a finding or
  # the time limit leaves nothing behind.
  TMPDIR="$work/$target/tmp" ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}" \
    "$bin" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=4096 -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$units" > "$log" 2>&1 || status=$?
  found=$(find "$artifacts" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "fuzz: $target FAILED (exit status $status); the end of its log:"
    tail -n 40 "$log"
    for artifact in "$artifacts"/*; do
      [ -f "$artifact" ] && keep_input "$target" "$artifact" "$log"
    done
    failed+=("$target")
  else
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" | tr '\n' ' '
    echo
    echo "fuzz: $target passed"
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}"
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s each without a finding"
