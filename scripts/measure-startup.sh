#!/usr/bin/env bash
# Times the viewer from its start to every window drawn, on the benchmark's large
# recording (1,000,000 samples, 16 analog and 16 digital channels), five runs.
# Usage: scripts/measure-startup.sh [BUILD_DIR]   (run `make bench` once first: it
# generates the recording into $TMPDIR/sevrana-bench).
set -euo pipefail
build=${1:-build}
recording=${TMPDIR:-/tmp}/sevrana-bench/large.cfg
if [ ! -f "$recording" ]; then
  echo "No $recording yet: run $build/bin/load_bench once to generate it." >&2
  exit 2
fi
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export SEVRANA_QUIT_WHEN_DRAWN=1
for run in 1 2 3 4 5; do
  start=$(date +%s%N)
  inside=$("$build/bin/sevrana" "$recording" 2>/dev/null | tail -1)
  end=$(date +%s%N)
  echo "run $run: $(( (end - start) / 1000000 )) ms from start to exit ($inside)"
done
