#!/usr/bin/env bash
# The wine prefix the Windows edition's tests share: "start FILE" makes a fresh 64-bit prefix in
# a temporary folder and writes its path to FILE; "stop FILE" ends that prefix's wine server and
# removes the folder.
set -euo pipefail
action=$1 file=$2
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
server=/usr/lib/wine/wineserver
[ -x "$server" ] || server=$(command -v wineserver)
export WINEDEBUG=-all
case $action in
  start)
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/tarn-wine.XXXXXX")
    log=$prefix.log
    # Making a prefix on a loaded machine now and then fails in one of its steps (a server that
    # has not quite ended, a service that starts late): start again from nothing, a few times,
    # and say why when every attempt failed.
    boot() {
      # No desktop integration: nothing outside the prefix is touched.
      WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" \
        "$wine" wineboot -i >>"$log" 2>&1 || return 1
      # A server that stays up until stop spares every test program the start of a new one.
      WINEPREFIX=$prefix "$server" -w >>"$log" 2>&1 || true
      WINEPREFIX=$prefix "$server" -p </dev/null >>"$log" 2>&1 || return 1
      # Its service processes are started here too, with nothing of a test's output to hold on to.
      WINEPREFIX=$prefix "$wine" wineboot </dev/null >>"$log" 2>&1 || return 1
    }
    attempt=1
    until boot; do
      echo "attempt $attempt to make the wine prefix failed" >>"$log"
      WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1 || true
      WINEPREFIX=$prefix "$server" -w >/dev/null 2>&1 || true
      if [ "$attempt" -ge 3 ]; then
        cat "$log" >&2
        rm -rf "$prefix" "$log"
        exit 1
      fi
      attempt=$((attempt + 1))
      find "$prefix" -mindepth 1 -delete
    done
    mkdir -p "$(dirname "$file")"
    echo "$prefix" >"$file"
    ;;
  stop)
    [ -f "$file" ] || exit 0
    prefix=$(cat "$file")
    case $prefix in "${TMPDIR:-/tmp}"/tarn-wine.*) ;; *) echo "not a test prefix: $prefix" >&2; exit 1 ;; esac
    WINEPREFIX=$prefix "$server" -k 2>/dev/null || true
    rm -rf "$prefix" "$prefix.log" "$file"
    ;;
  *) echo "usage: $0 start|stop FILE" >&2; exit 2 ;;
esac
