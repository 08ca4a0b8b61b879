#!/usr/bin/env bash
# Builds the benchmarks in their own Release tree (-O3) and runs each of them.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$top/build/bench"
cmake -S "$top" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVA_BUILD_BENCH=ON
cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)" --target peak_build_bench wave_view_bench mp3_decode_bench audio_mix_bench

"$tree/bin/peak_build_bench"
"$tree/bin/wave_view_bench"
"$tree/bin/mp3_decode_bench"
"$tree/bin/audio_mix_bench"

cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)" --target mp3_encode_bench
"$tree/bin/mp3_encode_bench"

cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)" --target edit_bench
"$tree/bin/edit_bench"
