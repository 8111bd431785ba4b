#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)
# in BUILD_DIR and runs each for SECONDS (20 by default) from seeds made here: the built-in sounds,
# the trumpet, the default music data as Access 97 and Access 2000 files, memo fields, and the
# inputs in tests/fuzz/seeds that once found a fault. A fault,
# a hang or a broken promise of a reader stops it; the input that did it is kept in BUILD_DIR/crashes.
# Usage: tests/fuzz/run.sh BUILD_DIR [SECONDS]     (scripts/fuzz.sh runs it for longer)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$1"
seconds="${2:-20}"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/wav" "$seeds/gif" "$seeds/mdbexport" "$build/crashes"
cp "$root"/assets/sound/*.wav "$seeds/wav/"
cp "$root/assets/trumpet.gif" "$seeds/gif/"
python3 "$root/scripts/sql-to-mdb.py" "$root/data/default.sql" "$seeds/mdbexport/jet4.mdb" >/dev/null
python3 "$root/scripts/sql-to-mdb.py" --jet3 "$root/data/default.sql" "$seeds/mdbexport/jet3.mdb" >/dev/null
# The intervals with a note of 600 characters and one of 3000, as memo fields: inline and on LVAL pages.
python3 - "$seeds/memo.sql" <<'EOF_SQL'
import sys
open(sys.argv[1], 'w').write('CREATE TABLE "Intervallen" ("Interval_uk" TEXT, "Top" TEXT, "direction" TEXT, "note" TEXT);\n'
                             "INSERT INTO \"Intervallen\" VALUES ('Octave', '1', 'up', '%s'), ('Octave', '1', 'down', '%s');\n"
                             % ('n' * 600, 'l' * 3000))
EOF_SQL
python3 "$root/scripts/sql-to-mdb.py" "$seeds/memo.sql" "$seeds/mdbexport/memo.mdb" >/dev/null
# Inputs that once found a fault, kept so that every run starts from them: a list of tables whose
# usage map libmdb followed although it was empty.
cp "$here"/seeds/*.mdb "$seeds/mdbexport/"

for target in wav gif mdbexport; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    # libmdb writes its warnings to standard output (closed here) and leaks on some damage, which
    # the exporter's process gives back when it ends.
    extra=()
    [ "$target" = mdbexport ] && extra=(-close_fd_mask=1 -detect_leaks=0 -max_len=262144)
    log="$build/$target.log"
    status=0
    "$build/fuzz_$target" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" "${extra[@]}" "$corpus" "$seeds/$target" >"$log" 2>&1 || status=$?
    echo "fuzz_$target: $(grep -m1 -o 'number_of_executed_units: *[0-9]*' "$log" || echo 'no runs') in $seconds s"
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log"
        echo "fuzz_$target failed: the input is in $build/crashes"
        exit 1
    fi
done
