#!/bin/sh
# po/ja.po is current: every text the sources mark has a Japanese entry, not
# empty and not fuzzy, with the same values ({1}, {n} ...) as its key; and
# every source that marks a text is one po/POTFILES names.
# usage: catalog_test.sh SOURCE-FOLDER XGETTEXT-COMMAND...
set -u
cd "$1" && shift
failed=0
fail() { echo "FAIL: $*"; failed=1; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

for source in $(grep -rlE '(^|[^A-Za-z_])(tr|trn|N_)\("' src | sort); do
  grep -qx "$source" po/POTFILES || fail "$source marks texts, and po/POTFILES does not name it"
done
"$@" -o "$folder/quillon-cli.pot" || fail "xgettext"
msgcmp po/ja.po "$folder/quillon-cli.pot" || fail "po/ja.po lacks a translation (msgcmp above)"
msgfmt --check -o /dev/null po/ja.po || fail "msgfmt --check po/ja.po"
# Each entry's values as a sorted list, key and translation side by side.
msgcat --no-wrap po/ja.po | awk '
  function marks(s,  out, list, n, i) {
    n = 0
    while (match(s, /\{[1-9n]\}/)) { list[++n] = substr(s, RSTART, RLENGTH); s = substr(s, RSTART + RLENGTH) }
    for (i = 2; i <= n; i++) { v = list[i]; for (j = i - 1; j >= 1 && list[j] > v; j--) list[j + 1] = list[j]; list[j + 1] = v }
    out = ""; for (i = 1; i <= n; i++) out = out list[i]
    return out
  }
  /^msgid / { key = $0; sub(/^msgid /, "", key) }
  /^msgstr(\[0\])? / { text = $0; sub(/^msgstr(\[0\])? /, "", text)
    if (key != "\"\"" && marks(key) != marks(text)) { print "FAIL: values differ: " key " -> " text; bad = 1 } }
  END { exit bad }' || failed=1
[ $failed = 0 ] && echo "the catalog is whole"
exit $failed
