#!/usr/bin/env python3
"""Prints the benchmark ratios from qar_bench's JSON output."""
import json
import sys


def main(path):
    with open(path) as f:
        benchmarks = json.load(f)["benchmarks"]
    # With repetitions, the medians; otherwise the single runs.
    medians = {b["run_name"]: b for b in benchmarks if b.get("aggregate_name") == "median"}
    runs = medians or {b["name"]: b for b in benchmarks}

    def rate(name, key="items_per_second"):
        return runs[name][key]

    def ratio(a, b, key="items_per_second"):
        return rate(a, key) / rate(b, key)

    bytes_rate = "bytes_per_second"
    rows = [
        ("lookup: OpenFile vs unordered_map", ratio("BM_Lookup_Store", "BM_Lookup_UnorderedMap"), 1 / 3.0),
        ("small files, warm mount: store vs fopen/fread/fclose",
         ratio("BM_SmallFiles_Store", "BM_SmallFiles_Stdio"), 1.5),
        ("level load, scattered 20%, fresh mount, first pass: store vs stdio",
         ratio("BM_LevelLoad_Store/order:0/pass:1", "BM_LevelLoad_Stdio/order:0"), 2.0),
        ("level load, archive order, fresh mount, first pass: store vs stdio",
         ratio("BM_LevelLoad_Store/order:1/pass:1", "BM_LevelLoad_Stdio/order:1"), 2.5),
        ("level load, archive order, second pass: store vs stdio",
         ratio("BM_LevelLoad_Store/order:1/pass:2", "BM_LevelLoad_Stdio/order:1"), 2.5),
        ("large read (steady state) vs fread", ratio("BM_LargeRead_Store", "BM_LargeRead_Fread/after_mount:0", bytes_rate), 0.8),
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
    print("| measure | ratio | target |")
    print("|---|---|---|")
    for name, value, target in rows:
        verdict = "" if target is None else (">= %.2f: %s" % (target, "met" if value >= target else "NOT met"))
        print("| %s | %.2fx | %s |" % (name, value, verdict))
    for name, label in (("BM_LevelLoad_Store/order:0/pass:1", "scattered, first pass"),
                        ("BM_LevelLoad_Store/order:1/pass:1", "archive order, first pass"),
                        ("BM_LevelLoad_Store/order:1/pass:2", "archive order, second pass")):
        run = runs[name]
        if run.get("read_MiB", -1) >= 0:
            print("| level load, %s: MiB read from chunk files / MiB delivered | %.1f / %.1f | |" % (
                label, run["read_MiB"], run["delivered_MiB"]))
    mount = runs["BM_Mount"]
    print("| mount of %d files | %.1f ms | < 20 ms: %s |" % (
        mount["files"], mount["real_time"], "met" if mount["real_time"] < 20 else "NOT met"))
    print("| memory of the mounted store | %.1f MiB resident (tree %.1f MiB) | < tree + 2 MiB: %s |" % (
        mount["resident_MiB"], mount["tree_MiB"],
        "met" if mount["resident_MiB"] < mount["tree_MiB"] + 2 else "NOT met"))


if __name__ == "__main__":
    main(sys.argv[1])
