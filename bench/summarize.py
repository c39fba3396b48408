#!/usr/bin/env python3
"""Prints the accuracy benchmark's table in Markdown.

--runs holds one line per measurement: "TRIAL COLUMN STARTED_US ENDED_US OFFSET_US READING_US",
COLUMN indexing --labels, the reading "-" where the tool gave none; trial 0 (a warm-up) is left
out. --requests is the source's request log (offset_date_server.py's fields). The requests read
between a run's start and its end are that run's exchanges: the first of them is its first answer,
the machines that answered them are the clocks it may have measured. Its error is its reading less
the offset and the clock of the nearest of those machines. A run is worse than one answer when it
gave no reading, or its error lies beyond ±(0.5 s + half the round trip) of every machine's clock;
the round trip is the larger of the probe's median and the server's time for the run's first
exchange, as a stalled first answer widens what that answer allows. Percentiles are by nearest
rank.
"""
import argparse
import collections
import math
import statistics

HALF_SECOND_US = 500_000
MOST_EXCHANGES = 12
MOST_CORRECTION_MS = 12_000


class Request:
    def __init__(self, line):
        fields = line.split(maxsplit=11)
        self.read_s, self.stamped_s, self.answered_s = (float(v) for v in fields[:3])
        self.scheme = fields[3]
        self.connection = (fields[3], int(fields[4]))
        self.machine_us = float(fields[6]) * 1000


class Run:
    def __init__(self, fields, requests, probe_round_trip_us):
        self.trial, self.column = int(fields[0]), int(fields[1])
        started_us, ended_us, offset_us = (int(v) for v in fields[2:5])
        self.reading_us = None if fields[5] == "-" else int(fields[5])
        mine = sorted((r for r in requests if started_us / 1e6 <= r.read_s <= ended_us / 1e6),
                      key=lambda r: r.read_s)
        self.exchanges = len(mine)
        self.connections = len({r.connection for r in mine})
        self.schemes = collections.Counter(r.scheme for r in mine)
        self.correction_ms = None
        round_trip_us = probe_round_trip_us
        if mine:
            first = mine[0]
            self.correction_ms = ended_us / 1000 - first.answered_s * 1000
            round_trip_us = max(round_trip_us, (first.answered_s - first.read_s) * 1e6)
        self.bound_us = HALF_SECOND_US + round_trip_us / 2
        # Without a request (no reading either, then) the source's own clock stands for all.
        clocks_us = {r.machine_us for r in mine} or {0.0}
        self.error_us = None
        if self.reading_us is not None:
            self.error_us = min((self.reading_us - offset_us - c for c in clocks_us), key=abs)

    def worse_than_one_answer(self):
        return self.error_us is None or abs(self.error_us) > self.bound_us


def nearest_rank(sorted_values, fraction):
    return sorted_values[max(0, math.ceil(fraction * len(sorted_values)) - 1)]


def median_and_most(values, show):
    known = sorted(v for v in values if v is not None)
    return f"{show(statistics.median(known))} / {show(known[-1])}" if known else "–"


def row(label, runs):
    errors = [r.error_us for r in runs if r.error_us is not None]
    magnitudes = sorted(abs(e) for e in errors)
    worse = sum(r.worse_than_one_answer() for r in runs)
    cells = [label]
    if magnitudes:
        cells += [f"{statistics.median(magnitudes) / 1000:.1f} ms",
                  f"{nearest_rank(magnitudes, 0.9) / 1000:.1f} ms",
                  f"{magnitudes[-1] / 1000:.1f} ms",
                  f"{statistics.fmean(errors) / 1000:+.1f} ms"]
    else:
        cells += ["no reading", "", "", ""]
    if len(errors) < len(runs):
        cells[0] += f" ({len(runs) - len(errors)} without a reading)"
    cells += [f"{worse} of {len(runs)}",
              median_and_most([r.exchanges or None for r in runs], lambda v: f"{v:.0f}"),
              median_and_most([r.connections or None for r in runs], lambda v: f"{v:.0f}"),
              median_and_most([r.correction_ms for r in runs], lambda v: f"{v / 1000:.2f} s")]
    return "| " + " | ".join(cells) + " |"


def notes(label, runs, show_schemes):
    """What a row's figures hide: runs over the program's limits, and the scheme it answered by."""
    said = []
    # The limits are the program's own; the other tools have none here.
    runs_limited = runs if "QuelanTikora" in label else []
    over_count = sum(r.exchanges > MOST_EXCHANGES for r in runs_limited)
    late = sum(r.correction_ms is None or r.correction_ms > MOST_CORRECTION_MS
               for r in runs_limited)
    if over_count or late:
        said.append(f"more than {MOST_EXCHANGES} exchanges in {over_count} of {len(runs)} runs, "
                    f"over {MOST_CORRECTION_MS / 1000:.0f} s from the first answer to the "
                    f"correction (or none) in {late}")
    schemes = collections.Counter()
    for r in runs:
        schemes[",".join(sorted(r.schemes)) or "none"] += 1
    if show_schemes:
        said.append("answered over " + ", ".join(f"{s} in {n}" for s, n in sorted(schemes.items()))
                    + f" of {len(runs)} runs")
    return f"- {label}: " + "; ".join(said) if said else ""


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--runs", required=True)
    parser.add_argument("--requests", required=True)
    parser.add_argument("--round-trip-ms", required=True,
                        help='"MEDIAN WORST" of the probe\'s exchanges, in ms')
    parser.add_argument("--labels", nargs="+", required=True, help="one per column")
    parser.add_argument("--mode", default="loopback", help="the path and its faults, in words")
    parser.add_argument("--machines", action="store_true",
                        help="errors are from the nearest machine's clock")
    parser.add_argument("--schemes", action="store_true",
                        help="say over which schemes each tool's runs were answered")
    args = parser.parse_args()

    with open(args.requests, encoding="utf-8") as lines:
        requests = [Request(line) for line in lines if line.strip()]
    round_trip_ms, worst_round_trip_ms = (float(v) for v in args.round_trip_ms.split())
    with open(args.runs, encoding="ascii") as lines:
        runs = [Run(line.split(), requests, round_trip_ms * 1000) for line in lines if line.strip()]
    runs = [r for r in runs if r.trial > 0]
    trials = len({r.trial for r in runs})

    print(f"N = {trials} trials; {args.mode}; round trip {round_trip_ms:.2f} ms (median of the "
          f"probe; worst {worst_round_trip_ms:.2f} ms); one answer allows ±(0.5 s + half the "
          f"round trip), the larger of the probe's and the run's first exchange's.")
    print()
    error = "\\|error\\| from the nearest machine" if args.machines else "\\|error\\|"
    print(f"| Tool | median {error} | 90th percentile | worst | mean error | worse than one answer "
          "| exchanges (median / most) | connections (median / most) "
          "| first answer to correction (median / most) |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
    by_column = [[r for r in runs if r.column == c] for c in range(len(args.labels))]
    for label, column_runs in zip(args.labels, by_column):
        print(row(label, column_runs))
    said = [n for n in (notes(label, column_runs, args.schemes)
                        for label, column_runs in zip(args.labels, by_column)) if n]
    if said:
        print()
        print("\n".join(said))


if __name__ == "__main__":
    main()
