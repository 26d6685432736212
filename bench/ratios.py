#!/usr/bin/env python3
"""Prints the benchmark ratios from qar_bench's JSON output.

    ratios.py RESULTS.json [EARLIER.json]

With a second file (a run of an earlier build), its values stand in a
"before" column beside this run's.
"""
import json
import sys


def load(path):
    with open(path) as f:
        benchmarks = json.load(f)["benchmarks"]
    # With repetitions, the medians; otherwise the single runs.
    medians = {b["run_name"]: b for b in benchmarks if b.get("aggregate_name") == "median"}
    return medians or {b["name"]: b for b in benchmarks}


def rows(runs):
    """(measure, value text, target text, met or None) for one run."""
    def rate(name, key):
        return runs[name][key]

    def ratio(a, b, key="items_per_second"):
        return rate(a, key) / rate(b, key)

    bytes_rate = "bytes_per_second"
    ratios = [
        ("lookup: OpenFile vs unordered_map", ratio("BM_Lookup_Store", "BM_Lookup_UnorderedMap"), 1 / 3.0),
        ("small files, warm mount: store vs fopen/fread/fclose",
         ratio("BM_SmallFiles_Store", "BM_SmallFiles_Stdio"), 1.5),
        ("level load, scattered 20%, fresh mount, first pass: store vs stdio",
         ratio("BM_LevelLoad_Store/order:0/pass:1", "BM_LevelLoad_Stdio/order:0"), 2.0),
        ("level load, archive order, fresh mount, first pass: store vs stdio",
         ratio("BM_LevelLoad_Store/order:1/pass:1", "BM_LevelLoad_Stdio/order:1"), 2.5),
        ("level load, archive order, second pass: store vs stdio",
         ratio("BM_LevelLoad_Store/order:1/pass:2", "BM_LevelLoad_Stdio/order:1"), 2.5),
        ("large read (steady state) vs fread",
         ratio("BM_LargeRead_Store", "BM_LargeRead_Fread/after_mount:0", bytes_rate), 0.8),
        ("large read (first read, fresh mount) vs fread",
         ratio("BM_LargeRead_StoreFirstRead", "BM_LargeRead_Fread/after_mount:1", bytes_rate), 0.9),
        ("two threads on one chunk file vs one thread",
         ratio("BM_OneChunkReads/real_time/threads:2", "BM_OneChunkReads/real_time/threads:1"), 1.6),
        ("two threads on two chunk files vs one thread",
         ratio("BM_ChunkReads/real_time/threads:2", "BM_ChunkReads/real_time/threads:1"), 1.7),
        ("machine ceiling: two threads of positional reads of one chunk file vs one",
         ratio("BM_OneChunkPreadCeiling/real_time/threads:2", "BM_OneChunkPreadCeiling/real_time/threads:1"), None),
        ("machine ceiling: two threads of lock-free lookups vs one",
         ratio("BM_Lookup_Store/real_time/threads:2", "BM_Lookup_Store/real_time/threads:1"), None),
        ("machine ceiling: two threads of loose stdio reads vs one",
         ratio("BM_LooseReads/real_time/threads:2", "BM_LooseReads/real_time/threads:1"), None),
    ]
    out = []
    for name, value, target in ratios:
        out.append((name, "%.2fx" % value, "" if target is None else ">= %.2f" % target,
                    None if target is None else value >= target))
    for name, label in (("BM_LevelLoad_Store/order:0/pass:1", "scattered, first pass"),
                        ("BM_LevelLoad_Store/order:1/pass:1", "archive order, first pass"),
                        ("BM_LevelLoad_Store/order:1/pass:2", "archive order, second pass")):
        run = runs[name]
        read = run.get("read_MiB", -1)
        out.append(("level load, %s: MiB read from chunk files / MiB delivered" % label,
                    "%s / %.1f" % ("%.1f" % read if read >= 0 else "n/a", run["delivered_MiB"]), "", None))
    mount = runs["BM_Mount"]
    out.append(("mount of %d files" % mount["files"], "%.1f ms" % mount["real_time"], "< 20 ms",
                mount["real_time"] < 20))
    out.append(("memory of the mounted store (tree %.1f MiB)" % mount["tree_MiB"],
                "%.1f MiB" % mount["resident_MiB"], "< tree + 2 MiB",
                mount["resident_MiB"] < mount["tree_MiB"] + 2))
    return out


def verdict(target, met):
    if met is None:
        return target
    return "%s: %s" % (target, "met" if met else "NOT met")


def main(args):
    now = rows(load(args[0]))
    if len(args) > 1:
        before = {r[0]: r for r in rows(load(args[1]))}
        print("| measure | before | after | target |")
        print("|---|---|---|---|")
        for name, value, target, met in now:
            print("| %s | %s | %s | %s |" % (name, before[name][1] if name in before else "", value,
                                             verdict(target, met)))
    else:
        print("| measure | result | target |")
        print("|---|---|---|")
        for name, value, target, met in now:
            print("| %s | %s | %s |" % (name, value, verdict(target, met)))


if __name__ == "__main__":
    main(sys.argv[1:])
