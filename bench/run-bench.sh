#!/usr/bin/env bash
# Measures DataSifter against the raw read speed of the same files, in one run:
#   bench/run-bench.sh [BUILD_DIR] [WORK_DIR]
# Needs ripgrep (rg) and python3-dbfread for the baselines; mdbtools for the Access baseline.
# The CLI reads on all cores by default; its one-thread time is shown for comparison.
# Each figure is the median wall time of five runs, in milliseconds' precision, and the largest
# peak memory of those runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=${2:-/tmp/datasifter-bench}
records=${DS_BENCH_RECORDS:-1000000}
term=Hoffmann        # in about 13 % of the records: a search with many hits
rare=Zwiebelkuchen   # in no record: the pure scanning speed
mkdir -p "$work"

cli=$build/src/app/datasifter-cli
bench=$build/bench/datasifter-bench

timed() {  # timed NAME CMD... -> prints "NAME seconds peak_kb" (median of five), sets $last
    local name=$1 t0 t1 kb
    shift
    local out times=() kbs=()
    out=$(mktemp)
    for _ in 1 2 3 4 5; do
        t0=$(date +%s%N)
        /usr/bin/time -o "$out" -f '%M' "$@" >/dev/null 2>&1 || true
        t1=$(date +%s%N)
        read -r kb < <(tail -n1 "$out")
        times+=("$(( (t1 - t0) / 1000 ))")
        kbs+=("$kb")
    done
    rm -f "$out"
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
    last=$(awk "BEGIN{printf \"%.3f\", $median / 1e6}")
    kb=$(printf '%s\n' "${kbs[@]}" | sort -n | tail -n1)
    printf '%-46s %8.3f s %9d KB\n' "$name" "$last" "$kb"
}
ratio() { awk "BEGIN{printf \"%.2f\", $1 / ($2 > 0 ? $2 : 0.001)}"; }

echo "== files"
big=$work/big
if [ ! -f "$big/kunden.dbf" ]; then
    mkdir -p "$big"
    "$build/tests/support/dbase/dbf_sample_files" customers "$big/kunden.dbf" "$records"
fi
small=$work/small
if [ ! -d "$small" ]; then
    mkdir -p "$small/proto"
    "$build/tests/support/dbase/dbf_sample_files" customers "$small/proto/k.dbf" 200
    for i in $(seq 1 2000); do
        d=$small/tree/d$((i % 40))
        mkdir -p "$d"
        cp "$small/proto/k.dbf" "$d/kunden$i.dbf"
        [ -f "$small/proto/k.dbt" ] && cp "$small/proto/k.dbt" "$d/kunden$i.dbt"
    done
    rm -rf "$small/proto"
fi
tree=$work/tree
[ -d "$tree" ] || python3 "$root/bench/make_tree.py" "$tree" 5000 200000
ls -l "$big"
cat "$big"/* >/dev/null; cat "$small"/tree/*/* >/dev/null

# rg skips files it takes for binary unless -a is given; with -a it reads the same bytes.
havepy=; /usr/bin/python3 -c 'import dbfread' 2>/dev/null && havepy=1
for t in "$term" "$rare"; do
    echo "== one dBASE file of $records records, term $t"
    timed "cat (raw read)" sh -c "cat '$big'/* >/dev/null"; raw=$last
    timed "rg -a -c -i $t (DBF+DBT)" rg -a -c -i "$t" "$big"; rg=$last
    timed "engine: datasifter-bench" "$bench" "$big/kunden.dbf" --type 2 --term "$t"; eng=$last
    timed "datasifter-cli --threads 1" "$cli" --threads 1 --type 2 --term "$t" --no-limit "$big"
    timed "datasifter-cli text search" "$cli" --type 2 --term "$t" --no-limit "$big"; cli1=$last
    echo "engine speed / rg speed: $(ratio "$rg" "$eng") (goal >= 0.5)"
    echo "cli speed / rg speed: $(ratio "$rg" "$cli1") (goal >= 0.3); cli speed / raw read: $(ratio "$raw" "$cli1")"
    if [ -n "$havepy" ]; then
        timed "python3 dbfread field-wise search" /usr/bin/python3 "$root/bench/dbfread_search.py" "$t" "$big"; py1=$last
        echo "cli vs python dbfread: $(ratio "$py1" "$cli1")x faster (goal >= 30)"
    fi

    echo "== 2000 small dBASE files, term $t"
    timed "rg -a -c -i $t -r" rg -a -c -i "$t" "$small/tree"; rg2=$last
    timed "datasifter-cli --threads 1" "$cli" --threads 1 --type 2 --term "$t" --no-limit "$small/tree"
    timed "datasifter-cli text search" "$cli" --type 2 --term "$t" --no-limit "$small/tree"; cli2=$last
    echo "cli speed / rg speed: $(ratio "$rg2" "$cli2") (goal >= 0.3)"
    if [ -n "$havepy" ]; then
        timed "python3 dbfread field-wise search" /usr/bin/python3 "$root/bench/dbfread_search.py" "$t" "$small/tree"; py2=$last
        echo "cli vs python dbfread: $(ratio "$py2" "$cli2")x faster (goal >= 30)"
    fi
done

echo "== file search, 200,000 files in 5,000 folders"
timed "find -iname '*.dbf' -printf ..." find "$tree" -iname '*.dbf' -printf '%s %TY-%Tm-%Td %TH:%TM %p\n'; fnd=$last
timed "datasifter-cli file search with file info" "$cli" --type 2 --no-limit "$tree"; cli3=$last
echo "cli time / find time: $(ratio "$cli3" "$fnd") (goal <= 1.5)"

mdbfile=$work/access/kunden.mdb
if [ ! -f "$mdbfile" ]; then
    mkdir -p "$work/access"
    "$build/bench/make-bench-mdb" "$mdbfile" "${DS_BENCH_MDB_ROWS:-500000}"
fi
echo "== Access file ($(du -h "$mdbfile" | cut -f1), Jet 4)"
timed "cat (raw read)" cat "$mdbfile"
timed "mdb-export | rg -c -i" sh -c "mdb-export '$mdbfile' Kunden | rg -c -i '$term'"; mdb=$last
timed "engine: datasifter-bench" "$bench" "$mdbfile" --type 1 --term "$term"; eng2=$last
timed "datasifter-cli text search" "$cli" --type 1 --term "$term" --no-limit "$work/access"; cli4=$last
echo "engine vs mdb-export pipeline: $(ratio "$mdb" "$eng2")x faster (goal >= 3)"
echo "cli vs mdb-export pipeline: $(ratio "$mdb" "$cli4")x faster"
