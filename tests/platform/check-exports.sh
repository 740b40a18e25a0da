#!/bin/bash
# Checks that the engine libraries export what a client declares from the documentation.
#
#   check-exports.sh NM OBJDUMP BIN_DIR OBJECT=DLL[,DLL...][=SKIP_REGEX] ...
#
# Each OBJECT is a client object (ClientUses*.cpp) whose undefined symbols are the compiler's
# mangled names of the documented operations it calls. Every such symbol must be in the export
# table of every DLL named beside the object. Symbols of the C++ runtime and those matching the
# optional SKIP_REGEX (operations of another library, checked with its own object) are left out.
# Prints each missing operation by name and fails when there is one.
set -u
nm=$1 objdump=$2 bin=$3
shift 3
cxxfilt=${nm%nm}c++filt
command -v "$cxxfilt" >/dev/null || cxxfilt=cat
# The runtime the client object also needs: the standard library, its type-information classes,
# operator new and delete, and everything that is not a mangled C++ name.
runtime='^(_ZNSt|_ZNKSt|_ZSt|_ZTVN10__cxxabiv|_Znw|_Zna|_Zdl|_Zda)'

exports() { # the names in a DLL's export table, one a line
    "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort -u
}

status=0
for entry in "$@"; do
    IFS='=' read -r object dlls skip <<<"$entry"
    symbols=$("$nm" -u "$object" | awk '{print $NF}' | grep '^_Z' | grep -Ev "$runtime" |
        { if [ -n "$skip" ]; then grep -Ev "$skip"; else cat; fi; } | sort -u)
    count=$(printf '%s\n' "$symbols" | grep -c .)
    if [ "$count" -eq 0 ]; then
        echo "FAIL: $(basename "$object") calls no documented operation" >&2
        status=1
        continue
    fi
    for dll in ${dlls//,/ }; do
        if [ ! -f "$bin/$dll" ]; then
            echo "FAIL: $bin/$dll not found" >&2
            status=1
            continue
        fi
        missing=$(comm -23 <(printf '%s\n' "$symbols") <(exports "$bin/$dll"))
        if [ -n "$missing" ]; then
            echo "FAIL: $dll lacks $(printf '%s\n' "$missing" | grep -c .) of the $count operations of $(basename "$object"):" >&2
            printf '%s\n' "$missing" | while read -r m; do
                printf '    %s    (%s)\n' "$(echo "$m" | "$cxxfilt")" "$m" >&2
            done
            status=1
        else
            echo "ok: $dll exports all $count operations of $(basename "$object")"
        fi
    done
done
exit $status
