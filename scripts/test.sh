#!/usr/bin/env bash
# Builds and runs every test: native (g++), native under ASan+UBSan, the threaded tests under
# TSan, the Windows build under Wine, a bounded fuzz run, the includes check and the formatting
# check.
# Installs missing Debian packages first. Ends with one line: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${NORVIK_JOBS:-$(nproc)}
fuzz_seconds=${NORVIK_FUZZ_SECONDS:-60}

scripts/deps.sh all || { echo "could not install the build's packages"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
failures=()
log_dir=$root/build/logs
mkdir -p "$log_dir"

# Adds one ctest run's counts, read from its closing summary line; the optional fourth argument
# is how many of its failures passed when run again.
count_ctest() {
    local name=$1 log=$2 status=$3 passed_again=${4:-0}
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        if grep -q 'No tests were found' "$log"; then return; fi
        failed=$((failed + 1)); failures+=("$name (no test summary, exit $status)"); return
    fi
    bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    bad=$((bad - passed_again))
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    [ "$bad" = 0 ] || failures+=("$name: $bad failed (see $log)")
}

step() { printf '\n=== %s ===\n' "$*"; }

build() {  # build PRESET -> configures and builds, logging; returns non-zero on failure
    local preset=$1
    cmake --preset "$preset" >"$log_dir/$preset-configure.log" 2>&1 &&
        cmake --build --preset "$preset" -j "$jobs" >"$log_dir/$preset-build.log" 2>&1
}

build_or_fail() {
    local preset=$1
    if ! build "$preset"; then
        tail -n 40 "$log_dir/$preset-configure.log" "$log_dir/$preset-build.log" 2>/dev/null
        failed=$((failed + 1)); failures+=("$preset build")
        return 1
    fi
}

run_ctest() {  # run_ctest NAME LOG ctest-args...
    local name=$1 log=$2; shift 2
    "$@" >"$log" 2>&1
    local status=$?
    grep -E '(Failed|\*\*\*|tests passed|Total Test time)' "$log" | tail -n 25
    count_ctest "$name" "$log" "$status"
}

step "native build and tests"
if build_or_fail native; then
    run_ctest native "$log_dir/native-test.log" ctest --preset native -j "$jobs"
fi

step "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
if build_or_fail native-asan; then
    run_ctest native-asan "$log_dir/native-asan-test.log" env \
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --preset native-asan -j "$jobs"
fi

step "threaded tests under ThreadSanitizer"
if build_or_fail native-tsan; then
    # TSan needs the older address layout on kernels with high mmap randomisation.
    tsan_prefix=()
    if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
        tsan_prefix=(setarch "$(uname -m)" -R)
    fi
    run_ctest native-tsan "$log_dir/native-tsan-test.log" "${tsan_prefix[@]}" \
        ctest --preset native-tsan -j "$jobs"
fi

step "Windows build, tests under Wine"
if build_or_fail windows; then
    # The window's tests start their own Xvfb and prefix on first use (tests/ui_support) and a
    # cleanup test ends them; stopped here too, should ctest itself have been stopped early.
    wine_log=$log_dir/windows-test.log
    scripts/wine-ctest.sh build/windows --output-on-failure -j "$jobs" >"$wine_log" 2>&1
    wine_status=$?
    grep -E '(Failed|\*\*\*|tests passed|Total Test time)' "$wine_log" | tail -n 25
    if grep -qE ', [1-9][0-9]* tests failed out of' "$wine_log"; then
        # Wine on a loaded machine now and then fails a program before it runs (a start-up race
        # in the prefix or the wineserver). What failed is shown, then run once more on its own:
        # a fault of ours fails again, and whatever passes only the second time is named here.
        grep -E -B2 -A12 '(Failure|\*\*\*Failed|wine:|err:)' "$wine_log" | head -n 60
        scripts/wine-ctest.sh build/windows --rerun-failed --output-on-failure -j 1 \
            >"$log_dir/windows-rerun.log" 2>&1
        again=$(grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' "$log_dir/windows-rerun.log" |
            sed -E 's/.*Test +#[0-9]+: ([^ ]+) .*/\1/')
        [ -z "$again" ] || printf 'passed only when run again: %s\n' $again
    fi
    count_ctest windows "$wine_log" "$wine_status" "$(wc -w <<<"${again:-}")"
    tests/ui_support/wine-ui-stop.sh build/windows
fi

if [ -x scripts/fuzz.sh ]; then
    step "fuzzing the index file loader (${fuzz_seconds}s)"
    if scripts/fuzz.sh "$fuzz_seconds" >"$log_dir/fuzz.log" 2>&1; then
        passed=$((passed + 1)); tail -n 3 "$log_dir/fuzz.log"
    else
        tail -n 30 "$log_dir/fuzz.log"; failed=$((failed + 1)); failures+=("fuzz (see $log_dir/fuzz.log)")
    fi
fi

step "includes point down"
# Each built tree: no file includes one of a library its own library does not link.
for tree in build/native build/windows; do
    [ -f "$tree/compile_commands.json" ] || continue
    if scripts/check-includes.py "$tree" >"$log_dir/includes-$(basename "$tree").log" 2>&1; then
        passed=$((passed + 1)); tail -n 1 "$log_dir/includes-$(basename "$tree").log"
    else
        head -n 20 "$log_dir/includes-$(basename "$tree").log"; failed=$((failed + 1))
        failures+=("includes out of line in $tree")
    fi
done

step "formatting"
# The sources git tracks; without a git checkout (a copied tree), every source outside build/.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t sources < <(git ls-files '*.cpp' '*.h')
else
    mapfile -t sources < <(find . -path ./build -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print)
fi
if [ ${#sources[@]} -eq 0 ]; then
    echo "no sources found to check"; failed=$((failed + 1)); failures+=("formatting: no sources found")
elif ! clang-format --dry-run -Werror "${sources[@]}" >"$log_dir/format.log" 2>&1; then
    head -n 20 "$log_dir/format.log"; failed=$((failed + 1)); failures+=("formatting: run clang-format -i")
else
    passed=$((passed + 1)); echo "formatting ok"
fi

echo
for f in "${failures[@]}"; do echo "FAILED: $f"; done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
