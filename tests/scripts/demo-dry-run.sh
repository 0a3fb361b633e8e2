#!/usr/bin/env bash
# scripts/demo --dry-run and --help: the demo builds and runs the window, the command line
# and the phone emulator, and nothing else (no tests, fuzz targets or benchmarks).
#   tests/scripts/demo-dry-run.sh SOURCE_DIR
set -euo pipefail
demo="$1/scripts/demo"
fail() { echo "demo-dry-run: $*" >&2; exit 1; }
out=$("$demo" --dry-run) || fail "--dry-run exits with $?"
help=$("$demo" --help) || fail "--help exits with $?"

# The build step names exactly the three programs.
targets=$(sed -n 's/^ *scripts\/build //p' <<<"$out")
[ "$targets" = "q7k3fm q7k3fm-cli q7k3fm-phone" ] || fail "builds '$targets'"
# No program of the project but those three is named anywhere, in either text.
others=$(grep -oE '\bq7k3[a-z0-9_-]*|[a-z0-9_]*(_tests|_bench|fuzz)[a-z0-9_]*' <<<"$out"$'\n'"$help" |
  grep -vxE 'q7k3fm|q7k3fm-cli|q7k3fm-phone' | sort -u || true)
[ -z "$others" ] || fail "names other programs: $others"
# Every step says what it does on one line, numbered.
[ "$(grep -c '^demo: \[[1-5]/5\] ' <<<"$out")" = 5 ] || fail "steps: $out"
# A path with a space is quoted so the printed command can be pasted.
spaced=$(mktemp -d "/tmp/demo dry XXXXXX")
trap 'rm -rf "$spaced"' EXIT
cp -r "$1/scripts" "$spaced/"
grep -qF "'$spaced/build/bin/q7k3fm-phone'" <<<"$("$spaced/scripts/demo" --dry-run)" ||
  fail "an unquoted path with a space"
"$demo" --no-such-option >/dev/null 2>&1 && fail "an unknown option is accepted"
echo "demo-dry-run: ok"
