#!/usr/bin/env bash
# Checks the manual page and the bash completion of brindlecot-cli against the
# tool itself: every command its --help lists and every option each command's
# --help lists (and the help of each word a command chooses between, as in
# print BOOK ledger) is described under that command in the rendered page and
# offered by the completion after that command; the page renders without a
# warning; the completion offers the words and values the help gives, and
# file names where a file goes.
#     clidocs.sh CLI MANPAGE COMPLETION
set -euo pipefail
cli=$1 manpage=$2 completion=$3
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

LC_ALL=C.UTF-8 MANWIDTH=200 man --warnings -l "$manpage" >"$scratch/page" 2>"$scratch/warnings"
[ -s "$scratch/warnings" ] && fail "the manual page renders with warnings: $(cat "$scratch/warnings")"
# Each command's part of the page: from its first heading ("   ledger BOOK")
# to the next heading of another command.
section() {
  awk -v c="$1" '/^   [a-z]/ { inside = ($1 == c) } inside' "$scratch/page"
}

# The completion, called as bash calls it for the words given ("" for the
# word being typed); compopt only works inside a real completion.
compopt() { :; }
# shellcheck source=/dev/null
source "$completion"
complete_words() {
  COMP_WORDS=(brindlecot-cli "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _brindlecot_cli
  printf '%s\n' "${COMPREPLY[@]}"
}
offers() { # offers WORD WORDS...: the completion of WORDS includes WORD
  local want=$1
  shift
  complete_words "$@" | grep -xF -- "$want" >/dev/null || fail "completing '$*' does not offer $want"
}

# The option names of a help text: the words that begin its option lines.
options_of() {
  sed -n '/^Options:/,/^Arguments:/p' | grep -oE '^  (-[a-z], )?--[a-z-]+' | sed 's/.*--/--/'
}

commands=$("$cli" --help | sed -n '/Commands:/,$p' | awk 'NR > 1 { print $1 }')
[ -n "$commands" ] || fail "no commands in brindlecot-cli --help"
for command in $commands; do
  offers "$command" ""
  help=$("$cli" "$command" --help)
  grep -qE "^   $command( |$)" "$scratch/page" || fail "the page has no section for $command"
  page=$(section "$command")
  # The words of an argument such as accounts|transactions|statement.
  usage=$(head -1 <<<"$help")
  words=$(grep -oE '[a-z-]+(\|[a-z-]+)+' <<<"$usage" | tr '|' ' ' || true)
  before=$(sed -E "s/^Usage: brindlecot-cli $command //; s/ [a-z-]+(\|[a-z-]+)+.*//" <<<"$usage")
  for option in $(options_of <<<"$help"); do
    case $option in --help | --help-all) ;; *) grep -qF -- "$option" <<<"$page" || fail "$command: $option is not on the page" ;; esac
    offers "$option" "$command" book.fd "-"
  done
  for word in $words; do
    offers "$word" "$command" book.fd ""
    # shellcheck disable=SC2086 # the arguments before the word, e.g. BOOK
    for option in $("$cli" "$command" $before "$word" --help | options_of); do
      case $option in --help | --help-all) continue ;; esac
      grep -qF -- "$option" <<<"$page" || fail "$command $word: $option is not on the page"
      offers "$option" "$command" book.fd "$word" "-"
    done
  done
done

offers --version ""
offers csv ledger book.fd --format ""
offers quarter income-statement book.fd --period ""
offers camt import book.fd statement file.ofx --format ""
offers --class print book.fd summary --c
[ -z "$(complete_words print book.fd ledger --cl)" ] || fail "print BOOK ledger is offered summary's --class"
[ -z "$(complete_words ledger book.fd --account "")" ] || fail "an account name is completed as a file"
cd "$scratch"
touch "my book.fd" notes.csv
offers "my book.fd" ledger my
offers notes.csv import "my book.fd" accounts no
offers notes.csv export book.fd accounts --output no
cd - >/dev/null

"$cli" --version | grep -E '^brindlecot-cli [0-9]+\.[0-9]+' >/dev/null || fail "brindlecot-cli --version prints no version"
[ "$failures" -eq 0 ] && echo "the manual page and the completion cover every command and option"
exit $((failures > 0))
