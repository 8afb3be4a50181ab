#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into build-fuzz/ (or
# $VELTRANE_FUZZ_BUILD_DIR) and runs one of them, or each in turn, for the seconds given, seeded from the test
# fixtures. Prints each run's executions; a crash, leak, sanitizer report or time-out is a finding: its input is
# kept under build-fuzz/findings/<target>/ and the script exits non-zero.
# Usage: bench/fuzz.sh <http_response|ini_file|rtf_reader|feed_import|smtp_reply|all> [seconds=60]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELTRANE_FUZZ_BUILD_DIR:-$root/build-fuzz}
which=${1:?usage: bench/fuzz.sh <http_response|ini_file|rtf_reader|feed_import|smtp_reply|all> [seconds]}
seconds=${2:-60}
all=(http_response ini_file rtf_reader feed_import smtp_reply)

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

seeds_of() {
  case $1 in
    http_response) echo "$root/fuzz/seeds/http" ;;
    ini_file) echo "$root/fuzz/seeds/ini" ;;
    rtf_reader) echo "$root/tests/notes/fixtures" ;;
    feed_import) echo "$root/tests/calendar/fixtures" ;;
    smtp_reply) echo "$root/fuzz/seeds/smtp" ;;
    *) echo "fuzz: no target '$1'" >&2; exit 2 ;;
  esac
}

targets=("$which")
[ "$which" = all ] && targets=("${all[@]}")
for t in "${targets[@]}"; do seeds_of "$t" >/dev/null; done

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j2 "${targets[@]/#/fuzz_}"

status=0
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  findings=$build/findings/$t
  mkdir -p "$corpus" "$findings"
  # The fixtures are copied, never written: libFuzzer adds what it learns to the working corpus only.
  find "$(seeds_of "$t")" -maxdepth 1 -type f ! -name '*.md' -exec cp -n {} "$corpus/" \;
  log=$build/fuzz_$t.log
  set +e
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ $rc -eq 0 ]; then
    echo "fuzz: $t ran ${seconds}s, ${execs:-?} executions, no finding"
  else
    status=1
    echo "fuzz: $t FOUND a fault after ${execs:-?} executions (exit $rc); input kept in $findings/" >&2
    grep -E "ERROR|runtime error|SUMMARY|Test unit written" "$log" | head -20 >&2 || true
  fi
done
exit $status
