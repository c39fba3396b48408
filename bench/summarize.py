#!/usr/bin/env python3
"""Prints the accuracy benchmark's table in Markdown.

Reads one line per trial with one error in microseconds per measured tool ("-" where a tool gave
no reading). Percentiles are by nearest rank; a missing reading counts as outside every bound.
With --exchanges, also the program's requests per correction and its times from the first answer
to the last and to its exit, one line per trial, against the refinement's limits.
"""
import argparse
import math
import statistics

HALF_SECOND_US = 500_000
MOST_EXCHANGES = 8        # the first answer and at most 7 refinements
REFINEMENT_WINDOW_MS = 10_000


def nearest_rank(sorted_values, fraction):
    return sorted_values[max(0, math.ceil(fraction * len(sorted_values)) - 1)]


def share(count, total):
    return f"{100 * count / total:.0f} %"


def row(label, errors_us, trials, bound_us):
    readings = [e for e in errors_us if e is not None]
    if not readings:
        return f"| {label} | no reading | | | | | |"
    magnitudes = sorted(abs(e) for e in readings)
    cells = [
        label,
        f"{statistics.median(magnitudes) / 1000:.1f} ms",
        f"{nearest_rank(magnitudes, 0.9) / 1000:.1f} ms",
        f"{magnitudes[-1] / 1000:.1f} ms",
        f"{statistics.fmean(readings) / 1000:+.1f} ms",
        share(sum(m <= HALF_SECOND_US for m in magnitudes), trials),
        share(sum(m <= bound_us for m in magnitudes), trials),
    ]
    if len(readings) < trials:
        cells[0] += f" ({trials - len(readings)} without a reading)"
    return "| " + " | ".join(cells) + " |"


def limit_row(label, values, show, limit):
    """Median, most and the share of runs at or under the limit; None counts as over it."""
    known = sorted(v for v in values if v is not None)
    if not known:
        return f"| {label} | no reading | | |"
    cells = [label, show(statistics.median(known)), show(known[-1]),
             share(sum(v <= limit for v in known), len(values))]
    return "| " + " | ".join(cells) + " |"


def print_exchanges(path):
    with open(path, encoding="ascii") as lines:
        runs = [line.split() for line in lines if line.strip()]
    if not runs:
        return

    def number(text):
        return None if text == "-" else float(text)

    def count(value):
        return f"{value:.0f}"

    def seconds(ms):
        return f"{ms / 1000:.2f} s"

    window = f"{REFINEMENT_WINDOW_MS / 1000:.0f} s"
    print()
    print("The program per correction, from the source's request log (a run without a request "
          "counts as over every limit):")
    print()
    print("| QuelanTikora.exe 1 | median | most | within the limit |")
    print("| --- | ---: | ---: | ---: |")
    print(limit_row(f"exchanges (at most {MOST_EXCHANGES})",
                    [number(r[0]) or None for r in runs], count, MOST_EXCHANGES))
    print(limit_row(f"first answer to last answer (at most {window})",
                    [number(r[1]) for r in runs], seconds, REFINEMENT_WINDOW_MS))
    print(limit_row(f"first answer to exit, the correction made (at most {window})",
                    [number(r[2]) for r in runs], seconds, REFINEMENT_WINDOW_MS))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--errors", required=True, help="one line per trial, errors in µs")
    parser.add_argument("--round-trip-ms", required=True,
                        help='"MEDIAN WORST" of the loopback exchange, in ms')
    parser.add_argument("--labels", nargs="+", required=True, help="one per column")
    parser.add_argument("--latency-ms", type=float, default=0.0,
                        help="the source's simulated delay each way")
    parser.add_argument("--exchanges",
                        help='"REQUESTS FIRST_TO_LAST_MS FIRST_TO_EXIT_MS" per program run')
    args = parser.parse_args()

    with open(args.errors, encoding="ascii") as lines:
        trials = [line.split() for line in lines if line.strip()]
    round_trip_ms, worst_round_trip_ms = (float(v) for v in args.round_trip_ms.split())
    bound_us = HALF_SECOND_US + round_trip_ms * 1000 / 2
    bound_text = f"±{bound_us / 1000:.1f} ms"

    path = (f"loopback with {args.latency_ms:g} ms each way added by the source"
            if args.latency_ms else "loopback")
    print(f"N = {len(trials)} trials; {path}; round trip {round_trip_ms:.2f} ms (median; worst "
          f"{worst_round_trip_ms:.2f} ms); one-answer bound ±(0.5 s + half the round trip) = "
          f"{bound_text}.")
    print()
    print(f"| Tool | median \\|error\\| | 90th percentile | worst | mean error | within ±0.5 s "
          f"| within {bound_text} |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: |")
    for column, label in enumerate(args.labels):
        errors_us = [None if t[column] == "-" else int(t[column]) for t in trials]
        print(row(label, errors_us, len(trials), bound_us))
    if args.exchanges:
        print_exchanges(args.exchanges)


if __name__ == "__main__":
    main()
