#!/usr/bin/env bash
# Builds the benchmarks, generates the corpus (once) into build/bench-corpus,
# runs them (medians of 7 repetitions, interleaved in random order so that
# the machine's load falls on all of them alike) and prints the ratios.
# --clean deletes the corpus afterwards.
#   bench/run.sh [--clean] [benchmark options...]
set -euo pipefail
cd "$(dirname "$0")/.."
clean=0
if [[ "${1:-}" == "--clean" ]]; then clean=1; shift; fi
corpus=build/bench-corpus

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DWEXLA_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target qar qar_bench qar_bench_corpus

if [[ ! -f "$corpus/pack/corpus_dir.qar" ]]; then
  rm -rf "$corpus"
  build/bench/bench/qar_bench_corpus "$corpus/loose"
  build/bench/tools/qar/qar pack --chunk-size 200M "$corpus/loose" "$corpus/pack/corpus"
fi

build/bench/bench/qar_bench --corpus="$corpus" --benchmark_repetitions=7 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true --benchmark_out=build/bench/results.json \
  --benchmark_out_format=json "$@"
python3 bench/ratios.py build/bench/results.json
if [[ $clean == 1 ]]; then rm -rf "$corpus"; fi
