#!/usr/bin/env bash
# Keeps docs/architecture.md true where a script can tell:
# - every code name the map writes in backticks (a function, type, variable,
#   macro, build target, file or folder) is in the code: in a source file
#   outside comments, or as a file or folder of the tree;
# - the include rules of its table of folders hold for every #include "...".
# Prints each name or include that breaks them, and exits 1 when there is any.
# Usage: tests/docs/check-map.sh [map]   (default: docs/architecture.md)
set -uo pipefail
LC_ALL=C
cd "$(dirname "$0")/../.."
map=${1:-docs/architecture.md}
[ -f "$map" ] || { echo "check-map: no map at $map"; exit 1; }

folders=(app assets base platform preview saver settings tools tests)
# Names are looked up in the product and its tools; a test's own variable proves nothing.
code_folders=(app assets base platform preview saver settings tools)
faults=0
fault() { echo "check-map: $*"; faults=$((faults + 1)); }

# The sources with comments taken out (string literals stay: a caption is code).
code=$(mktemp)
trap 'rm -f "$code"' EXIT
find "${code_folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.in' -o -name 'CMakeLists*.txt' \) -print0 |
  sort -z | xargs -0 perl -0777 -ne '
    s{/\*.*?\*/}{ }gs;                       # block comments
    s{("(?:\\.|[^"\\\n])*")|//[^\n]*}{defined $1 ? $1 : ""}ge;  # line comments, not inside strings
    s{^\s*#.*$}{}gm if $ARGV =~ /CMakeLists/;  # CMake comments
    print "$_\n";' >"$code"

# 1. The names in backticks. A span that holds a blank or quotes is prose or
# a command, not a name, and is left alone.
checked=0
while IFS= read -r span; do
  case "$span" in *' '* | *'"'* | '') continue ;; esac
  checked=$((checked + 1))
  if [[ "$span" == */* || "$span" =~ \.(h|cpp|sh|md|txt)$ ]]; then
    # A path from the top of the tree, or a file's bare name anywhere in it.
    if [[ "$span" == */* ]]; then
      [ -e "$span" ] || fault "the map names \`$span\`, which is no file or folder of the tree"
    elif [ -z "$(find "${folders[@]}" -name "$span" -print -quit)" ]; then
      fault "the map names the file \`$span\`, which is nowhere in the tree"
    fi
    continue
  fi
  # Pat(0) names Pat; WindowImage::Send and app.drawn name both parts.
  name=${span%%(*}
  name=${name//::/:}
  IFS=':' read -ra parts <<<"${name//./:}"
  for part in "${parts[@]}"; do
    [[ "$part" =~ ^[A-Za-z_][A-Za-z0-9_]*$ ]] || { fault "the map's \`$span\` is not a code name it can look up"; continue; }
    grep -qE "(^|[^A-Za-z0-9_])${part}([^A-Za-z0-9_]|\$)" "$code" ||
      fault "the map names \`$part\`$([ "$part" = "$span" ] || echo " (in \`$span\`)"), which is nowhere in the code outside comments"
  done
done < <(grep -oE '`[^`]+`' "$map" | sed 's/^`//; s/`$//' | sort -u)

# 2. The include rules: the table's rows, from "| folder | ... | may include |"
# to its end. A row's folders may include themselves, each backticked folder
# or file of its last column ("the seam" is platform/platform.h), all rows
# above it for "everything below", and anything for "everything".
declare -a row_owners=() row_allowed=()
below=""
in_table=false
while IFS= read -r line; do
  if [[ "$line" == '| folder |'* ]]; then in_table=true; continue; fi
  $in_table || continue
  [[ "$line" == '|---'* ]] && continue
  [[ "$line" == '|'* ]] || break
  owners_cell=$(cut -d'|' -f2 <<<"$line")
  allowed_cell=$(awk -F'|' '{print $(NF-1)}' <<<"$line")
  owners=$(grep -oE '`[^`]+`' <<<"$owners_cell" | tr -d '`' | tr '\n' ' ')
  allowed="$owners $(grep -oE '`[^`]+`' <<<"$allowed_cell" | tr -d '`' | tr '\n' ' ')"
  grep -q 'the seam' <<<"$allowed_cell" && allowed="$allowed platform/platform.h"
  if grep -qE '(^|[^a-z])everything below' <<<"$allowed_cell"; then
    allowed="$allowed $below"
  elif grep -qE '(^|[^a-z])everything([^a-z]|$)' <<<"$allowed_cell"; then
    allowed="*"
  fi
  row_owners+=("$owners")
  row_allowed+=("$allowed")
  below="$below $owners"
done <"$map"
[ ${#row_owners[@]} -gt 0 ] || fault "the map has no table of folders (a row starting '| folder |')"

# What an include's path belongs to: platform/platform.h, platform/<backend>/
# or the top folder.
part_of() {
  case "$1" in
    platform/platform.h) echo "platform/platform.h" ;;
    platform/*/*) echo "platform/$(cut -d/ -f2 <<<"$1")/" ;;
    */*) echo "${1%%/*}/" ;;
  esac
}
allows() {  # allowed-list included-path
  local entry part
  part=$(part_of "$2")
  [ "$1" = "*" ] && return 0
  for entry in $1; do
    # A file by its path, or the folder (or the seam) it belongs to.
    [ "$entry" = "$2" ] || [ "$entry" = "$part" ] && return 0
  done
  return 1
}
includes=0
for i in "${!row_owners[@]}"; do
  for owner in ${row_owners[$i]}; do
    [ -e "$owner" ] || { fault "the table's row \`$owner\` is no file or folder"; continue; }
    while IFS=: read -r file target; do
      [ -n "$file" ] || continue
      target=${target#*\"}
      target=${target%%\"*}
      [[ "$target" == */* ]] || continue  # a generated header beside the build
      includes=$((includes + 1))
      allows "${row_allowed[$i]}" "$target" ||
        fault "$file includes \"$target\", but the table lets \`$owner\` include only: ${row_allowed[$i]}"
    done < <(grep -rHE '^\s*#\s*include\s+"' "$owner" --include='*.h' --include='*.cpp' 2>/dev/null)
  done
done

# The core and the assets include no system or window-system header: only
# the C++ library's own (no extension) and, in assets/, Debian's stb.
while IFS=: read -r file header; do
  header=${header#*<}
  header=${header%%>*}
  [[ "$header" == *.* && ! ( "$file" == assets/* && "$header" == stb/* ) ]] &&
    fault "$file includes <$header>: the core includes no system header"
done < <(grep -rHE '^\s*#\s*include\s+<' base assets settings saver preview app --include='*.h' --include='*.cpp')

echo "check-map: $checked names and $includes includes checked against $map, $faults faults"
[ "$faults" -eq 0 ]
