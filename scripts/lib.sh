# What the scripts and the Wine tests share. Source it; it sets no shell
# options of its own.
#
# The build's Windows programs: the Wine tests get their paths from ctest,
# the scripts take these, in the build that scripts/build.sh makes.
mirlow_source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${MIRLOW_EXE:=$mirlow_source_dir/build/win/mirlow.exe}"
: "${MIRLOW_PROBE:=$mirlow_source_dir/build/win/mirlow_probe.exe}"
: "${MIRLOW_KEY_TIMER:=$mirlow_source_dir/build/win/key_timer.exe}"

# winpath PATH: the Windows path of a Unix path (Wine maps / to Z:).
winpath() {
    echo "Z:$(realpath -m "$1" | tr / '\\')"
}

# probe VERB ARGS...: runs the test helper program (tests/e2e/mirlow_probe.cpp)
# for at most 20 s; prints what it says without carriage returns and
# returns its exit code.
probe() {
    timeout 20 wine "$MIRLOW_PROBE" "$@" 2>/dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}
