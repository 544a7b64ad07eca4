#!/bin/sh
# Checks the files that present the program to the system: the manual pages,
# the desktop entry, the metainfo and the package's build dependencies.
# Usage: check-files.sh CHECK ARGS...; exits 77 (skipped) when a tool is missing.
set -eu

skip_without() {
  command -v "$1" >/dev/null 2>&1 || { echo "skipped: $1 is not installed"; exit 77; }
}

# The option names of a list of option lines ("  -p, --params=PARAMS  text"),
# one a line, sorted.
option_names() {
  awk '/^[ \t]*-/ {
         for (i = 1; i <= NF; i++) {
           t = $i; sub(/=.*/, "", t); sub(/,$/, "", t)
           if (t ~ /^--?[A-Za-z]/) print t
           if ($i !~ /,$/) break
         }
       }' | sort -u
}

# missing_from A B PREFIX: prints PREFIX and each line of A that B lacks; fails when there is one.
missing_from() {
  found=0
  for x in $1; do echo "$2" | grep -qx -- "$x" || { echo "$3$x"; found=1; }; done
  return $found
}

# The package names of a dependency list: no versions, profiles or architectures.
package_names() {
  tr ',\n' '  ' | sed -e 's/([^)]*)//g' -e 's/<[^>]*>//g' -e 's/\[[^]]*\]//g' |
    tr -s ' \t' '\n\n' | sed '/^$/d' | sort -u
}

case "$1" in
options)  # a program's --help and its manual page name the same options
  bin=$2 page=$3
  help=$("$bin" --help | option_names)
  man=$(sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' "$page" | grep '^\\fB-' | sed 's/\\f[BIRP]//g' | option_names)
  [ -n "$help" ] && [ -n "$man" ] || { echo "no options found"; exit 1; }
  status=0
  missing_from "$help" "$man" "in --help, not in the manual page: " || status=1
  missing_from "$man" "$help" "in the manual page, not in --help: " || status=1
  exit $status ;;
man)  # every page renders without a warning
  skip_without man
  shift
  for page in "$@"; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || { echo "$page: man failed"; exit 1; }
    [ -z "$out" ] || { echo "$page:"; echo "$out"; exit 1; }
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q '^EXAMPLES' || { echo "$page: no EXAMPLES"; exit 1; }
  done ;;
desktop) skip_without desktop-file-validate; desktop-file-validate "$2" ;;
metainfo) skip_without appstreamcli; appstreamcli validate --no-net --pedantic "$2" ;;
completion)  # -p offers parameter files, the window's kvx.usr and folders
  skip_without bash
  [ -f /usr/share/bash-completion/bash_completion ] || { echo "skipped: bash-completion is not installed"; exit 77; }
  dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
  mkdir "$dir/sub" && touch "$dir/a.kvx" "$dir/b.txt" "$dir/kvx.usr" "$dir/x.usr"
  got=$(cd "$dir" && bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
         COMP_WORDS=(kvx-count -p ""); COMP_CWORD=2; COMP_LINE="kvx-count -p "; COMP_POINT=${#COMP_LINE}
         _kvx_count kvx-count "" -p; printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' sh "$2")
  [ "$got" = "a.kvx kvx.usr sub " ] || { echo "completion of -p gave '$got'"; exit 1; } ;;
build-deps)  # debian/control builds with what the set-up script installs
  src=$2
  deps=$(sed -n '/^pkgs=(/,/)/p' "$src/tools/install-deps.sh" | sed -e 's/^pkgs=(//' -e 's/).*//' |
         package_names | grep -vx build-essential)
  control=$(sed -n '/^Build-Depends:/,/^[^ ]/p' "$src/debian/control" | sed -e '/^[^ B]/d' -e 's/^Build-Depends://' |
            package_names | grep -vx debhelper-compat)
  [ "$deps" = "$control" ] && exit 0
  echo "tools/install-deps.sh and debian/control Build-Depends differ:"
  missing_from "$deps" "$control" "  only in install-deps.sh: " || true
  missing_from "$control" "$deps" "  only in debian/control: " || true
  exit 1 ;;
*)
  echo "unknown check: $1"; exit 2 ;;
esac
