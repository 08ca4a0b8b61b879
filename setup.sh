#!/usr/bin/env bash
# The two set-up commands of the README, and the benchmarks:
#   ./setup.sh run    install what the programs need, build them (no tests) and start the recorder
#   ./setup.sh test   install what the tests need, build with the sanitizers and run every test
#   ./setup.sh bench  install what the benchmarks need, build the Release tree and run them
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The packages of scripts/debian-packages.txt that the named command needs and that are missing.
install_packages() { # command: run, test or bench
    local missing=()
    for p in $(awk -v cmd="$1" '!/^[[:space:]]*(#|$)/ { for (i = 2; i <= NF; i++) if ($i == cmd) print $1 }' \
                   scripts/debian-packages.txt); do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

# ccache, where it is installed, serves every tree and every clone: paths are hashed relative to the
# source tree, so a fresh clone in another folder reuses what an earlier one compiled.
use_ccache() {
    if command -v ccache >/dev/null; then
        export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
        export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
    fi
}

configure_and_build() { # tree, then cmake options
    local tree=$1; shift
    cmake -S . -B "$tree" -G Ninja "$@"
    cmake --build "$tree" -j "$jobs"
}

case "${1:-}" in
test)
    install_packages test
    use_ccache
    configure_and_build build/tests-asan-ubsan -DCMAKE_BUILD_TYPE=Debug -DVA_SANITIZE=address
    ctest --test-dir build/tests-asan-ubsan --output-on-failure -j "$jobs" --timeout 600
    # The ID3 reader under libFuzzer for a minute, in a clang tree of its own that builds only the
    # fuzz target, on a copy of the seed corpus (the fuzzer adds what it finds to it).
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DVA_FUZZ=ON -DVA_BUILD_TESTS=OFF
    cmake --build build/fuzz -j "$jobs" --target id3_fuzz
    rm -rf build/fuzz/corpus-id3 && cp -r tests/fuzz/corpus/id3 build/fuzz/corpus-id3
    build/fuzz/bin/id3_fuzz -max_total_time=60 -artifact_prefix=build/fuzz/ build/fuzz/corpus-id3
    # The feed reader the same way, for 30 seconds.
    cmake --build build/fuzz -j "$jobs" --target feed_fuzz
    rm -rf build/fuzz/corpus-feed && cp -r tests/fuzz/corpus/feed build/fuzz/corpus-feed
    build/fuzz/bin/feed_fuzz -max_total_time=30 -artifact_prefix=build/fuzz/ build/fuzz/corpus-feed
    # Threaded code also runs under ThreadSanitizer; that tree builds only the threaded tests.
    configure_and_build build/tests-tsan -DCMAKE_BUILD_TYPE=Debug -DVA_SANITIZE=thread
    ctest --test-dir build/tests-tsan --output-on-failure -j "$jobs" --timeout 600
    ;;
run)
    install_packages run
    use_ccache
    configure_and_build build/programs -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVA_BUILD_TESTS=OFF
    if [ -x build/programs/bin/WexoRavadur ]; then
        exec build/programs/bin/WexoRavadur "${@:2}"
    fi
    ;;
bench)
    install_packages bench
    use_ccache
    exec bench/run.sh
    ;;
*)
    echo "usage: $0 run | test | bench" >&2
    exit 2
    ;;
esac
