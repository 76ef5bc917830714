"""The benchmark's percentiles, on samples small enough to rank by hand."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import stats  # noqa: E402


class Percentile(unittest.TestCase):
    def test_nearest_rank_on_unsorted_samples(self):
        values = [7, 1, 10, 3, 5, 9, 2, 8, 4, 6]
        for p, expected in [(0, 1), (10, 1), (11, 2), (50, 5), (90, 9), (99, 10), (100, 10)]:
            with self.subTest(p=p):
                self.assertEqual(expected, stats.percentile(values, p))

    def test_p99_of_two_hundred_samples_leaves_two_above_it(self):
        values = list(range(1, 201))
        self.assertEqual(198, stats.percentile(values, 99))
        self.assertEqual(1, stats.percentile([1], 99))
        self.assertRaises(ValueError, stats.percentile, [], 50)

    def test_latency_counts_lost_samples_among_all(self):
        summary = stats.latency([30.0, 10.0, 20.0], lost=2)
        self.assertEqual((20.0, 30.0, 5, 2), (summary["p50"], summary["max"],
                                               summary["samples"], summary["lost"]))


if __name__ == "__main__":
    unittest.main()
