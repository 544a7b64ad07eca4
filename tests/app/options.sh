#!/bin/sh
# kvx reads its options before it opens a window: run here without a display,
# a bad option is still refused with status 2, and --help and --version answer.
# Usage: options.sh KVX
set -u
kvx=$1 status=0

# check STATUS START ARG...: the exit status, and how the output's first line starts.
check() {
  want=$1 start=$2
  shift 2
  first=$("$kvx" "$@" 2>&1 </dev/null | head -n 1)
  got=$("$kvx" "$@" >/dev/null 2>&1 </dev/null; echo $?)
  case $first in
    "$start"*) [ "$got" = "$want" ] && return ;;
  esac
  echo "kvx $*: status $got, '$first'; wanted $want, '$start...'"
  status=1
}

check 2 "kvx: unknown option '--bogus'" --bogus
check 2 "kvx: unknown option '-x'" -platform offscreen -x
check 2 "kvx: more than one file given" -style fusion a.txt b.txt
check 2 "kvx: more than one file given" -- a.txt -b.txt
check 0 "Usage: kvx " -reverse --help
check 0 "KVX " --version
exit $status
