#!/bin/bash
# The manual pages and the completion the build made: man reads each page
# without a warning, every option of every command's --help is in the page (as
# --help writes it, with its value word, in SYNOPSIS and the command's section)
# and in the completion, and a real bash completes the cases of cases.txt.
# usage: reference_test.sh QUILLON-CLI REFERENCE-FOLDER CASES
set -u
cli=$1 ref=$2 cases=$3
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for page in quillon-cli quillon ja/quillon-cli ja/quillon; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$ref/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done
manual=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$ref/quillon-cli.1.gz" 2>/dev/null | col -b)
manual_ja=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$ref/ja/quillon-cli.1.gz" 2>/dev/null | col -b)
# The Japanese page is the English one's twin: the same lines outside the texts.
shape() { printf '%s\n' "$1" | grep -oE -- '^   [a-z]+$|^       --[a-z-]+( [A-Z][^ ]*)?|^       [0-9] '; }
[ "$(shape "$manual")" = "$(shape "$manual_ja")" ] || fail "the Japanese page's options, commands or exit codes differ from the English page's"
grep -q "^名前" <<<"$manual_ja" || fail "the Japanese page has no heading 名前"

# shellcheck source=/dev/null
source "$ref/quillon-cli.bash"
complete -p quillon-cli | grep -q -- '-F _quillon_cli quillon-cli$' || fail "no completion registered"

offered() {  # the words bash offers for the line typed so far
  local line=$1
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _quillon_cli
  printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}

for command in convert upload check history; do
  options=$("$cli" "$command" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
  [ -n "$options" ] || fail "$command --help lists no option"
  want=$(printf '%s\n' $options --help | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
  got=$(offered "quillon-cli $command --")
  [ "$got" = "$want" ] || fail "quillon-cli $command --: offered \"$got\", --help lists \"$want\""
  section=$(printf '%s\n' "$manual" | sed -n "/^   $command\$/,/^   [a-z]*\$/p")
  [ -n "$section" ] || fail "the manual page has no command $command"
  synopsis=$(printf '%s\n' "$manual" | grep -m1 "^       quillon-cli $command ")
  # Each option as --help writes it, with its value word: "--settings FILE".
  while IFS= read -r spec; do
    found=0
    while IFS= read -r line; do
      [[ $line == "       $spec" || $line == "       $spec "* ]] && found=1
    done <<<"$section"
    [ $found = 1 ] || fail "the manual page's $command has no \"$spec\""
    [[ $synopsis == *"$spec]"* || $synopsis == *"$spec |"* ]] || fail "the manual page's SYNOPSIS has no \"$spec\" for $command"
  done < <("$cli" "$command" --help | sed -n 's/^  \(--[a-z-]*\( [A-Z][^ ]*\)\{0,1\}\) .*/\1/p')
done
for code in $("$cli" --help | sed -n '/^exit codes:/,$p' | grep -o '[0-9] ' | tr -d ' '); do
  grep -q "^       $code  " <<<"$manual" || fail "the manual page has no exit status $code"
done

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" && touch log.csv settings.qsl && mkdir logs
while IFS= read -r line; do
  [[ -z $line || $line == \#* ]] && continue
  typed=${line%|*} want=${line##*|}
  got=$(offered "$typed")
  [ "$got" = "$want" ] || fail "\"$typed\": offered \"$got\", want \"$want\""
done <"$cases"
[ $failed = 0 ] && echo "all manual and completion checks passed"
exit $failed
