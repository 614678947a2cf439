#!/usr/bin/env bash
# Builds and runs every test: a g++ build, a clang++ build under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the concurrent tests under ThreadSanitizer.
# Installs the Debian packages it needs when they are missing (run as root on a fresh machine).
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/ensure_packages.sh
ensure_packages cmake make g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev \
    libbenchmark-dev libtomlplusplus-dev nlohmann-json3-dev python3 binutils

jobs=$(nproc)
run() {
    local dir=$1 label=$2
    shift 2
    echo "=== $dir ==="
    cmake -S . -B "$dir" -DQX_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    if [ -n "$label" ]; then
        ctest --test-dir "$dir" --output-on-failure -j"$jobs" -L "$label"
    else
        ctest --test-dir "$dir" --output-on-failure -j"$jobs"
    fi
}

run build/gcc "" -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
run build/asan "" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQX_SANITIZER=address \
    -DQX_BUILD_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1" \
    run build/tsan concurrent -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQX_SANITIZER=thread -DQX_BUILD_BENCH=OFF
echo "all tests passed"
