#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what a packager
# ships: the desktop entry and the AppStream file validate, every icon size is
# there, the manual page reads, and the installed command line finds its desktop
# executable (a headless screenshot) while `list` runs without it.
#   scripts/check-install.sh [BUILD_DIR]      (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
id=org.kalendrina.Kalendrina
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
for size in 16 22 24 32 48 64 128 256; do
  test -s "$share/icons/hicolor/${size}x${size}/apps/$id.png" || { echo "missing ${size}px icon" >&2; exit 1; }
done
test -s "$share/icons/hicolor/scalable/apps/$id.svg"
man -l "$share/man/man1/kalendrina.1" 2>&1 >/dev/null | { ! grep .; } || { echo "the manual page has errors" >&2; exit 1; }

data=$prefix/data
mkdir -p "$data"
export XDG_RUNTIME_DIR=$prefix
"$prefix/bin/kalendrina" add 2024-05-05 "Installed" --data "$data"
"$prefix/bin/kalendrina" list --data "$data" | grep -q Installed
"$prefix/bin/kalendrina" screenshot "$prefix/shot.png" --data "$data"
test -s "$prefix/shot.png"
module=$(find "$prefix" -name kalendrina-desktop -type f)
mv "$module" "$module.away"
"$prefix/bin/kalendrina" list --data "$data" | grep -q Installed
if "$prefix/bin/kalendrina" screenshot "$prefix/none.png" --data "$data" 2>/dev/null; then
  echo "screenshot worked without the desktop executable" >&2
  exit 1
fi
echo "Install: $(find "$prefix" -type f | wc -l) files, desktop entry, metainfo, icons and manual page valid, desktop executable found."
