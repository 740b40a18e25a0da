#!/bin/bash
# Every installed header documents what it declares for clients: a file comment (/// @file) and
# a comment of its own on every public operation and class. Doxygen reads the headers with the
# reference's own configuration (its INPUT: the installed headers), HTML off, and reports what
# carries no comment; it passes over the free functions of a header without a file comment,
# hence the first check.
#   check-header-docs.sh <doxygen> <configured Doxyfile> <work folder>
# Exit code 1 with the list of what is missing; the count of undocumented fields, macros and
# enumerators is printed for information.
set -u
doxygen="$1"
doxyfile="$2"
work="$3"
if ! command -v "$doxygen" > /dev/null 2>&1; then
  echo "FAIL: doxygen not found ($doxygen): install it (tools/setup-packages.sh)"
  exit 1
fi
rm -rf "$work"
mkdir -p "$work"

headers=$(sed -n 's/^INPUT *= *//p' "$doxyfile" | tr ' ' '\n' | grep '\.h$')
count=$(echo "$headers" | grep -c .)
if [ "$count" -eq 0 ]; then
  echo "FAIL: no header in the INPUT of $doxyfile"
  exit 1
fi
nofile=0
for header in $headers; do
  if ! grep -q -E '^ *(///|/\*\*|/\*!|//!) *[@\\]file' "$header"; then
    echo "no file comment (/// @file): $header"
    nofile=$((nofile + 1))
  fi
done

warnings="$work/warnings.txt"
{ cat "$doxyfile"
  echo "OUTPUT_DIRECTORY = $work"
  echo "GENERATE_HTML = NO"
  echo "WARN_LOGFILE = $warnings"
} | "$doxygen" - > "$work/doxygen.txt" 2>&1
rc=$?
if [ $rc -ne 0 ] || [ ! -f "$warnings" ]; then
  echo "FAIL: doxygen did not run (exit code $rc)"
  cat "$work/doxygen.txt"
  exit 1
fi

# Doxygen says some things twice; each declaration counts once.
undocumented="$work/undocumented.txt"
grep -E 'is not documented\.$' "$warnings" | sort -u > "$undocumented"
missing="$work/missing.txt"
grep -E 'warning: (Compound .* is not documented\.$|Member .* \((function|friend)\) of .* is not documented\.$)' \
  "$undocumented" > "$missing"
operations=$(grep -c -E '\((function|friend)\) of ' "$missing")
classes=$(grep -c 'warning: Compound ' "$missing")
others=$(($(wc -l < "$undocumented") - $(wc -l < "$missing")))

if [ -s "$missing" ]; then
  echo "Public operations and classes of the installed headers without a comment:"
  sed -e 's/^.*\/\([^/]*\.h\):\([0-9]*\): warning: /\1:\2: /' "$missing"
  echo "per header:"
  sed -e 's/^.*\/\([^/]*\.h\):.*/\1/' "$missing" | sort | uniq -c | sort -rn
fi
echo "$count headers: $nofile without a file comment, $operations operations and $classes classes without a comment" \
  "($others fields, macros, enumerators or typedefs without one, not counted)"
[ $nofile -eq 0 ] && [ ! -s "$missing" ]
