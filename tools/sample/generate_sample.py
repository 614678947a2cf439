#!/usr/bin/env python3
"""Writes the deterministic sample market data shipped with qx.

Layout (the JSON-lines store's own): <out>/<venue>/<symbol>/book.jsonl and trades.jsonl, one
row per line. Each instrument has a 10-level book per side around a random-walk mid; every
re-quote rewrites the levels that changed, and trades print at the touch and consume size.

    python3 tools/sample/generate_sample.py samples/market_data
"""
import json
import os
import random
import sys

INSTRUMENTS = [
    # venue, symbol, starting mid in ticks, events
    ("CME", "ESZ6", 600000, 3500),
    ("CME", "NQZ6", 2100000, 2500),
    ("XETR", "SAP", 23000, 2000),
]
LEVELS = 10
START_NS = 1_767_225_600_000_000_000  # 2026-01-01T00:00:00Z


def row(obj):
    return json.dumps(obj, separators=(",", ":")) + "\n"


def generate(out_dir, venue, symbol, mid, events, rng):
    path = os.path.join(out_dir, venue, symbol)
    os.makedirs(path, exist_ok=True)
    book_rows, trade_rows = [], []
    book_seq = trade_seq = 0
    ts = START_NS + rng.randrange(1_000_000)
    spread = 1
    bids = {}
    asks = {}

    def quote(side, level, price, size):
        nonlocal book_seq
        book_seq += 1
        book_rows.append(row({"schema": 1, "seq": book_seq, "side": side, "level": level,
                              "price": price, "size": size, "action": "Upsert",
                              "ts_exchange_ns": ts, "ts_recv_ns": ts + 15_000}))

    def requote():
        best_bid = mid - spread // 2 - spread % 2 if spread > 1 else mid
        best_ask = best_bid + spread
        for i in range(LEVELS):
            b = (best_bid - i, rng.randint(20, 90) * (1 + i // 3))
            a = (best_ask + i, rng.randint(20, 90) * (1 + i // 3))
            if bids.get(i) != b:
                bids[i] = b
                quote("Bid", i, *b)
            if asks.get(i) != a:
                asks[i] = a
                quote("Ask", i, *a)

    requote()
    for _ in range(events):
        ts += rng.randint(20_000, 2_000_000)
        r = rng.random()
        if r < 0.30:
            # A trade at the touch; buys lift the ask, sells hit the bid.
            buy = rng.random() < 0.5 + 0.1 * ((mid // 7) % 3 - 1)
            book = asks if buy else bids
            price, avail = book[0]
            size = max(1, min(avail, int(rng.expovariate(1 / 6)) + 1))
            trade_seq += 1
            trade_rows.append(row({"schema": 1, "seq": trade_seq, "price": price, "size": size,
                                   "aggressor": "Ask" if buy else "Bid",
                                   "ts_exchange_ns": ts, "ts_recv_ns": ts + 15_000}))
            left = avail - size
            if left > 0:
                book[0] = (price, left)
                quote("Ask" if buy else "Bid", 0, price, left)
            else:
                mid += 1 if buy else -1
                requote()
        elif r < 0.36:
            mid += rng.choice((-1, 1))
            spread = rng.choice((1, 1, 1, 2))
            requote()
        else:
            # Size change somewhere in the book.
            side = rng.choice(("Bid", "Ask"))
            book = bids if side == "Bid" else asks
            level = min(LEVELS - 1, int(rng.expovariate(1 / 3)))
            price, _ = book[level]
            size = rng.randint(1, 80) * (1 + level // 3)
            book[level] = (price, size)
            quote(side, level, price, size)

    with open(os.path.join(path, "book.jsonl"), "w") as f:
        f.writelines(book_rows)
    with open(os.path.join(path, "trades.jsonl"), "w") as f:
        f.writelines(trade_rows)
    return len(book_rows), len(trade_rows)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else "samples/market_data"
    rng = random.Random(20261211)
    for venue, symbol, mid, events in INSTRUMENTS:
        books, trades = generate(out_dir, venue, symbol, mid, events, rng)
        print(f"{venue}/{symbol}: {books} book updates, {trades} trades")


if __name__ == "__main__":
    main()
