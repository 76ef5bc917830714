"""Summaries of the benchmark's samples: nearest-rank percentiles, so that "p99 is x" means
at least 99% of the samples were at most x, and the median with its interquartile range."""

import math


def percentile(values, p):
    """The smallest sample that at least p percent of the samples do not exceed."""
    if not values:
        raise ValueError("no samples")
    ordered = sorted(values)
    rank = max(1, math.ceil(p * len(ordered) / 100))  # p * n first: exact for whole p
    return ordered[min(rank, len(ordered)) - 1]


def rounded(value):
    """Four significant digits: more than any of the measurements can vouch for."""
    return float(f"{value:.4g}")


def spread(values):
    """The median and the interquartile range around it."""
    return {
        "median": rounded(percentile(values, 50)),
        "p25": rounded(percentile(values, 25)),
        "p75": rounded(percentile(values, 75)),
        "samples": len(values),
    }


def latency(values, lost):
    """What the relabel latency is judged by: the tail, and the samples never relabelled."""
    summary = {f"p{p}": rounded(percentile(values, p)) for p in (50, 90, 99)}
    summary.update(max=rounded(max(values)), samples=len(values) + lost, lost=lost)
    return summary
