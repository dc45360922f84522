#!/usr/bin/env bash
# Runs Norvik. Until the Windows window exists this builds and runs the command-line front end:
#   scripts/run.sh                 index your home folder, then search it for each line you type
#   scripts/run.sh ARGS...         run norvik-cli ARGS... (index, search, stats)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target norvik-cli
cli=build/native/src/cli/norvik-cli

if [ $# -gt 0 ]; then
    exec "$cli" "$@"
fi

index=build/run/index.bin
mkdir -p build/run
root=${NORVIK_ROOT:-$HOME}
echo "Indexing $root ..."
"$cli" index --output "$index" "$root"
"$cli" stats --index "$index"
echo "Type a query (ㅂㄱㅅ, qhrhtj, *.pdf, ext:jpg,png ...); an empty line quits."
while IFS= read -r -p "> " query && [ -n "$query" ]; do
    "$cli" search --index "$index" --limit 20 -- $query || true
done
