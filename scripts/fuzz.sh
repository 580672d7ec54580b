#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan + UBSan) and runs
# each for SECONDS (default 60) from its seed corpus in fuzz/corpus/NAME.
#
#   scripts/fuzz.sh [SECONDS] [NAME...]
#
# The build goes to $VANTIX_FUZZ_BUILD_DIR, else <build>/fuzzers, where
# <build> is $VANTIX_BUILD_DIR or build/. Inputs found on the way are kept in
# <fuzz build>/corpus/NAME for the next run (the checked-in seeds are never
# written to). A crash, a hang or a broken invariant fails the run and leaves
# the input in <fuzz build>/artifacts/. Without clang the fuzzers are skipped.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS] [NAME...]" >&2
  exit 2
fi
build=${VANTIX_BUILD_DIR:-$here/build}
fuzzbuild=${VANTIX_FUZZ_BUILD_DIR:-$build/fuzzers}

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/p.cpp"
if ! command -v clang++ >/dev/null ||
   ! clang++ -fsanitize=fuzzer,address,undefined "$probe/p.cpp" -o "$probe/p" 2>/dev/null; then
  echo "fuzz: skipped: clang with libFuzzer is not installed (Debian: clang libclang-rt-14-dev)" >&2
  exit 0
fi

started=$(date +%s)
CC=clang CXX=clang++ cmake -S "$here" -B "$fuzzbuild" -DVANTIX_FUZZ=ON >/dev/null
cmake --build "$fuzzbuild" --target fuzzers -j"$(nproc)" >"$fuzzbuild/build.log" 2>&1 ||
  { tail -n 50 "$fuzzbuild/build.log" >&2; echo "fuzz: the build failed" >&2; exit 1; }

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  shopt -s nullglob
  for binary in "$fuzzbuild"/bin/*_fuzzer; do
    name=$(basename "$binary")
    names+=("${name%_fuzzer}")
  done
fi

mkdir -p "$fuzzbuild/artifacts" "$fuzzbuild/logs"
export UBSAN_OPTIONS=print_stacktrace=1
failed=()
for name in "${names[@]}"; do
  binary="$fuzzbuild/bin/${name}_fuzzer"
  seeds="$here/fuzz/corpus/$name"
  found="$fuzzbuild/corpus/$name"
  log="$fuzzbuild/logs/$name.log"
  if [ ! -x "$binary" ] || [ ! -d "$seeds" ]; then
    echo "fuzz: no target $name (or no fuzz/corpus/$name)" >&2
    failed+=("$name")
    continue
  fi
  mkdir -p "$found"
  # New inputs go to the first directory; the seeds are only read.
  if "$binary" "$found" "$seeds" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$fuzzbuild/artifacts/$name-" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    echo "fuzz: $name: ${runs:-?} runs, ${speed:-?}/s, coverage ${cov:-?} edges"
  else
    tail -n 40 "$log" >&2
    echo "fuzz: $name FAILED; the input is in $fuzzbuild/artifacts/ (log: $log)" >&2
    failed+=("$name")
  fi
done
echo "fuzz: ${#names[@]} targets in $(($(date +%s) - started)) s (build included)"
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
