#!/bin/sh
# The folders of src/core depend one way. Prints them lowest first and fails,
# naming the loop, when two folders reach each other through their includes.
cd "$(dirname "$0")/../src/core" || exit 2
grep -rHo '^#include "[a-z]*/' --include='*.h' --include='*.cpp' . |
    sed 's,^\./\([a-z]*\)/[^:]*:#include "\([a-z]*\)/,\2 \1,' |
    awk '$1 != $2' | sort -u | tsort
