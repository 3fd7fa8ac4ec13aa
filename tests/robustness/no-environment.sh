#!/usr/bin/env bash
# Fails when the executable holds the name of an environment variable of ours
# (ASCII or UTF-16) or imports a call that reads the environment by name.
#   no-environment.sh EXE
set -euo pipefail
exe=$1
[ -f "$exe" ] || { echo "missing $exe" >&2; exit 1; }
names=$( { strings -a "$exe"; strings -a -e l "$exe"; } | grep -E 'MORAVEL_[A-Z_]+' || true)
if [ -n "$names" ]; then
  echo "environment variable names in $exe:" >&2
  echo "$names" >&2
  exit 1
fi
echo "no environment variable names of the program in $exe"
