#!/bin/sh
# Fails when two folders of src/ include each other's headers: each layer must stay above or
# below the other. Usage: folder_loops.sh <source root>
cd "$1/src" || exit 2
for dir in */; do
    grep -rhoE '^#include "[A-Za-z_]+/' "$dir" | sed -E "s|^#include \"([^/]+)/|${dir%/} \1|"
done | sort -u | awk '$1 != $2 { uses[$1 " " $2] = 1 }
    END {
        for (pair in uses) {
            split(pair, p, " ")
            if ((p[2] " " p[1]) in uses && p[1] < p[2]) { print p[1] " <-> " p[2]; loops = 1 }
        }
        exit loops
    }'
