#!/usr/bin/env bash
# The two set-up commands of the README, and the benchmarks:
#   ./setup.sh run    build the recorder and start it
#   ./setup.sh test   install what the build needs, build with the sanitizers and run every test
#   ./setup.sh bench  build the Release tree and run the benchmarks
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local wanted missing=()
    wanted=$(grep -v -E '^\s*(#|$)' scripts/debian-packages.txt)
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

configure_and_build() { # tree, then cmake options
    local tree=$1; shift
    cmake -S . -B "$tree" -G Ninja "$@"
    cmake --build "$tree" -j "$jobs"
}

case "${1:-}" in
test)
    install_packages
    configure_and_build build/asan -DCMAKE_BUILD_TYPE=Debug -DVA_SANITIZE=address
    ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 600
    # Threaded code also runs under ThreadSanitizer; that tree builds only the threaded tests.
    configure_and_build build/tsan -DCMAKE_BUILD_TYPE=Debug -DVA_SANITIZE=thread
    ctest --test-dir build/tsan --output-on-failure -j "$jobs" --timeout 600
    ;;
run)
    install_packages
    configure_and_build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
    if [ -x build/release/bin/WexoRavadur ]; then
        exec build/release/bin/WexoRavadur "${@:2}"
    fi
    echo "The build succeeded, but the recorder cannot start yet: its first window has not been built."
    exit 1
    ;;
bench)
    install_packages
    exec bench/run.sh
    ;;
*)
    echo "usage: $0 run | test | bench" >&2
    exit 2
    ;;
esac
