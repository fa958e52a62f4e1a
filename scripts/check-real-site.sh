#!/usr/bin/env bash
# Runs kestrova-cli over a real multi-page site (by default the HTML
# documentation under /usr/share/doc) and checks three things:
#   1. "export" and "analyse" of every page under AddressSanitizer and
#      UndefinedBehaviorSanitizer: no sanitizer report, no crash, every page
#      either analysed or refused as not HTML, and no page written;
#   2. the speed of "export" (MB/s) on the largest pages with a Release build;
#   3. the editing verbs on a copy of the site: each changed page differs from
#      the original only by the intended change (git diff --no-index), has one
#      backup in its "Sauvegarde" folder and one line in the journal; a no-op
#      edit leaves no trace.
#
# usage: scripts/check-real-site.sh [SITE_FOLDER]
# Build folders: KESTROVA_ASAN_BUILD (default build-check-asan) and
# KESTROVA_RELEASE_BUILD (default build-check-release); JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
site=${1:-/usr/share/doc}
asan_build=${KESTROVA_ASAN_BUILD:-build-check-asan}
release_build=${KESTROVA_RELEASE_BUILD:-build-check-release}
jobs=${JOBS:-2}

say() { printf '%s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*" >&2; failures=$((failures + 1)); }
failures=0

# ---- builds --------------------------------------------------------------
build_cli() {  # folder, extra cmake options...
    local dir=$1; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DKESTROVA_BUILD_GUI=OFF -DKESTROVA_BUILD_TESTS=OFF "$@" >/dev/null
    fi
    cmake --build "$dir" --target kestrova-cli -j "$jobs" >/dev/null
}
say "Building kestrova-cli (ASan+UBSan in $asan_build, Release in $release_build)..."
build_cli "$asan_build" -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON
build_cli "$release_build" -DCMAKE_BUILD_TYPE=Release
asan_cli=$repo/$asan_build/dist/kestrova-cli
release_cli=$repo/$release_build/dist/kestrova-cli

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-site-check.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Copies the pages of the site (and nothing else) into a folder.
copy_site() {  # destination
    mkdir -p "$1"
    (cd "$site" && find . -type f \( -iname '*.htm' -o -iname '*.html' -o -iname '*.shtml' -o -iname '*.shtm' \) \
        -print0 | tar --null -T - -cf -) | tar -C "$1" -xf -
}

# ---- 1. reports under the sanitizers -------------------------------------
copy_site "$work/site"
cp -a "$work/site" "$work/pristine"
mkdir -p "$work/out" "$work/cwd"
mapfile -d '' pages < <(cd "$work/site" && find . -type f -print0 | sort -z)
bytes=$(cd "$work/site" && find . -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
say "Site: $site, ${#pages[@]} pages, $((bytes / 1024)) KiB"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$repo/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
analysed=0
not_html=0
i=0
for rel in "${pages[@]}"; do
    i=$((i + 1))
    page=$work/site/${rel#./}
    for verb in export analyse; do
        err=$work/out/$i.$verb.err
        set +e
        if [ $verb = export ]; then
            (cd "$work/cwd" && "$asan_cli" export "$page" "$work/out/$i.txt") 2>"$err"
        else
            (cd "$work/cwd" && "$asan_cli" analyse "$page") >"$work/out/$i.tsv" 2>"$err"
        fi
        status=$?
        set -e
        if grep -q -e 'AddressSanitizer' -e 'LeakSanitizer' -e 'runtime error' "$err"; then
            fail "$verb $rel: sanitizer report"; sed -n 1,20p "$err" >&2
        elif [ $status -ne 0 ] && ! grep -q 'not an HTML document' "$err"; then
            fail "$verb $rel: exit status $status"; cat "$err" >&2
        fi
        if [ $verb = export ]; then
            if [ $status -eq 0 ]; then
                analysed=$((analysed + 1))
                [ "$(head -c 18 "$work/out/$i.txt")" = $' \r\nKestrova - Page' ] ||
                    fail "export $rel: the file does not start as an export"
            else
                not_html=$((not_html + 1))
            fi
        elif [ $status -eq 0 ]; then
            head -n 1 "$work/out/$i.tsv" | grep -q '^title'$'\t' || fail "analyse $rel: no title line"
        fi
    done
done
say "Reports: $analysed pages analysed and exported, $not_html refused as not HTML"
if ! diff -r -q "$work/pristine" "$work/site" >/dev/null; then
    fail "the reports changed the site"
fi
[ ! -e "$work/cwd/Kestrova_log.txt" ] || fail "the reports wrote a journal"

# ---- 2. export speed (Release) -------------------------------------------
say "Export speed (Release build, best of 3 runs; wall clock, and CPU time user+sys):"
mapfile -t largest < <(cd "$work/site" && find . -type f -printf '%s %P\n' | sort -rn | head -n 5 | cut -d' ' -f2-)
TIMEFORMAT='%R %U %S'
for rel in "${largest[@]}"; do
    page=$work/site/$rel
    size=$(stat -c %s "$page")
    best_wall=
    best_cpu=
    for _ in 1 2 3; do
        times=$( { time (cd "$work/cwd" && "$release_cli" export "$page" "$work/out/speed.txt" 2>/dev/null); } 2>&1 ) ||
            true
        read -r wall user sys <<<"$times"
        cpu=$(echo "$user + $sys" | bc -l)
        if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc -l)" = 1 ]; then best_wall=$wall; fi
        if [ -z "$best_cpu" ] || [ "$(echo "$cpu < $best_cpu" | bc -l)" = 1 ]; then best_cpu=$cpu; fi
    done
    printf '  %-40s %9d bytes  wall %6.3f s %7.2f MB/s  cpu %6.3f s %7.2f MB/s\n' "$rel" "$size" \
        "$best_wall" "$(echo "$size / 1000000 / $best_wall" | bc -l)" \
        "$best_cpu" "$(echo "$size / 1000000 / ($best_cpu + 0.0005)" | bc -l)"
done
unset TIMEFORMAT

# ---- 3. editing verbs on a copy ------------------------------------------
rm -rf "$work/edit" "$work/orig"
copy_site "$work/edit"
cp -a "$work/edit" "$work/orig"
mkdir -p "$work/editcwd"
cli() { (cd "$work/editcwd" && "$asan_cli" "$@"); }

# Candidate pages: HTML pages with a plain "<head>" tag, a one-line title and
# no keywords or description meta tag yet, taken from several folders.
mapfile -t candidates < <(cd "$work/edit" && grep -l -i -E '^\s*<head>\s*$' -r . --include='*.htm*' |
    xargs -r -d '\n' grep -l -E '<title>[^<]+</title>' | xargs -r -d '\n' grep -L -i -E 'name="?(keywords|description)' |
    sort | awk -F/ '!seen[$(NF-1)]++ || NR % 17 == 0' | head -n 8)
[ ${#candidates[@]} -ge 4 ] || { fail "fewer than 4 pages to edit"; exit 1; }

changed=()
# Checks one changed page: the diff touches at most `max` lines, holds
# `needle` on its added side, and the backup and the copy are in place.
check_change() {  # relative page, needle, max changed lines
    local rel=${1#./} needle=$2 max=$3
    local stat added deleted
    stat=$(git diff --no-index --numstat "$work/orig/$rel" "$work/edit/$rel" || true)
    added=$(echo "$stat" | awk '{print $1}')
    deleted=$(echo "$stat" | awk '{print $2}')
    if [ -z "$stat" ]; then fail "$rel: not changed"; return; fi
    [ $((added + deleted)) -le "$max" ] || fail "$rel: $added lines added, $deleted deleted"
    local diff_text
    diff_text=$(git diff --no-index "$work/orig/$rel" "$work/edit/$rel" || true)
    grep -q -F -- "$needle" <<<"$(grep '^+[^+]' <<<"$diff_text")" || fail "$rel: the change does not hold $needle"
    local backup
    backup=$(dirname "$work/edit/$rel")/Sauvegarde/$(basename "$rel")
    [ -f "$backup" ] || fail "$rel: no backup"
    [ ! -e "$work/edit/$rel"2 ] || fail "$rel: the rewritten copy was left behind"
    changed+=("$rel")
}

# Removes the inserted bytes from the page and compares with the original.
check_insertion() {  # relative page, inserted bytes
    local rel=${1#./}
    python3 - "$work/orig/$rel" "$work/edit/$rel" "$2" <<'EOF' || fail "$rel: more than the new meta tag changed"
import sys
orig = open(sys.argv[1], 'rb').read()
new = open(sys.argv[2], 'rb').read()
inserted = sys.argv[3].encode('latin-1')
assert new.count(inserted) == 1 and new.replace(inserted, b'', 1) == orig
EOF
}

p=("${candidates[@]}")
# Title of page 0.
cli title "${p[0]/#./$work/edit}" --set "Kestrova check title" || fail "title --set failed"
check_change "${p[0]}" "<title>Kestrova check title</title>" 2
# Description created on page 1.
cli meta "${p[1]/#./$work/edit}" description --set "Kestrova check" --create 2>/dev/null || fail "meta --set failed"
check_change "${p[1]}" '<meta name="description" content="Kestrova check">' 3
check_insertion "${p[1]}" $'\r\n<meta name="description" content="Kestrova check">'
# Keyword added (tag created) on page 2, then a second keyword in front.
cli keyword "${p[2]/#./$work/edit}" --add kestrova --create 2>/dev/null || fail "keyword --add failed"
cli keyword "${p[2]/#./$work/edit}" --add "caf$(printf '\303\251')" || fail "keyword --add failed"
check_change "${p[2]}" '<meta name="keywords" content="caf&eacute;, kestrova">' 3
check_insertion "${p[2]}" $'\r\n<meta name="keywords" content="caf&eacute;, kestrova">'
# Page 3: a keyword added then removed again: the page comes back to the
# empty keywords tag that was created for it.
cli keyword "${p[3]/#./$work/edit}" --add alpha --create 2>/dev/null || fail "keyword --add failed"
cli keyword "${p[3]/#./$work/edit}" --add beta || fail "keyword --add failed"
cli keyword "${p[3]/#./$work/edit}" --remove alpha || fail "keyword --remove failed"
check_change "${p[3]}" '<meta name="keywords" content="beta">' 3
check_insertion "${p[3]}" $'\r\n<meta name="keywords" content="beta">'
# Edits that must fail and leave the page as it is.
if cli keyword "${p[0]/#./$work/edit}" --remove absent 2>/dev/null; then fail "removing an absent keyword succeeded"; fi
if cli meta "${p[0]/#./$work/edit}" robots --set x 2>/dev/null; then fail "meta --set without --create succeeded"; fi
if cli title "${p[0]/#./$work/edit}" --set "$(printf '\342\230\203')" 2>/dev/null; then fail "a snowman was accepted"; fi
# A no-op edit on every other candidate whose title is plain text.
noop=0
for rel in "${p[@]:4}"; do
    page=${rel/#./$work/edit}
    title=$(cli analyse "$page" 2>/dev/null | sed -n 1p | cut -f2- || true)
    if [[ $title =~ ^[A-Za-z0-9\ .:_-]+$ ]]; then
        cli title "$page" --set "$title" || fail "$rel: no-op title failed"
        noop=$((noop + 1))
    fi
done

# Only the changed pages differ (besides their backup folders), and the
# journal has one line per changed page.
mapfile -t differing < <(cd "$work/edit" && find . -type f ! -path '*/Sauvegarde/*' -print0 |
    while IFS= read -r -d '' f; do cmp -s "$f" "$work/orig/$f" || echo "${f#./}"; done | sort)
mapfile -t expected < <(printf '%s\n' "${changed[@]}" | sort -u)
[ "${differing[*]}" = "${expected[*]}" ] || fail "changed pages: ${differing[*]}; expected: ${expected[*]}"
backups=$(find "$work/edit" -path '*/Sauvegarde/*' -type f | wc -l)
[ "$backups" -eq "${#expected[@]}" ] || fail "$backups backups for ${#expected[@]} changed pages"
journal_lines=$(wc -l <"$work/editcwd/Kestrova_log.txt")
[ "$journal_lines" -eq "${#expected[@]}" ] || fail "$journal_lines journal lines for ${#expected[@]} changed pages"
for rel in "${expected[@]}"; do
    [ "$(grep -c -F "$work/edit/$rel|" "$work/editcwd/Kestrova_log.txt")" -eq 1 ] || fail "$rel: not journalled once"
done
say "Edits: ${#expected[@]} pages changed as intended (${expected[*]}), $noop no-op edits left no trace"

if [ "$failures" -ne 0 ]; then
    say "$failures check(s) failed"
    exit 1
fi
say "All checks passed"
