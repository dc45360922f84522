#!/usr/bin/env bash
# Bursts of changes against `norvik-cli watch` under Wine: after each, once the changes have
# stopped, the saved index must equal the disk exactly (every path, nothing lost, nothing stale).
#
# Kinds of burst:
# - create-during-scan: the watch starts on a tree big enough that its first scan takes a while. Once that
#   scan is under way (its worker threads are there) the whole process is stopped, as a watcher
#   starved of CPU on a busy machine is, and folders full of files are made in the root, which
#   the scan has already listed. Wine's server keeps the records meanwhile and, as Windows does
#   on overflow, fails the next read with ERROR_NOTIFY_ENUM_DIR: the watcher asks for a rescan of
#   the root while the root is still being scanned. The new folders are found by nothing else.
# - create: the same folders full of files, made once the watch watches, the watcher running.
# - rename: the same folders exist before the watch; once it watches, every file in them is
#   renamed, then every folder.
# - delete: the same folders exist before the watch; once it watches, they are deleted.
# - dates: the same folders exist before the watch; once it watches, the date of every file in
#   them is changed and nothing else (touch -d): each file must have its new date in the index.
#
# Usage: burst_under_wine.sh EMULATOR NORVIK_CLI_EXE [RUNS [KINDS]]
# KINDS: a list of the kinds above (all of them by default); each kind runs RUNS times (1).
# Sizes (defaults: the short form that runs with the tests): NORVIK_BURST_TREE folders of 500
# files beside the bursts (300), NORVIK_BURST_FOLDERS folders of NORVIK_BURST_FILES files in
# each burst (40 × 500). Prints "FAILED" and exits 1 when a run's index differs from the disk.
set -euo pipefail
emulator=$1 exe=$2 runs=${3:-1} kinds=${4:-create-during-scan create rename delete dates}
tree_folders=${NORVIK_BURST_TREE:-300}
burst_folders=${NORVIK_BURST_FOLDERS:-40}
burst_files=${NORVIK_BURST_FILES:-500}

work=$(mktemp -d /tmp/norvik-burst-XXXXXX)
new_date=1500000000  # July 2017, the date the dates burst gives
root=$work/root
watcher=
cleanup() {
  if [ -n "$watcher" ]; then
    kill -CONT "$watcher" 2>/dev/null || true
    kill -KILL "$watcher" 2>/dev/null || true
    wait "$watcher" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# Makes files 0001 to N in the current folder, with few calls to touch.
make_files() { seq -f '%04g' 1 "$1" | xargs touch; }

threads_of() { find "/proc/$1/task" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l; }
cpu_of() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo gone; }

# Waits until the file's size and the process's CPU time have not moved for 2 seconds (at most
# 120 s): the watcher and any rescan have caught up.
wait_until_settled() {
  local file=$1 pid=$2 last='' still=0
  for _ in $(seq 1 600); do
    local now
    now="$(stat -c %s "$file") $(cpu_of "$pid")"
    if [ "$now" = "$last" ]; then still=$((still + 1)); else still=0; fi
    last=$now
    [ $still -ge 10 ] && return 0
    sleep 0.2
  done
  echo "the watch never settled"
  return 1
}

echo "making the tree: $tree_folders folders of 500 files"
for ((i = 1; i <= tree_folders; i++)); do
  mkdir -p "$root/tree/t$i"
  (cd "$root/tree/t$i" && make_files 500)
done

make_burst_folders() {
  for ((i = 1; i <= burst_folders; i++)); do
    mkdir "$root/burst$i"
    (cd "$root/burst$i" && make_files "$burst_files")
  done
}

wait_until_watching() {
  until grep -q "items indexed" "$err"; do
    if ! kill -0 "$watcher" 2>/dev/null; then echo "the watch ended early"; cat "$err"; return 1; fi
    sleep 0.2
  done
  wait_until_settled "$out" "$watcher"
}

# The create-during-scan burst, made while the watch's first scan runs and the process is
# stopped. Returns 2 when the stop missed the scan (the run would prove nothing).
create_during_the_first_scan() {
  # The scan runs on the root's thread and its workers: five threads or more. Past its first
  # moments the root has been listed.
  local waited=0
  until [ "$(threads_of "$watcher")" -ge 5 ]; do
    sleep 0.005
    waited=$((waited + 1))
    if [ $waited -ge 6000 ] || ! kill -0 "$watcher" 2>/dev/null; then
      echo "the watch's scan never started"; cat "$err"; return 1
    fi
  done
  sleep 0.1
  kill -STOP "$watcher"
  if [ "$(threads_of "$watcher")" -lt 5 ] || grep -q "items indexed" "$err"; then
    kill -CONT "$watcher"
    return 2
  fi
  local start=$SECONDS
  make_burst_folders
  # A stall of at least 3 seconds, as the starved watcher had.
  while [ $((SECONDS - start)) -lt 3 ]; do sleep 0.2; done
  kill -CONT "$watcher"
}

# One run of a kind; returns 0 when the index equals the disk, 1 when it differs, 2 when it
# proved nothing and is tried again.
run_once() {
  local kind=$1 index=$work/index.bin
  out=$work/out.txt err=$work/err.txt
  rm -rf "$root"/burst* "$root"/renamed-* "$index" "$out" "$err"
  case $kind in rename | delete | dates) make_burst_folders ;; esac
  : >"$out"
  : >"$err"
  "$emulator" "$exe" watch --index "$(windows_path "$index")" "$(windows_path "$root")" \
    >"$out" 2>"$err" &
  watcher=$!
  local status=0
  if [ "$kind" = create-during-scan ]; then
    create_during_the_first_scan || status=$?
  elif ! wait_until_watching; then
    status=1
  else
    case $kind in
      create) make_burst_folders ;;
      rename)
        (cd "$root" && perl -e 'for my $d (glob "burst*") {
           for (glob "$d/*") { my $n = $_; $n =~ s|/|/renamed-|; rename $_, $n or die "$_: $!" } }
         for (glob "burst*") { rename $_, "renamed-$_" or die "$_: $!" }') ;;
      delete) rm -rf "$root"/burst* ;;
      dates) (cd "$root" && find burst* -type f -print0 | xargs -0 touch -d "@$new_date") ;;
      *) echo "unknown kind of burst: $kind"; status=1 ;;
    esac
  fi
  if [ $status -eq 0 ]; then wait_until_watching || status=1; fi
  kill -INT "$watcher"
  wait "$watcher" || { [ $status -ne 0 ] || { echo "the watch failed"; cat "$err"; status=1; }; }
  watcher=
  [ $status -eq 0 ] || return $status

  # Every path under the root, as the disk has it and as the saved index has it.
  (cd "$root" && find . -mindepth 1 | sed 's|^\./||' | sort) >"$work/disk.txt"
  local prefix
  prefix="$(windows_path "$root")\\"
  "$emulator" "$exe" search --index "$(windows_path "$index")" --format paths \
    --limit 100000000 '?*' 2>&1 | tr -d '\r' | grep -F "$prefix" | cut -c$((${#prefix} + 1))- |
    tr '\\' '/' | sort >"$work/indexed.txt"
  # The second looks after the bursts: folders listed again, changes they found, time.
  grep -a "again after a burst" "$err" | tr -d '\r' || true
  if [ "$kind" = dates ]; then
    # Files of the burst folders whose saved date is not the new one (tsv escapes "\" as "\\").
    local old_dates
    old_dates=$("$emulator" "$exe" search --index "$(windows_path "$index")" --format tsv \
      --limit 100000000 '?*' 2>&1 | tr -d '\r' |
      awk -F'\t' -v date="$(date -u -d "@$new_date" +%Y-%m-%dT%H:%M:%SZ)" \
        'index($1, "\\\\burst") && $2 != "folder" && $4 != date' | wc -l)
    if [ "$old_dates" -ne 0 ]; then
      echo "differs: $old_dates files keep their old date"
      return 1
    fi
  fi
  if cmp -s "$work/disk.txt" "$work/indexed.txt"; then
    echo "exact: $(wc -l <"$work/disk.txt") paths"
    return 0
  fi
  echo "differs: $(wc -l <"$work/disk.txt") paths on disk, $(wc -l <"$work/indexed.txt") indexed;" \
    "missing $(comm -23 "$work/disk.txt" "$work/indexed.txt" | wc -l)," \
    "stale $(comm -13 "$work/disk.txt" "$work/indexed.txt" | wc -l)"
  comm -3 "$work/disk.txt" "$work/indexed.txt" | head -5
  return 1
}

passed=0 failed=0
for kind in $kinds; do
  for ((run = 1; run <= runs; run++)); do
    outcome=2
    for _ in 1 2 3; do
      outcome=0
      run_once "$kind" || outcome=$?
      [ $outcome -ne 2 ] && break
      echo "the stop came after the scan; again"
    done
    echo "$kind $run: $([ $outcome -eq 0 ] && echo passed || echo FAILED)"
    if [ $outcome -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  done
done
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
