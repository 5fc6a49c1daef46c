#!/usr/bin/env bash
# Checks that the C++ sources under ROOT (default: the repository) are
# formatted as .clang-format says. Prints how many files were checked and how
# many are not formatted; fails when any is not. `clang-format-14 -i FILE`
# formats a file.
set -euo pipefail

root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
formatter=clang-format-14
if ! command -v "$formatter" >/dev/null 2>&1; then
  echo "format: $formatter is missing: run make deps" >&2
  exit 1
fi

cd "$root"
files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while IFS= read -r -d '' f; do files+=("$f"); done < <(git ls-files -z '*.cpp' '*.h')
else
  while IFS= read -r -d '' f; do files+=("$f"); done \
    < <(find Triagon AppUpdates tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | sort -z)
fi

# The files go in batches, four at a time, each batch reporting into a file
# of its own. clang-format names every place it would change as
# "FILE:LINE:COL: error: code should be clang-formatted"; a batch that fails
# without naming any such place failed for another reason.
batches=$(mktemp -d)
trap 'rm -rf "$batches"' EXIT
export formatter batches
printf '%s\0' "${files[@]}" | xargs -0 -n 40 -P 4 sh -c '
  out=$(mktemp -p "$batches")
  if "$formatter" --style=file --dry-run -Werror "$@" >/dev/null 2>"$out"; then
    : >"$out"
  elif ! grep -q "error: code should be clang-formatted" "$out"; then
    mv "$out" "$out.failed"
  fi
' sh

if ls "$batches"/*.failed >/dev/null 2>&1; then
  cat "$batches"/*.failed >&2
  echo "format: $formatter failed" >&2
  exit 1
fi
unformatted_files=$(cat "$batches"/* | sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
unformatted=0
if [ -n "$unformatted_files" ]; then
  unformatted=$(printf '%s\n' "$unformatted_files" | wc -l)
  printf '%s\n' "$unformatted_files" | sed 's/^/format: not formatted: /'
fi

echo "format: ${#files[@]} files checked, $unformatted not formatted"
[ "$unformatted" -eq 0 ]
