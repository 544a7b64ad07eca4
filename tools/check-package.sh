#!/usr/bin/env bash
# Installs the built packages into this machine, checks that the installed
# programs run from them (kvx-count lists a text exactly as the build tree's
# does, kvx finds its data files and opens its window), that the manual
# pages, desktop entry, metainfo and completion are in place, and purges the
# packages again.
# Usage: tools/check-package.sh [DIST] [BUILD]   (defaults: dist build)
set -euo pipefail
cd "$(dirname "$0")/.."
dist=${1:-dist}
build=${2:-build}
packages=(kvx kvx-count kvx-data)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

debs=()
for p in "${packages[@]}"; do
  f=$(ls "$dist/${p}"_*.deb 2>/dev/null | tail -n 1)
  [ -n "$f" ] || { echo "check-package: no $p package in $dist/"; exit 1; }
  debs+=("./$f")
done
# kvx-count is the program for machines without a display: no Qt at all.
depends=$(dpkg-deb -f "${debs[1]}" Depends)
case ${depends,,} in *qt*) echo "check-package: kvx-count depends on Qt: $depends"; exit 1 ;; esac
[ -x "$build/src/cli/kvx-count" ] || { echo "check-package: no $build/src/cli/kvx-count to compare with"; exit 1; }

fail() { echo "check-package: FAILED: $*"; exit 1; }
purge() { $sudo apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true; }
for p in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q installed; then
    echo "check-package: $p is installed already (an earlier check?): purging it first"
    purge
    break
  fi
done

tmp=$(mktemp -d)
trap 'purge; rm -rf "$tmp"' EXIT
$sudo apt-get install -y -qq --no-install-recommends "${debs[@]}" >/dev/null
echo "installed: ${debs[*]}"

# The installed programs, with nothing pointing them at the build tree.
unset KVX_DATA_DIR
export HOME=$tmp/home XDG_DATA_HOME=$tmp/home/.local/share XDG_CONFIG_HOME=$tmp/home/.config
mkdir -p "$HOME"

# kvx-count: the same listing, result counts and status as the build tree's.
printf 'The cat and the dog.\r\nA cat, a café; the CAFÉ <b>bold</b> the end\r\n' > "$tmp/small.html"
for f in listing csv json; do
  for bin in /usr/bin/kvx-count "$build/src/cli/kvx-count"; do
    set +e
    "$bin" --format "$f" "$tmp/small.html" > "$tmp/out" 2> "$tmp/err"
    echo "status $?" >> "$tmp/err"
    set -e
    cat "$tmp/out" "$tmp/err" > "$tmp/run-$(basename "$(dirname "$bin")")"
  done
  cmp -s "$tmp/run-bin" "$tmp/run-cli" || { diff "$tmp/run-bin" "$tmp/run-cli" || true; fail "kvx-count --format $f differs"; }
done
grep -q '^status 0$' "$tmp/run-bin" || fail "kvx-count did not count"
! objdump -p /usr/bin/kvx-count | grep NEEDED | grep -qi qt || fail "/usr/bin/kvx-count links Qt"
echo "kvx-count: the installed program lists as the build tree's, without Qt"

# kvx: reads its message texts, and its window comes up offscreen and stays
# until it is ended.
version=$(/usr/bin/kvx --version) || fail "kvx --version"
[ "$version" = "$("$build/src/app/kvx" --version)" ] || fail "kvx --version says '$version'"
set +e
QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/kvx "$tmp/small.html" > /dev/null 2>&1
status=$?
set -e
[ $status -eq 124 ] || fail "kvx ended with $status before it was stopped"
echo "kvx: $version; its window starts"

# Manual pages, desktop entry, metainfo, icon, completion.
for page in kvx kvx-count; do
  f=/usr/share/man/man1/$page.1.gz
  [ -f "$f" ] || fail "no $f"
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$f" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man -l $f: $out"
done
desktop-file-validate /usr/share/applications/org.example.kvx.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.example.kvx.metainfo.xml > /dev/null
[ -f /usr/share/icons/hicolor/scalable/apps/org.example.kvx.svg ] || fail "no icon"
if [ -f /usr/share/bash-completion/bash_completion ]; then
  got=$(bash -c 'source /usr/share/bash-completion/bash_completion
                 _completion_loader kvx-count
                 COMP_WORDS=(kvx-count --format ""); COMP_CWORD=2; COMP_LINE="kvx-count --format "
                 COMP_POINT=${#COMP_LINE}
                 $(complete -p kvx-count | sed "s/.*-F \([^ ]*\) .*/\1/") kvx-count "" --format
                 echo "${COMPREPLY[*]}"')
  [ "$got" = "listing csv tsv json" ] || fail "completion of --format gave '$got'"
  echo "bash completion: --format offers $got"
fi

# Purged, nothing is left behind.
trap 'rm -rf "$tmp"' EXIT
$sudo apt-get purge -y -qq "${packages[@]}" > /dev/null
left=$(ls -d /usr/bin/kvx /usr/bin/kvx-count /usr/share/kvx /usr/share/doc/kvx* /usr/share/man/man1/kvx* \
          /usr/share/applications/org.example.kvx.desktop /usr/share/bash-completion/completions/kvx-count \
          2>/dev/null || true)
[ -z "$left" ] || fail "left after purging: $left"
echo "check-package: passed; the packages are purged again"
