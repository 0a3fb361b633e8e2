#!/usr/bin/env bash
# The translation is whole: lupdate, run over the sources into copies of the .ts files,
# finds no text that is not in them yet, and lrelease reports no unfinished or untranslated
# English text.
#
#   translations-complete.sh LUPDATE LRELEASE SOURCE_DIR
set -euo pipefail
lupdate=$1 lrelease=$2 src=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "translations-complete: $*" >&2; exit 1; }

sources=("$src/base/Messages.cpp" "$src/base/Captions.cpp" "$src/app/cli/"*.cpp)
for lang in en ru; do
  cp "$src/translations/q7k3fm_$lang.ts" "$work/"
  extra=()
  [ "$lang" = ru ] && extra=(-pluralonly)
  "$lupdate" -locations none -no-obsolete "${extra[@]}" "${sources[@]}" \
    -ts "$work/q7k3fm_$lang.ts" >"$work/lupdate-$lang.log" 2>&1 ||
    { cat "$work/lupdate-$lang.log" >&2; fail "lupdate failed"; }
  # The Russian file keeps the plural texts only: lupdate finds every text new, then strips.
  if [ "$lang" = en ] &&
    grep -E 'Found [0-9]+ source text\(s\) \([1-9][0-9]* new' "$work/lupdate-$lang.log"; then
    fail "q7k3fm_$lang.ts lacks texts the sources mark: build the target update_translations"
  fi
  cmp -s "$src/translations/q7k3fm_$lang.ts" "$work/q7k3fm_$lang.ts" ||
    fail "q7k3fm_$lang.ts is not as lupdate leaves it (a text was removed or changed): build update_translations"
done

"$lrelease" "$work/q7k3fm_en.ts" -qm "$work/en.qm" >"$work/lrelease.log" 2>&1 ||
  { cat "$work/lrelease.log" >&2; fail "lrelease failed"; }
cat "$work/lrelease.log"
grep -q 'Generated [1-9][0-9]* translation(s) ([0-9]* finished and 0 unfinished)' "$work/lrelease.log" ||
  fail "unfinished English translations"
if grep -q 'untranslated' "$work/lrelease.log"; then fail "untranslated English texts"; fi
"$lrelease" "$work/q7k3fm_ru.ts" -qm "$work/ru.qm" >"$work/lrelease-ru.log" 2>&1 ||
  { cat "$work/lrelease-ru.log" >&2; fail "lrelease failed on the Russian plural forms"; }
if grep -qE '[1-9][0-9]* unfinished|untranslated' "$work/lrelease-ru.log"; then
  cat "$work/lrelease-ru.log"
  fail "unfinished Russian plural forms"
fi
echo "translations-complete: every text has its English translation"
