#!/usr/bin/env bash
# Builds the benchmarks in their own Release tree (-O3) and runs each of them. Every benchmark
# prints its goals with a verdict (met, or missed by how much); a summary of all of them ends the
# run, which exits non-zero when a goal was missed or a benchmark failed. Their inputs are made once
# and kept in the build tree (build/bench/bench/work).
#
# The benchmarks run on the CPUs this script was given (taskset -c LIST bench/run.sh chooses
# them); a goal stated for fewer cores runs on the first of those CPUs, never on others.
set -uo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree="$top/build/bench"
bin="$tree/bin"
jobs=$(nproc 2>/dev/null || echo 2)
started=$SECONDS

launchers=()
if command -v ccache >/dev/null; then
    launchers=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVA_BUILD_BENCH=ON "${launchers[@]}" || exit 1
cmake --build "$tree" -j "$jobs" --target peak_build_bench wave_view_bench mp3_decode_bench audio_mix_bench \
    mp3_encode_bench edit_bench track_load_bench editor_bench recording_bench tag_bench save_bench \
    mp3_save_bench mix_down_bench feed_bench ftp_upload_bench || exit 1

# The CPUs given, in order: "0-3,6" gives 0 1 2 3 6.
cpus=()
for range in $(taskset -pc $$ | sed 's/.*: //' | tr ',' ' '); do
    cpus+=($(seq "${range%-*}" "${range#*-}"))
done
# The first n of them, as a list for taskset -c.
first_cpus() {
    local IFS=,
    echo "${cpus[*]:0:$1}"
}

export VA_BENCH_VERDICTS="$tree/bench-verdicts.txt"
: > "$VA_BENCH_VERDICTS"
failed=()

# run NAME [taskset -c LIST]: one benchmark, its exit code remembered.
run() {
    local name=$1; shift
    echo
    echo "== $name${3:+ (CPUs $3)}"
    if ! "$@" "$bin/$name"; then
        failed+=("$name")
    fi
}

run peak_build_bench taskset -c "$(first_cpus 2)"
run peak_build_bench taskset -c "$(first_cpus 1)"
run wave_view_bench
run mp3_decode_bench
run audio_mix_bench taskset -c "$(first_cpus 1)"
run mp3_encode_bench
run edit_bench
run track_load_bench
run editor_bench
run recording_bench
run tag_bench
run save_bench
run mp3_save_bench
run mix_down_bench
run feed_bench
run ftp_upload_bench

echo
echo "== Summary (${#cpus[@]} CPUs given: $(first_cpus ${#cpus[@]}))"
cat "$VA_BENCH_VERDICTS"
met=$(grep -c '^met:' "$VA_BENCH_VERDICTS")
missed=$(grep -c '^MISSED:' "$VA_BENCH_VERDICTS")
echo "$met goals met, $missed missed"
if [ ${#failed[@]} -gt 0 ]; then
    echo "benchmarks that missed a goal or failed: ${failed[*]}"
fi
echo "took $(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s; the build tree holds $(du -sh "$tree" | cut -f1)"
[ ${#failed[@]} -eq 0 ]
