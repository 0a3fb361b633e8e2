#!/usr/bin/env bash
# The Debian package built from a configured build tree: the files it installs and where,
# its dependencies, its menu entry, and the installed window program starting from a
# temporary root on the offscreen platform.
#
#   packaging/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

# The package.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/pkg/*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no .deb was made"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' | sort >"$work/files"
expected=(
  /usr/bin/q7k3fm /usr/bin/q7k3fm-cli /usr/bin/q7k3fm-phone
  /usr/share/q7k3fm/Q7K3FM.html /usr/share/q7k3fm/Q7K3FM.en.html
  /usr/share/q7k3fm/translations/q7k3fm_en.qm /usr/share/q7k3fm/translations/q7k3fm_ru.qm
  /usr/share/applications/q7k3fm.desktop
  /usr/share/icons/hicolor/scalable/apps/q7k3fm.svg
  /usr/share/man/man1/q7k3fm.1.gz /usr/share/man/man1/q7k3fm-cli.1.gz
  /usr/share/man/man1/q7k3fm-phone.1.gz
  /usr/share/bash-completion/completions/q7k3fm-cli
)
for size in 16 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/q7k3fm.png")
done
for f in "${expected[@]}"; do
  grep -qx -- "$f" "$work/files" || fail "the package lacks $f"
done
# Nothing outside /usr, and nothing of the build tree.
if grep -v -e '^/usr$' -e '^/usr/' -e '^/$' "$work/files"; then fail "files outside /usr"; fi
if grep -e '/tests/' -e '_bench' -e '\.a$' -e 'fuzz' "$work/files"; then fail "build leftovers"; fi

depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
for d in libc6 libqt6core6 libqt6widgets6 qt6-qpa-plugins; do
  [[ "$depends" == *"$d"* ]] || fail "Depends lacks $d: $depends"
done
[[ "$recommends" == *timgm6mb-soundfont* ]] || fail "Recommends lacks the soundfont: $recommends"
[[ "$recommends" == *bash-completion* ]] || fail "Recommends lacks bash-completion: $recommends"

# The menu entry and the manual pages.
dpkg-deb -x "$deb" "$work/deb"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$work/deb/usr/share/applications/q7k3fm.desktop" ||
    fail "desktop-file-validate"
fi
zcat "$work/deb/usr/share/man/man1/q7k3fm-cli.1.gz" | grep -qF -- '\-\-trace' ||
  fail "the manual page of q7k3fm-cli does not tell of --trace"
zcat "$work/deb/usr/share/man/man1/q7k3fm.1.gz" | grep -qF -- 'F1' ||
  fail "the manual page of q7k3fm does not tell of its keys"

# cmake --install into a temporary root, then the programs from there.
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
root="$work/root/usr"
"$root/bin/q7k3fm-cli" --help >/dev/null || fail "q7k3fm-cli --help"
# The installed command line finds its translation in share/q7k3fm/translations.
LANG=en_US.UTF-8 LANGUAGE= LC_ALL= Q7K3FM_LANGUAGE= XDG_CONFIG_HOME="$work/none" \
  "$root/bin/q7k3fm-cli" --help | grep -q '^Usage: q7k3fm-cli' ||
  fail "the installed q7k3fm-cli does not speak English under LANG=en_US.UTF-8"
"$root/bin/q7k3fm-phone" --help >/dev/null || fail "q7k3fm-phone --help"
[ -f "$root/share/q7k3fm/Q7K3FM.html" ] || fail "the help page is not installed"
bash -n "$root/share/bash-completion/completions/q7k3fm-cli" ||
  fail "the bash completion is not installed or does not parse"

# The window, with settings that point nowhere: it shows the settings dialog (or says
# there is no serial port) and waits for the user. Alive after two seconds, or ended
# by itself without a signal, is a start; a crash is not.
mkdir -p "$work/home"
(
  cd "$work"
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_STATE_HOME="$work/home/state"
  export XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/run" QT_QPA_PLATFORM=offscreen
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  exec "$root/bin/q7k3fm" >"$work/window.log" 2>&1
) &
pid=$!
sleep 2
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  wait "$pid" 2>/dev/null || true
else
  set +e
  wait "$pid"
  rc=$?
  set -e
  if [ "$rc" -gt 128 ]; then
    cat "$work/window.log" >&2
    fail "q7k3fm ended by signal $((rc - 128)) at start"
  fi
fi
echo "check-package: $(basename "$deb") is complete and starts"
