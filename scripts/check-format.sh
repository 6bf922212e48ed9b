#!/bin/sh
# Checks that every C++ file follows the one style of .clang-format (at the
# top of the repository). Prints the files that do not; apply the style with
#   git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -eu
cd "$(dirname "$0")/.."
unformatted=$(git ls-files '*.cpp' '*.h' | while read -r f; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"
done)
if [ -n "$unformatted" ]; then
  echo "check-format: these files differ from .clang-format:" >&2
  echo "$unformatted" | sed 's/^/  /' >&2
  exit 1
fi
echo "check-format: every C++ file follows .clang-format"
