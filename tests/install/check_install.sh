#!/usr/bin/env bash
# Installs the build into a temporary root (DESTDIR, prefix /usr), checks
# the tree, runs the installed tools, validates the desktop entry and the
# AppStream metadata when their validators are present, and starts the
# installed program offscreen with a fresh HOME: its settings must land in
# HOME/.config/kestrova/, nothing beside the program.
#   check_install.sh BUILD_DIR GUI(ON|OFF)
set -u
build=$1
gui=${2:-ON}
tmp=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

if ! DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi
usr=$tmp/root/usr

files=(bin/kestrova-cli share/man/man1/kestrova-cli.1.gz share/bash-completion/completions/kestrova-cli
       share/doc/kestrova/copyright share/doc/kestrova/changelog.gz)
if [ "$gui" = ON ]; then
  files+=(bin/kestrova share/kestrova/Datas/logo_m.gif "share/kestrova/Aide Pellworth/AidePellworth.htm"
          "share/kestrova/Aide Pellworth/AidePellworthEng.htm" share/kestrova/Exemple/index.html
          share/applications/org.kestrova.Kestrova.desktop share/metainfo/org.kestrova.Kestrova.metainfo.xml
          share/icons/hicolor/scalable/apps/kestrova.svg share/man/man1/kestrova.1.gz)
  for size in 48 128 256; do
    files+=("share/icons/hicolor/${size}x${size}/apps/kestrova.png")
  done
fi
for f in "${files[@]}"; do
  [ -f "$usr/$f" ] || fail "missing $f"
done
for f in bin/kestrova bin/kestrova-cli; do
  [ -e "$usr/$f" ] && { [ -x "$usr/$f" ] || fail "$f is not executable"; }
done
# Nothing of the build's portable folder among the programs.
extra=$(ls "$usr/bin" | grep -v -x -e kestrova -e kestrova-cli)
[ -z "$extra" ] || fail "unexpected files in bin/: $extra"

# The icons are PNG pictures of their size.
if [ "$gui" = ON ]; then
  for size in 48 128 256; do
    png="$usr/share/icons/hicolor/${size}x${size}/apps/kestrova.png"
    [ -f "$png" ] || continue
    magic=$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')
    [ "$magic" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    width=$((16#$(od -An -tx1 -j16 -N4 "$png" | tr -d ' \n')))
    height=$((16#$(od -An -tx1 -j20 -N4 "$png" | tr -d ' \n')))
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x${height}"
  done
  grep -q '^Icon=kestrova$' "$usr/share/applications/org.kestrova.Kestrova.desktop" || fail "desktop entry icon"
  grep -q 'https\?://[^"<]*\.\(png\|jpg\)' "$usr/share/metainfo/org.kestrova.Kestrova.metainfo.xml" &&
    fail "the AppStream metadata names a remote screenshot"
fi

# The installed tools.
version=$("$usr/bin/kestrova-cli" --version) || fail "kestrova-cli --version"
[[ $version == "kestrova-cli "* ]] || fail "kestrova-cli --version printed: $version"
manual=$(gzip -dc "$usr/share/man/man1/kestrova-cli.1.gz")
for verb in analyse export meta keyword title images alt rename\\-image sentences site upload history undo diff check relevance \
  update\\-check; do
  grep -qxF ".SS $verb" <<<"$manual" || fail "the manual page has no section $verb"
done
if command -v man >/dev/null; then
  MANPATH="$usr/share/man" man -w kestrova-cli >/dev/null 2>&1 || fail "man -w kestrova-cli"
fi
words=$(bash --norc --noprofile -c "source '$usr/share/bash-completion/completions/kestrova-cli'
  COMP_WORDS=(kestrova-cli upl); COMP_CWORD=1; _kestrova_cli; echo \"\${COMPREPLY[*]}\"")
[ "$words" = upload ] || fail "the completion of 'upl' gave '$words'"

if [ "$gui" = ON ]; then
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/org.kestrova.Kestrova.desktop" || fail "desktop-file-validate"
  else
    echo "desktop-file-validate is not installed: not run"
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$usr/share/metainfo/org.kestrova.Kestrova.metainfo.xml" ||
      fail "appstreamcli validate"
  else
    echo "appstreamcli is not installed: not run"
  fi

  # The installed program with a fresh HOME.
  home=$tmp/home
  mkdir -p "$home"
  env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
    "$usr/bin/kestrova" >"$tmp/program.log" 2>&1 &
  pid=$!
  for _ in $(seq 1 600); do
    [ -f "$home/.config/kestrova/Kestrova.prefs" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -f "$home/.config/kestrova/Kestrova.prefs" ] || { cat "$tmp/program.log"; fail "no settings in HOME/.config/kestrova"; }
  [ -d "$home/.local/share/kestrova" ] || fail "no HOME/.local/share/kestrova"
  [ -d "$home/.cache/kestrova" ] || fail "no HOME/.cache/kestrova"
  mode=$(stat -c %a "$home/.config/kestrova")
  [ "$mode" = 700 ] || fail "HOME/.config/kestrova has mode $mode"
  for f in Kestrova.prefs Kestrova_log.txt temp.htm UpdateProg.exe; do
    [ -e "$usr/bin/$f" ] && fail "$f was written beside the installed program"
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=
fi

[ $status = 0 ] && echo "the installed tree is complete"
exit $status
