#!/bin/sh
# The folders of src/core depend one way. Prints them lowest first and fails,
# naming the loop, when two folders reach each other through their includes.
# Only the counting session talks to the window: any other folder that
# includes the host interface fails too.
cd "$(dirname "$0")/../src/core" || exit 2
host=$(grep -rl '^#include "shell/Host.h"' --include='*.h' --include='*.cpp' . | grep -v '^\./\(counting\|shell\)/')
if [ -n "$host" ]; then
    echo "shell/Host.h included below the counting session:" $host >&2
    exit 1
fi
grep -rHo '^#include "[a-z]*/' --include='*.h' --include='*.cpp' . |
    sed 's,^\./\([a-z]*\)/[^:]*:#include "\([a-z]*\)/,\2 \1,' |
    awk '$1 != $2' | sort -u | tsort
