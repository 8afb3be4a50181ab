#!/usr/bin/env bash
# Installs the Debian packages (scripts/packages.txt) and the locales Veltrane needs. Cheap when all is there:
# one dpkg-query, no apt-get update.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mapfile -t wanted < <(sed -e 's/#.*//' "$here/packages.txt" | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    sudo_cmd=(sudo)
  else
    echo "install-deps: not root and no sudo; install as root: ${wanted[*]}" >&2
    exit 1
  fi
fi

installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${wanted[@]}" 2>/dev/null \
  | awk '$2 == "installed" { print $1 }' || true)
missing=()
for p in "${wanted[@]}"; do
  grep -qxF "$p" <<<"$installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# Locales the program and its tests run under (Russian and US English), generated only when missing.
need_gen=0
for loc in ru_RU en_US; do
  if ! locale -a 2>/dev/null | grep -qix "${loc}\.utf-\?8"; then
    need_gen=1
    if grep -q "^# *${loc}\.UTF-8 UTF-8" /etc/locale.gen; then
      "${sudo_cmd[@]}" sed -i -E "s/^# *(${loc}\.UTF-8 UTF-8)/\1/" /etc/locale.gen
    elif ! grep -q "^${loc}\.UTF-8 UTF-8" /etc/locale.gen; then
      echo "${loc}.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  fi
done
if [ "$need_gen" = 1 ]; then
  echo "install-deps: generating locales"
  "${sudo_cmd[@]}" locale-gen
fi
