#!/usr/bin/env bash
# The layers of the station, checked on the sources: a file under src/ (or tools/) includes
# headers of its own folder and of the layers below it, never of another folder of its own layer
# nor of a layer above; the libraries a folder's CMakeLists.txt links follow the same order. A
# higher layer may include a lower layer's interface to implement it; the lower layer never
# includes the implementation. The simulated rack sees only the driver port and the platform
# clock; the coordination only bands and platform; the monitor also the display's scaling and scale
# marks; the crew view also the monitor and, as the monitor does, the display's scaling and scale
# marks. Prints what breaks a rule and fails; silent
# when all hold.
#   scripts/check-layers.sh [ROOT]     (default: this repository)
set -uo pipefail
cd "${1:-$(dirname "$0")/..}" || exit 2

declare -A layer=(
    [platform]=0
    [link]=1 [sim]=1
    [rack]=2
    [bands]=3
    [files]=4 [coordination]=4
    [display]=5 [control]=5 [editor]=5 [monitor]=5 [crew]=5
    [app]=6 [tools]=6
)
# Folders that may use only these headers and libraries (shell patterns).
declare -A only=(
    [sim]='link/Ftd2xx.h platform/Clock.h k7_ftd2xx k7_platform'
    [coordination]='bands/* platform/* k7_bands k7_platform'
)
# Headers and libraries of the same layer a folder may use besides the layers below (the alerts
# read a reading as the meters show it, through the display's scaling tables; the meter history
# draws it on the meters' scales, with their numbers; the crew view serves what the monitor sees,
# on the same scales).
declare -A also=(
    [monitor]='display/Scaling.h display/ScaleMarks.h k7_display'
    [crew]='monitor/* k7_monitor display/Scaling.h display/ScaleMarks.h k7_display'
)

status=0
fail() {
    echo "$1"
    status=1
}

# allowed FOLDER ITEM USED_FOLDER: may FOLDER use ITEM (a header or a library) of USED_FOLDER?
allowed() {
    local folder=$1 item=$2 used=$3 pattern
    [[ $used == "$folder" ]] && return 0
    if [[ -n ${only[$folder]:-} ]]; then
        for pattern in ${only[$folder]}; do
            # shellcheck disable=SC2053 # the pattern is meant to match
            [[ $item == $pattern ]] && return 0
        done
        return 1
    fi
    for pattern in ${also[$folder]:-}; do
        # shellcheck disable=SC2053 # the pattern is meant to match
        [[ $item == $pattern ]] && return 0
    done
    ((layer[$used] < layer[$folder]))
}

folders=()
for dir in src/*/ tools/; do
    [[ -d $dir ]] || continue
    dir=${dir%/}
    folder=${dir##*/}
    if [[ -z ${layer[$folder]:-} ]]; then
        fail "$dir has no place in the layers: add it to scripts/check-layers.sh"
        continue
    fi
    folders+=("$dir")
done

# Includes: "folder/Header.h" or <folder/Header.h> of a known folder, and no relative paths.
while IFS=: read -r file line text; do
    dir=${file%/*}
    folder=${dir##*/}
    [[ $text =~ include[[:space:]]*[\"\<]([^\">]*) ]] || continue
    header=${BASH_REMATCH[1]}
    if [[ $header == *../* ]]; then
        fail "$file:$line: includes $header by a relative path: name it by its folder"
        continue
    fi
    used=${header%%/*}
    [[ $header == */* && -n ${layer[$used]:-} ]] || continue
    allowed "$folder" "$header" "$used" ||
        fail "$file:$line: $folder (layer ${layer[$folder]}) includes $header (layer ${layer[$used]})"
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' \
    --include='*.h' --include='*.cpp' --include='*.in' "${folders[@]}" /dev/null)

# Libraries: every k7_ library named in a folder's CMakeLists.txt, by the folder that defines it.
declare -A home=()
for list in src/*/CMakeLists.txt; do
    dir=${list%/*}
    for target in $(sed -nE 's/^[[:space:]]*add_library\(([A-Za-z0-9_]+).*/\1/p' "$list"); do
        home[$target]=${dir##*/}
    done
done
for dir in "${folders[@]}"; do
    folder=${dir##*/}
    list=$dir/CMakeLists.txt
    [[ -f $list ]] || continue
    while IFS=: read -r line target; do
        used=${home[$target]:-}
        [[ -n $used ]] || continue
        allowed "$folder" "$target" "$used" ||
            fail "$list:$line: $folder (layer ${layer[$folder]}) links $target of $used (layer ${layer[$used]})"
    done < <(sed -E 's/#.*//' "$list" | grep -noE '\bk7_[A-Za-z0-9_]+')
done
exit $status
