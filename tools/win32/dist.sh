#!/usr/bin/env bash
# dist.sh BUILD ZIP: packs velmo.exe and velmo-cli.exe of the Windows build
# with the README and a short Windows note into ZIP.
set -euo pipefail
build=$1
zip=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/velmo"
cp "$build/velmo.exe" "$build/velmo-cli.exe" "$root/README.md" "$stage/velmo/"
# Windows' own line ends, so Notepad shows the note as written.
sed 's/$/\r/' "$root/tools/win32/WINDOWS.txt" > "$stage/velmo/WINDOWS.txt"
mkdir -p "$(dirname "$zip")"
rm -f "$zip"
zip="$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")"
(cd "$stage" && zip -q -X -r "$zip" velmo)
echo "wrote $zip"
