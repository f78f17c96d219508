#!/usr/bin/env bash
# Rewrites expected transcripts from what the built arbolix-cli does now:
#   tests/cli/regenerate.sh NAME...      (NAME: a file of tests/cli/expected/, with or without .txt)
#   tests/cli/regenerate.sh --all
# ARBOLIX_CLI names the program to run (default: build/src/arbolix-cli).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cli="${ARBOLIX_CLI:-$root/build/src/arbolix-cli}"
if [ $# -eq 0 ]; then
  echo "usage: tests/cli/regenerate.sh NAME... | --all" >&2
  exit 2
fi
cases=()
if [ "$1" = "--all" ]; then
  cases=("$root"/tests/cli/expected/*.txt)
else
  for name in "$@"; do
    name="$(basename "$name" .txt)"
    cases+=("$root/tests/cli/expected/$name.txt")
  done
fi
exec /usr/bin/python3 "$root/tests/cli/run_case.py" --cli "$cli" --source "$root" --update "${cases[@]}"
