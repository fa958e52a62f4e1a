#!/usr/bin/env bash
# Installs the Debian package, tries it as a user would, removes it, and
# reports lintian's verdict on it. Needs root (or sudo).
#   scripts/check-package.sh [PACKAGE.deb]   (default: the newest in build-package/)
set -uo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls -t build-package/kestrova_*.deb 2>/dev/null | head -n 1)}
[ -n "$deb" ] && [ -f "$deb" ] || { echo "no package: run scripts/package.sh first"; exit 2; }
deb=$(readlink -f "$deb")
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
status=0
step() { echo "== $*"; }
fail() { echo "FAIL: $*"; status=1; }

step "package $(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Installed-Size\|Depends\):/  \1:/p'
echo "  files: $(dpkg-deb --contents "$deb" | grep -vc '/$')"

step "install"
if ! $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/tmp/kestrova-install.log 2>&1; then
  cat /tmp/kestrova-install.log
  fail "the package does not install"
  exit 1
fi
dpkg-query -W -f='  installed ${Package} ${Version}\n' kestrova

step "kestrova-cli --version"
kestrova-cli --version || fail "kestrova-cli --version"
step "man -w kestrova-cli"
man -w kestrova-cli || fail "man -w kestrova-cli"
step "completion"
words=$(bash --norc --noprofile -c 'source /usr/share/bash-completion/completions/kestrova-cli
  COMP_WORDS=(kestrova-cli s); COMP_CWORD=1; _kestrova_cli; echo "${COMPREPLY[*]}"')
echo "  kestrova-cli s<TAB>: $words"
[ "$words" = "sentences site" ] || fail "completion"
step "the sample page analysed by the installed tool"
kestrova-cli analyse /usr/share/kestrova/Exemple/index.html --format json | head -c 200; echo

step "the program under Xvfb, with a fresh HOME"
home=$(mktemp -d)
HOME=$home xvfb-run -a kestrova >"$home/program.log" 2>&1 &
runner=$!
for _ in $(seq 1 300); do
  [ -f "$home/.config/kestrova/Kestrova.prefs" ] && break
  kill -0 "$runner" 2>/dev/null || break
  sleep 0.1
done
if [ -f "$home/.config/kestrova/Kestrova.prefs" ]; then
  echo "  started; settings in HOME/.config/kestrova/"
else
  cat "$home/program.log"
  fail "the program did not start"
fi
pkill -TERM -P "$runner" 2>/dev/null  # the program, a child of xvfb-run
kill "$runner" 2>/dev/null
wait "$runner" 2>/dev/null
rm -rf "$home"

step "remove"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kestrova >/tmp/kestrova-remove.log 2>&1 ||
  { cat /tmp/kestrova-remove.log; fail "the package does not remove"; }
for f in /usr/bin/kestrova /usr/bin/kestrova-cli /usr/share/kestrova /usr/share/applications/org.kestrova.Kestrova.desktop; do
  [ -e "$f" ] && fail "$f is left after the removal"
done
dpkg-query -W kestrova >/dev/null 2>&1 && dpkg-query -W -f='${Status}\n' kestrova | grep -q "install ok" &&
  fail "still installed"

step "lintian"
lintian --info "$deb" >/tmp/kestrova-lintian.log 2>&1
lintian_status=$?
cat /tmp/kestrova-lintian.log
errors=$(grep -c '^E:' /tmp/kestrova-lintian.log)
warnings=$(grep -c '^W:' /tmp/kestrova-lintian.log)
echo "  lintian: $errors error(s), $warnings warning(s) (exit $lintian_status)"
[ "$errors" = 0 ] || fail "lintian reports errors"

[ $status = 0 ] && echo "== the package installs, works and removes cleanly"
exit $status
