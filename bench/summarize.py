#!/usr/bin/env python3
"""Prints the accuracy benchmark's table in Markdown.

Reads one line per trial with one error in microseconds per measured tool ("-" where a tool gave
no reading). Percentiles are by nearest rank; a missing reading counts as outside every bound.
"""
import argparse
import math
import statistics

HALF_SECOND_US = 500_000


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


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--errors", required=True, help="one line per trial, errors in µs")
    parser.add_argument("--round-trip-ms", required=True,
                        help='"MEDIAN WORST" of the loopback exchange, in ms')
    parser.add_argument("--labels", nargs="+", required=True, help="one per column")
    args = parser.parse_args()

    with open(args.errors, encoding="ascii") as lines:
        trials = [line.split() for line in lines if line.strip()]
    round_trip_ms, worst_round_trip_ms = (float(v) for v in args.round_trip_ms.split())
    bound_us = HALF_SECOND_US + round_trip_ms * 1000 / 2
    bound_text = f"±{bound_us / 1000:.1f} ms"

    print(f"N = {len(trials)} trials; loopback round trip {round_trip_ms:.2f} ms (median; worst "
          f"{worst_round_trip_ms:.2f} ms); target bound ±(0.5 s + half the round trip) = "
          f"{bound_text}.")
    print()
    print(f"| Tool | median \\|error\\| | 90th percentile | worst | mean error | within ±0.5 s "
          f"| within {bound_text} |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: |")
    for column, label in enumerate(args.labels):
        errors_us = [None if t[column] == "-" else int(t[column]) for t in trials]
        print(row(label, errors_us, len(trials), bound_us))


if __name__ == "__main__":
    main()
