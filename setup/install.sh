#!/usr/bin/env bash
# Installs the Debian packages of the lists in setup/ that are missing:
# packages.txt, or the lists named (install.sh packages-win32.txt).
# With root it runs apt-get; without, it prints the one line to run and fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("${@:-packages.txt}")
wanted=()
for list in "${lists[@]}"; do
  mapfile -t -O "${#wanted[@]}" wanted < <(grep -v -E '^\s*(#|$)' "$here/$list")
done

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Velmo needs these Debian packages; install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
