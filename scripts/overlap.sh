#!/usr/bin/env bash
# Runs two kestrova-cli edits of the same page at once, the first one
# stopped (SIGSTOP) at a random moment while the second runs, then resumed
# (SIGCONT) or killed (SIGKILL). Checks that the page is never cut or mixed,
# that an edit exits 0 only when its change is in the page and 1 only when
# it is not, and that what the killed edits left is cleared.
#
#   scripts/overlap.sh [CLI] [TRIALS] [SIZE_MB]
#
# CLI defaults to build-release/dist/kestrova-cli. Prints one line of
# figures; exits 1 when any trial broke a rule.
set -euo pipefail
cli=$(realpath "${1:-build-release/dist/kestrova-cli}")
trials=${2:-100}
size_mb=${3:-8}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/site"
original=$work/original.htm
{
  printf '<html>\r\n<head>\r\n<title>T</title>\r\n<meta name="keywords" content="voilier">\r\n</head>\r\n<body>\r\n'
  line=$(printf '<p class="t">Un voilier de croisiere a vendre, bon etat.</p>\r\n')
  { yes "$line" || true; } | head -c $((size_mb * 1024 * 1024))
  printf '</body>\r\n</html>\r\n'
} >"$original"
page=$work/site/page.htm

start=$(date +%s%N)
cp "$original" "$page"
(cd "$work" && "$cli" keyword "$page" --add probe 2>/dev/null)
whole_ms=$((($(date +%s%N) - start) / 1000000))

pause() { sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; }
# The keyword list the page holds ("" when the tag is gone).
keywords() { head -c 300 "$page" | grep -ao 'name="keywords" content="[^"]*"' | sed 's/.*content="//; s/"$//'; }
# 1 when word is in the list.
has() { case ", $1," in *", $2,"*) echo 1 ;; *) echo 0 ;; esac; }

both_done=0 second_busy=0 first_killed=0 broken=0 lies=0
for ((i = 0; i < trials; i++)); do
  cp "$original" "$page"
  rm -rf "$work/Kestrova_log.txt" "$work/site/Sauvegarde"
  a=a$i b=b$i
  (cd "$work" && exec "$cli" keyword "$page" --add "$a" 2>"$work/a.err") &
  pa=$!
  pause $((RANDOM % (whole_ms + 1)))
  kill -STOP "$pa" 2>/dev/null || true
  (cd "$work" && exec "$cli" keyword "$page" --add "$b" 2>"$work/b.err") &
  pb=$!
  mode=$((i % 3)) # 0: resumed soon, 1: resumed after the second gave up, 2: killed
  case $mode in
    0) pause $((RANDOM % 500)) ;;
    1) pause 3500 ;;
    2) pause $((RANDOM % 500)) ;;
  esac
  if [ $mode = 2 ]; then kill -KILL "$pa" 2>/dev/null || true; else kill -CONT "$pa" 2>/dev/null || true; fi
  sa=0 sb=0
  wait "$pa" 2>/dev/null || sa=$?
  wait "$pb" 2>/dev/null || sb=$?

  list=$(keywords)
  ha=$(has "$list" "$a") hb=$(has "$list" "$b")
  # The page must be the original with these words in front, nothing else.
  expected="voilier"
  case "$list" in
    "$a, voilier" | "$b, voilier" | "$a, $b, voilier" | "$b, $a, voilier" | voilier) ;;
    *) expected="" ;;
  esac
  if [ -z "$expected" ] || ! sed "0,/content=\"voilier\"/s//content=\"$list\"/" "$original" | cmp -s - "$page"; then
    broken=$((broken + 1))
    continue
  fi
  # Exit 0 exactly when the change is in the page (a killed edit may or
  # may not have got there).
  if [ $mode != 2 ]; then
    { [ $sa = 0 ] && [ "$ha" = 1 ]; } || { [ $sa = 1 ] && [ "$ha" = 0 ]; } || lies=$((lies + 1))
  else
    first_killed=$((first_killed + 1))
  fi
  { [ $sb = 0 ] && [ "$hb" = 1 ]; } || { [ $sb = 1 ] && [ "$hb" = 0 ] && [ -s "$work/b.err" ]; } || lies=$((lies + 1))
  [ $sb = 1 ] && second_busy=$((second_busy + 1))
  [ $sa = 0 ] && [ $sb = 0 ] && both_done=$((both_done + 1))
done

left=$(find "$work/site" -maxdepth 4 -name '.kestrova-*' -type f | wc -l)
cp "$original" "$page"
(cd "$work" && "$cli" keyword "$page" --add last 2>/dev/null) || broken=$((broken + 1))
after=$(find "$work/site" -maxdepth 4 -name '.kestrova-*' -type f | wc -l)

echo "overlap: page ${size_mb} MB, edit ${whole_ms} ms, trials $trials: both edits in the page $both_done," \
  "second edit gave up (exit 1, page without it) $second_busy, first edit killed $first_killed;" \
  "page cut or mixed $broken, exit status not matching the page $lies;" \
  "temporary files left $left, after one more edit $after"
[ "$broken" -eq 0 ] && [ "$lies" -eq 0 ] && [ "$after" -eq 0 ]
