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

    rows = [
        ("lookup: OpenFile vs unordered_map", rate("BM_Lookup_Store") / rate("BM_Lookup_UnorderedMap"), None),
        ("small files: store vs fopen/fread/fclose",
         rate("BM_SmallFiles_Store") / rate("BM_SmallFiles_Stdio"), 1.5),
        ("large read (steady state) vs fread",
         rate("BM_LargeRead_Store", "bytes_per_second") / rate("BM_LargeRead_Fread", "bytes_per_second"), 0.8),
        ("large read (first read, fresh store) vs fread",
         rate("BM_LargeRead_StoreFirstRead", "bytes_per_second") / rate("BM_LargeRead_Fread", "bytes_per_second"),
         0.8),
        ("two threads on two chunk files vs one thread",
         rate("BM_ChunkReads/real_time/threads:2") / rate("BM_ChunkReads/real_time/threads:1"), 1.6),
        ("machine ceiling: two threads of lock-free lookups vs one",
         rate("BM_Lookup_Store/real_time/threads:2") / rate("BM_Lookup_Store/real_time/threads:1"), None),
        ("machine ceiling: two threads of loose stdio reads vs one",
         rate("BM_LooseReads/real_time/threads:2") / rate("BM_LooseReads/real_time/threads:1"), None),
    ]
    print("| measure | ratio | target |")
    print("|---|---|---|")
    for name, ratio, target in rows:
        verdict = "" if target is None else (">= %.1f: %s" % (target, "met" if ratio >= target else "NOT met"))
        print("| %s | %.2fx | %s |" % (name, ratio, verdict))
    mount = runs["BM_Mount"]
    print("| mount of %d files | %.1f ms | < 100 ms: %s |" % (
        mount["files"], mount["real_time"], "met" if mount["real_time"] < 100 else "NOT met"))
    print("| memory of the mounted tree | %.1f MiB resident (tree %.1f MiB) | |" % (
        mount["resident_MiB"], mount["tree_MiB"]))


if __name__ == "__main__":
    main(sys.argv[1])
