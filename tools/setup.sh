#!/usr/bin/env bash
# Installs the Debian packages that are missing, and Wine's 32-bit Windows DLLs for running
# the x86 programs in Wine's WoW64 mode.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"

missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < tools/apt-packages.txt
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# wine64 runs 32-bit Windows programs inside its 64-bit process once the 32-bit Windows DLLs
# of the same Wine version sit beside its own. Debian ships them in libwine:i386, which
# cannot be installed next to the 64-bit Wine here: unpack it and copy its Windows DLLs in,
# leaving every file that is already there alone.
dlls=/usr/lib/x86_64-linux-gnu/wine/i386-windows
if [[ ! -f $dlls/kernel32.dll ]]; then
  version=$(dpkg-query -W -f='${Version}' libwine)
  echo "Adding Wine's 32-bit Windows DLLs (libwine:i386 $version)"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  # apt's download user must be able to write the folder.
  chmod 777 "$work"
  (cd "$work" && apt-get download -qq "libwine:i386=$version")
  dpkg-deb -x "$work"/libwine_*_i386.deb "$work/x"
  $sudo mkdir -p "$dlls"
  $sudo cp -n "$work"/x/usr/lib/i386-linux-gnu/wine/i386-windows/* "$dlls/"
fi
