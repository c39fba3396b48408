#!/usr/bin/env python3
"""Prints the fall-back benchmark's table in Markdown.

--runs holds one line per run of the silent mode: "RUN STARTED_US ENDED_US READING" (READING "-"
where it asked for no change); run 0 (a warm-up) is left out. --syns is syn_watch.py's log,
--requests the plain source's request log, --addresses the sources' addresses in the order the
program asks them. Per run: when each source's first HTTPS attempt began (its first SYN to port
443; the drop leaves no other trace), what each source cost (from its first SYN to the next
source's, the last one's to the first SYN to port 80), the HTTPS round (from the first SYN to
port 443 to the first to port 80), and from the start to the first plain-HTTP request and to the
exit, the correction made before it. Limits: 5 s per source, 15 s before the plain round.
"""
import argparse
import statistics

MOST_PER_SOURCE_S = 5.0
MOST_HTTPS_ROUND_S = 15.0
HTTPS_PORT = 443
HTTP_PORT = 80


def seconds(value):
    return "–" if value is None else f"{value:.2f} s"


class Run:
    def __init__(self, fields, syns, requests, addresses):
        self.number = int(fields[0])
        started_s, ended_s = int(fields[1]) / 1e6, int(fields[2]) / 1e6
        self.corrected = fields[3] != "-"
        mine = [s for s in syns if started_s <= s[0] <= ended_s]
        https = [s for s in mine if s[2] == HTTPS_PORT]
        plain = [s[0] for s in mine if s[2] == HTTP_PORT]
        self.https_syns = len(https)
        firsts = [min((s[0] for s in https if s[1] == a), default=None) for a in addresses]
        self.attempts = [None if t is None else t - started_s for t in firsts]
        first_plain_syn = min(plain, default=None)
        # Each source's cost runs until the next attempt began: the next source's, or the plain
        # round's after the last.
        ends = firsts[1:] + [first_plain_syn]
        self.costs = [None if a is None or b is None else b - a for a, b in zip(firsts, ends)]
        began = [t for t in firsts if t is not None]
        self.https_round = (first_plain_syn - min(began)
                            if began and first_plain_syn is not None else None)
        reads = [r for r in requests if started_s <= r <= ended_s]
        self.first_plain_request = min(reads) - started_s if reads else None
        self.exit = ended_s - started_s

    def row(self):
        return "| " + " | ".join([
            str(self.number),
            " / ".join(seconds(t) for t in self.attempts),
            " / ".join(seconds(c) for c in self.costs),
            str(self.https_syns),
            seconds(self.https_round),
            seconds(self.first_plain_request),
            seconds(self.exit) + ("" if self.corrected else " (no correction)"),
        ]) + " |"


def median_and_most(values):
    known = [v for v in values if v is not None]
    if not known:
        return "none seen"
    return f"median {statistics.median(known):.2f} s, most {max(known):.2f} s"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--runs", required=True)
    parser.add_argument("--syns", required=True)
    parser.add_argument("--requests", required=True)
    parser.add_argument("--addresses", nargs="+", required=True)
    args = parser.parse_args()

    with open(args.syns, encoding="ascii") as lines:
        syns = [(float(f[0]), f[1], int(f[2])) for f in (line.split() for line in lines) if f]
    requests = []
    with open(args.requests, encoding="utf-8") as lines:
        for fields in (line.split() for line in lines):
            if fields and fields[3] == "http":
                requests.append(float(fields[0]))
    with open(args.runs, encoding="ascii") as lines:
        runs = [Run(line.split(), syns, requests, args.addresses) for line in lines if line.strip()]
    runs = [r for r in runs if r.number > 0]

    sources = len(args.addresses)
    plural = "s" if len(runs) != 1 else ""
    print(f"{len(runs)} run{plural} of the silent mode; port 443 silently drops every SYN (a "
          f"full accept queue), port 80 answers at once; the {sources} sources on addresses of their own "
          "(times after the program's start, Wine's start included).")
    print()
    print("| run | HTTPS attempt began, per source | each source's cost | SYNs to 443 "
          "| first SYN to 443 until the first to 80 | first plain-HTTP request "
          "| exit (the correction made) |")
    print("| ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
    for run in runs:
        print(run.row())
    print()
    costs = [c for r in runs for c in r.costs]
    rounds = [r.https_round for r in runs]
    over_costs = sum(c is not None and c > MOST_PER_SOURCE_S for c in costs)
    over_rounds = sum(t is not None and t > MOST_HTTPS_ROUND_S for t in rounds)
    print(f"- each source's cost: {median_and_most(costs)}; over {MOST_PER_SOURCE_S:.0f} s: "
          f"{over_costs} of {sum(c is not None for c in costs)}")
    print(f"- the HTTPS round, first SYN to 443 until the first to 80: {median_and_most(rounds)}; "
          f"over {MOST_HTTPS_ROUND_S:.0f} s: {over_rounds} of {sum(t is not None for t in rounds)}")
    print(f"- start to the first plain-HTTP request: "
          f"{median_and_most([r.first_plain_request for r in runs])}")
    print(f"- start to exit, the correction made: {median_and_most([r.exit for r in runs])}; "
          f"without a correction: {sum(not r.corrected for r in runs)} of {len(runs)}")
    if not any(r.https_syns for r in runs):
        print("- no run made an HTTPS attempt")


if __name__ == "__main__":
    main()
