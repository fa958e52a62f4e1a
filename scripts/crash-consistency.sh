#!/usr/bin/env bash
# Kills kestrova-cli edits of a big page at random moments and checks what
# each kill leaves: the page must be the original or the finished edit, a
# changed page must have its journal line, the backup must be the page as it
# was before the change that wrote it (never the page after it), and the
# next edit must clear every temporary file the killed ones left.
#
# Each trial starts from a page that an earlier edit changed (its backup
# holds the page before that edit), so that a kill shows whether the killed
# edit replaced the backup before the page.
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

# The earlier edit and the finished edit, made once whole, and how long an
# edit takes.
cp "$original" "$work/expected/page.htm"
(cd "$work/expected" && "$cli" keyword page.htm --add sloop 2>/dev/null)
earlier=$work/earlier.htm
cp "$work/expected/page.htm" "$earlier"
start=$(date +%s%N)
(cd "$work/expected" && "$cli" keyword page.htm --add ketch 2>/dev/null)
whole_ms=$((($(date +%s%N) - start) / 1000000))
edited=$work/expected/page.htm

page=$work/site/page.htm
backup=$work/site/Sauvegarde/page.htm
mkdir -p "$work/site/Sauvegarde"
strays() { find "$work/site" -maxdepth 4 -name '.kestrova-*' -type f | wc -l; }
kept_original=0 finished=0 broken=0 unjournaled=0 left_strays=0
backup_before=0 backup_older=0 backup_after=0 backup_other=0
for ((i = 0; i < trials; i++)); do
  cp "$earlier" "$page"
  cp "$original" "$backup"
  rm -rf "$work/site/Sauvegarde/.kestrova-historique"
  rm -f "$work/Kestrova_log.txt"
  (cd "$work" && exec "$cli" keyword "$page" --add ketch 2>/dev/null) &
  pid=$!
  # Anywhere from the start to past the usual end of an edit.
  delay_ms=$(((RANDOM * 32768 + RANDOM) % (whole_ms * spread / 100 + 1)))
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if cmp -s "$page" "$earlier"; then
    kept_original=$((kept_original + 1))
    # The earlier edit's backup, untouched.
    if cmp -s "$backup" "$original"; then backup_before=$((backup_before + 1))
    elif cmp -s "$backup" "$page"; then backup_after=$((backup_after + 1))
    else backup_other=$((backup_other + 1)); fi
  elif cmp -s "$page" "$edited"; then
    finished=$((finished + 1))
    grep -q "^$page|" "$work/Kestrova_log.txt" 2>/dev/null || unjournaled=$((unjournaled + 1))
    # The page before this edit, or (killed between the page and its
    # backup) still the earlier edit's backup.
    if cmp -s "$backup" "$earlier"; then backup_before=$((backup_before + 1))
    elif cmp -s "$backup" "$original"; then backup_older=$((backup_older + 1))
    elif cmp -s "$backup" "$page"; then backup_after=$((backup_after + 1))
    else backup_other=$((backup_other + 1)); fi
  else
    broken=$((broken + 1))
  fi
  [ "$(strays)" -eq 0 ] || left_strays=$((left_strays + 1))
done

# One more edit, left to finish: it must clear what the kills left.
before_rerun=$(strays)
cp "$earlier" "$page"
(cd "$work" && "$cli" keyword "$page" --add ketch 2>/dev/null) || broken=$((broken + 1))
after_rerun=$(strays)
cmp -s "$page" "$edited" || broken=$((broken + 1))

echo "crash consistency: page ${size_mb} MB, edit ${whole_ms} ms, trials $trials: original $kept_original," \
  "finished edit $finished, other $broken, changed but not journaled $unjournaled;" \
  "kills that left temporary files $left_strays; temporary files before the rerun $before_rerun, after $after_rerun;" \
  "backup: the page before its change $backup_before, an older page $backup_older," \
  "the page after its change $backup_after, other $backup_other"
[ "$broken" -eq 0 ] && [ "$unjournaled" -eq 0 ] && [ "$after_rerun" -eq 0 ] && [ "$backup_after" -eq 0 ] &&
  [ "$backup_other" -eq 0 ]
