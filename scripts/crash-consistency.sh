#!/usr/bin/env bash
# Kills kestrova-cli edits of a big page at random moments and checks what
# each kill leaves: the page must be the original or the finished edit, a
# changed page must have its journal line, and the next edit must clear
# every temporary file the killed ones left.
#
#   scripts/crash-consistency.sh [CLI] [TRIALS] [SIZE_MB] [SPREAD]
#
# CLI defaults to build-release/dist/kestrova-cli. Each kill comes at a
# random moment between the start and SPREAD percent (default 150) of the
# time one whole edit took. Prints one line of figures; exits 1 when any
# trial broke a rule.
set -euo pipefail
cli=$(realpath "${1:-build-release/dist/kestrova-cli}")
trials=${2:-200}
size_mb=${3:-20}
spread=${4:-150}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/site" "$work/expected"
original=$work/original.htm
{
  printf '<html>\r\n<head>\r\n<title>T</title>\r\n<meta name="keywords" content="voilier">\r\n</head>\r\n<body>\r\n'
  line=$(printf '<p class="t">Un voilier de croisiere a vendre, bon etat.</p>\r\n')
  { yes "$line" || true; } | head -c $((size_mb * 1024 * 1024))
  printf '</body>\r\n</html>\r\n'
} >"$original"

# The finished edit, made once whole, and how long an edit takes.
cp "$original" "$work/expected/page.htm"
start=$(date +%s%N)
(cd "$work/expected" && "$cli" keyword page.htm --add ketch 2>/dev/null)
whole_ms=$((($(date +%s%N) - start) / 1000000))
edited=$work/expected/page.htm

page=$work/site/page.htm
strays() { find "$work/site" -maxdepth 2 -name '.kestrova-*' | wc -l; }
kept_original=0 finished=0 broken=0 unjournaled=0 left_strays=0
for ((i = 0; i < trials; i++)); do
  cp "$original" "$page"
  rm -f "$work/Kestrova_log.txt"
  (cd "$work" && exec "$cli" keyword "$page" --add ketch 2>/dev/null) &
  pid=$!
  # Anywhere from the start to past the usual end of an edit.
  delay_ms=$(((RANDOM * 32768 + RANDOM) % (whole_ms * spread / 100 + 1)))
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if cmp -s "$page" "$original"; then
    kept_original=$((kept_original + 1))
  elif cmp -s "$page" "$edited"; then
    finished=$((finished + 1))
    grep -q "^$page|" "$work/Kestrova_log.txt" 2>/dev/null || unjournaled=$((unjournaled + 1))
  else
    broken=$((broken + 1))
  fi
  [ "$(strays)" -eq 0 ] || left_strays=$((left_strays + 1))
done

# One more edit, left to finish: it must clear what the kills left.
before_rerun=$(strays)
cp "$original" "$page"
(cd "$work" && "$cli" keyword "$page" --add ketch 2>/dev/null) || broken=$((broken + 1))
after_rerun=$(strays)
cmp -s "$page" "$edited" || broken=$((broken + 1))

echo "crash consistency: page ${size_mb} MB, edit ${whole_ms} ms, trials $trials: original $kept_original," \
  "finished edit $finished, other $broken, changed but not journaled $unjournaled;" \
  "kills that left temporary files $left_strays; temporary files before the rerun $before_rerun, after $after_rerun"
[ "$broken" -eq 0 ] && [ "$unjournaled" -eq 0 ] && [ "$after_rerun" -eq 0 ]
