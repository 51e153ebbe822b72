#!/bin/sh
# libraries_on_demand.sh WINDOW_START QUILLON_CLI DATA: neither program links
# libcurl or libsqlite3; the window's start (its session opened, up to its first
# paint), --help and convert map neither; history maps libsqlite3 and upload
# libcurl, from their modules.
set -eu
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for program in "$1" "$2"; do
  if readelf -d "$program" | grep -Eq 'NEEDED.*lib(curl|sqlite3)'; then
    echo "$program links: $(readelf -d "$program" | grep -Eo 'lib(curl|sqlite3)[^]]*')"
    exit 1
  fi
done
libraries() { grep -Eo 'file=lib(curl|sqlite3)[^ ]*' | sort -u | tr '\n' ' '; }
mapped() { LD_DEBUG=files "$@" 2>&1 >/dev/null | libraries; }
printf '%s\r\n%s\r\nQ1AAA\r\nsecret\r\n\r\n 0 \r\n\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n' "$3/sample.csv" "$tmp/out.xml" >"$tmp/s.qsl"
export XDG_CONFIG_HOME="$tmp"
mkdir "$tmp/quillon"
cp "$tmp/s.qsl" "$tmp/quillon/qsodata.qsl"
QT_QPA_PLATFORM=offscreen LD_DEBUG=files "$1" >/dev/null 2>"$tmp/window.log" || { echo "the window did not start"; exit 1; }
got=$(libraries <"$tmp/window.log")
[ -z "$got" ] || { echo "the window's start maps $got"; exit 1; }
for args in "--help" "convert --settings $tmp/s.qsl"; do
  # shellcheck disable=SC2086
  got=$(mapped "$2" $args)
  [ -z "$got" ] || { echo "quillon-cli $args maps $got"; exit 1; }
done
got=$(mapped "$2" history)
case $got in *sqlite3*) ;; *) echo "quillon-cli history maps no libsqlite3: $got"; exit 1 ;; esac
got=$(mapped "$2" upload --settings "$tmp/s.qsl" --server 127.0.0.1:9)
case $got in *libcurl*) ;; *) echo "quillon-cli upload maps no libcurl: $got"; exit 1 ;; esac
