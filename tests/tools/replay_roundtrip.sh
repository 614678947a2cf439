#!/usr/bin/env bash
# qx-replay over the shipped sample, recording a write-ahead log, then over that log: both runs
# must succeed and report the same per-instrument documents.
set -euo pipefail
replay=$1
sample=$2
work=$(mktemp -d /tmp/qx-replay-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$replay" --quiet --record-wal "$work/wal" --json "$work/first.json" "$sample"
"$replay" --quiet --json "$work/second.json" "$work/wal"
python3 - "$work/first.json" "$work/second.json" <<'PY'
import json, sys
a, b = (json.load(open(p)) for p in sys.argv[1:3])
assert a["events"] == b["events"] > 0, (a["events"], b["events"])
assert a["refused_events"] == 0 and b["refused_events"] == 0
by_name = {(i["venue"], i["symbol"]): i for i in b["instruments"]}
keys = ["book_updates", "trades", "book", "trade_flow", "derived", "session_candle", "signal",
        "explanation"]
for i in a["instruments"]:
    j = by_name[(i["venue"], i["symbol"])]
    for k in keys:
        assert i[k] == j[k], (i["symbol"], k, i[k], j[k])
assert a["metrics"]["market_data_persistence"]["written_records"] == a["events"]
print("replayed", a["events"], "events twice with identical results")
PY
