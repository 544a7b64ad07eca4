#!/usr/bin/env bash
# make bench: whole-run comparisons and the micro-benchmarks.
set -euo pipefail
exec python3 "$(dirname "$0")/run_bench.py" "${1:-build}" "${@:2}"
