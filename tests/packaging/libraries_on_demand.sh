#!/bin/sh
# libraries_on_demand.sh QUILLON QUILLON_CLI DATA: neither program links libcurl
# or libsqlite3; --help and convert map neither; history maps libsqlite3 and
# upload libcurl, from their modules.
set -eu
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for program in "$1" "$2"; do
  if readelf -d "$program" | grep -Eq 'NEEDED.*lib(curl|sqlite3)'; then
    echo "$program links: $(readelf -d "$program" | grep -Eo 'lib(curl|sqlite3)[^]]*')"
    exit 1
  fi
done
mapped() { LD_DEBUG=files "$@" 2>&1 >/dev/null | grep -Eo 'file=lib(curl|sqlite3)[^ ]*' | sort -u | tr '\n' ' '; }
printf '%s\r\n%s\r\nQ1AAA\r\nsecret\r\n\r\n 0 \r\n\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n' "$3/sample.csv" "$tmp/out.xml" >"$tmp/s.qsl"
export XDG_CONFIG_HOME="$tmp"
for args in "--help" "convert --settings $tmp/s.qsl"; do
  # shellcheck disable=SC2086
  got=$(mapped "$2" $args)
  [ -z "$got" ] || { echo "quillon-cli $args maps $got"; exit 1; }
done
got=$(mapped "$2" history)
case $got in *sqlite3*) ;; *) echo "quillon-cli history maps no libsqlite3: $got"; exit 1 ;; esac
got=$(mapped "$2" upload --settings "$tmp/s.qsl" --server 127.0.0.1:9)
case $got in *libcurl*) ;; *) echo "quillon-cli upload maps no libcurl: $got"; exit 1 ;; esac
