#!/bin/sh
# The folders of src/core depend one way. Prints them lowest first and fails,
# naming the loop, when two folders reach each other through their includes.
# Only the counting session talks to the window: any other folder that
# includes the host interface fails too, and so does a label text call in the
# core (the session gives the host numbers; the programs make the texts, the
# result lines they share in render/, which the core itself never includes).
# So do a re-entered event loop (processEvents), type-prefixed names and files
# named for "procedures".
cd "$(dirname "$0")/.." || exit 2
shape=$(grep -rlw 'processEvents' src tests bench fuzz;
        grep -rlE '\b(bln|lng|str|int|dbl)[A-Z][A-Za-z0-9]*\b' src tests bench fuzz;
        find src tests -name '*Proc*' ! -name 'Process.h')
if [ -n "$shape" ]; then
    echo "processEvents, a type-prefixed name or a *Proc file in:" $shape >&2
    exit 1
fi
cd src/core || exit 2
host=$(grep -rl '^#include "shell/Host.h"' --include='*.h' --include='*.cpp' . | grep -v '^\./\(counting\|shell\)/')
if [ -n "$host" ]; then
    echo "shell/Host.h included below the counting session:" $host >&2
    exit 1
fi
texts=$(grep -rlE 'Label::|setLabel|setProgressBarStyle|setTwirler|setCountCaption' .;
        grep -rl '^#include "render/' --include='*.h' --include='*.cpp' . | grep -v '^\./render/')
if [ -n "$texts" ]; then
    echo "a label text made or a render/ text used in the core:" $texts >&2
    exit 1
fi
grep -rHo '^#include "[a-z]*/' --include='*.h' --include='*.cpp' . |
    sed 's,^\./\([a-z]*\)/[^:]*:#include "\([a-z]*\)/,\2 \1,' |
    awk '$1 != $2' | sort -u | tsort
