#!/usr/bin/env bash
# Builds both: the native tests and headless mirlow (build/native, with
# the sanitizers) and mirlow.exe for Windows (build/win).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/native -G Ninja -DMIRLOW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win
