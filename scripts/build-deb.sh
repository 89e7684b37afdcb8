#!/usr/bin/env bash
# Builds the Debian package of Vesk and checks it:
#   scripts/build-deb.sh [--install] [BUILD_DIR]
# builds vesk and vesk-cli in BUILD_DIR (default build, configured like
# scripts/build.sh when new), runs `cpack -G DEB` there, then checks the
# package without installing it: its control data and dependencies, every
# file the desktop needs in a scratch root (dpkg -x), the desktop entry and
# the MIME type, the programs from the scratch root, and that apt could
# install it here (a simulation). With --install it then installs it with
# `apt install ./vesk_*.deb` (as root or with sudo) and starts the installed
# vesk from its desktop entry's command under a virtual display.
# CI does not run this: it builds the project once more only for the
# package; run it by hand before a release.
set -euo pipefail
cd "$(dirname "$0")/.."

install=0
if [ "${1:-}" = "--install" ]; then
  install=1
  shift
fi
dir=${1:-build}

scripts/install-deps.sh
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
else
  cmake -S . -B "$dir" >/dev/null
fi
cmake --build "$dir" --target vesk vesk-cli --parallel "$(nproc)"
rm -f "$dir"/vesk_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/vesk_*.deb)
echo "built $deb"

fail() {
  echo "build-deb: $*" >&2
  exit 1
}

# Control data: the name, and the libraries and plugins the programs load.
dpkg-deb --field "$deb" Package | grep -qx vesk || fail "package name"
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6 zlib1g \
  qt6-image-formats-plugins; do
  grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
echo "Depends: $depends"

# The files, unpacked into a scratch root.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
for file in usr/bin/vesk usr/bin/vesk-cli usr/share/applications/vesk.desktop \
  usr/share/icons/hicolor/256x256/apps/vesk.png usr/share/mime/packages/vesk.xml \
  usr/share/doc/vesk/manual/ru/index.html usr/share/doc/vesk/manual/en/index.html \
  usr/share/doc/vesk/manual/images/anaglyph-scene.jpg usr/share/vesk/examples/chessboard/chessboard_points.prt; do
  [ -s "$root/$file" ] || fail "missing /$file"
done
if command -v file >/dev/null && file "$root/usr/bin/vesk" | grep -q "not stripped"; then fail "vesk is not stripped"; fi

# The desktop entry starts vesk with the files it is given and declares the
# project type the MIME file defines.
entry="$root/usr/share/applications/vesk.desktop"
grep -qx 'Exec=vesk %F' "$entry" || fail "desktop entry: Exec"
grep -qx 'MimeType=application/x-vesk-project;' "$entry" || fail "desktop entry: MimeType"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry"; fi
grep -q '<mime-type type="application/x-vesk-project">' "$root/usr/share/mime/packages/vesk.xml" || fail "MIME type"
grep -q '<glob pattern="\*.prt"/>' "$root/usr/share/mime/packages/vesk.xml" || fail "MIME glob"
if command -v update-mime-database >/dev/null && [ -f /usr/share/mime/packages/freedesktop.org.xml ]; then
  # The MIME database accepts the file and maps a project to the type.
  mime="$root/mime"
  mkdir -p "$mime/packages"
  cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/vesk.xml" "$mime/packages/"
  XDG_DATA_DIRS="$root" update-mime-database "$mime"
  grep -q 'application/x-vesk-project:\*\.prt' "$mime/globs" || fail "the MIME database does not map *.prt"
fi

# The programs run from the package (Qt from the system).
"$root/usr/bin/vesk" --version | grep -qx "vesk $(dpkg-deb --field "$deb" Version)" || fail "vesk --version"
"$root/usr/bin/vesk-cli" --version >/dev/null || fail "vesk-cli --version"

# apt could install it here with what it depends on.
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get install --simulate -q "./$deb" >/dev/null || fail "apt cannot install $deb"
echo "checked $deb"

if [ "$install" -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get install -y -q "./$deb"
  command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' /usr/share/applications/vesk.desktop)
  # Still running after some seconds: it started and waits for the user.
  status=0
  timeout 8 xvfb-run -a "$command" examples/chessboard/chessboard_points.prt || status=$?
  [ "$status" -eq 124 ] || fail "the installed $command ended with status $status instead of running"
  echo "installed; $command starts from the desktop entry"
fi
