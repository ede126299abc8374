#!/usr/bin/env bash
# Runs every fuzz harness for a while (FUZZ_SECONDS, 20 by default), starting from the seeds in
# fuzz/corpus/<name>; new inputs go to build/fuzz/corpus/<name>, crashes to build/fuzz/crashes/.
set -u
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
status=0
mkdir -p build/fuzz/crashes
for f in build/fuzz/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  mkdir -p "build/fuzz/corpus/$name"
  seeds="fuzz/corpus/$name"; [ -d "$seeds" ] || seeds=""
  if "$f" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix=build/fuzz/crashes/ \
       "build/fuzz/corpus/$name" $seeds > "build/fuzz/$name.log" 2>&1; then
    echo "$name: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "build/fuzz/$name.log" | tail -1), no finding"
  else
    echo "$name: FINDING, see build/fuzz/$name.log and build/fuzz/crashes/"
    status=1
  fi
done
exit $status
