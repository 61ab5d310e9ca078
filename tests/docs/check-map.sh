#!/usr/bin/env bash
# Keeps docs/architecture.md true where a script can tell:
# - every code name the map writes in backticks (a function, type, variable,
#   macro, build target, file or folder) is in the code: in a source file
#   outside comments, or as a file or folder of the tree; and in `A::B`, B is
#   declared inside the body of the class, struct, enum or namespace A (or
#   the code writes A::B itself, as a .cpp does where it defines a member);
# - its table of folders covers every folder of the tree that holds code, and
#   the include rules of that table hold for every #include "...";
# - its table of shared pieces says, for each header of the shared folder,
#   exactly which folders use it: those whose files include it, directly or
#   through another piece of that folder; no other line of the map lists who
#   uses something in parentheses, where this script would not see it.
# Prints each statement that breaks them, and exits 1 when there is any.
# Usage: tests/docs/check-map.sh [map]   (default: docs/architecture.md)
set -uo pipefail
LC_ALL=C
cd "$(dirname "$0")/../.."
map=${1:-docs/architecture.md}
[ -f "$map" ] || { echo "check-map: no map at $map"; exit 1; }

faults=0
fault() { echo "check-map: $*"; faults=$((faults + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tree's C++ files, found by scanning it (not build folders, nor what git
# ignores), and the top folders that hold them. Names are looked up in the
# product and its tools; a test's own variable proves nothing.
find . \( -path './.*' -o -path './build*' -o -path ./out -o -path ./dist \) -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort >"$work/files"
mapfile -t folders < <(grep / "$work/files" | cut -d/ -f1 | sort -u)
mapfile -t code_folders < <(printf '%s\n' "${folders[@]}" | grep -vx tests)

# The sources with comments taken out (string literals stay: a caption is code).
code=$work/code
find "${code_folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.in' -o -name 'CMakeLists*.txt' \) -print0 |
  sort -z | xargs -0 perl -0777 -ne '
    s{/\*.*?\*/}{ }gs;                       # block comments
    s{("(?:\\.|[^"\\\n])*")|//[^\n]*}{defined $1 ? $1 : ""}ge;  # line comments, not inside strings
    s{^\s*#.*$}{}gm if $ARGV =~ /CMakeLists/;  # CMake comments
    print "$_\n";' >"$code"

# is_member A B: whether the code declares B inside the body of the class,
# struct, union, enum or namespace A (at the body's own level, not inside
# its functions or parameter lists), or writes A::B itself.
is_member() {
  OWNER=$1 MEMBER=$2 perl -0777 -ne '
    my ($a, $b) = ($ENV{OWNER}, $ENV{MEMBER});
    if (/(?<![\w:])\Q$a\E\s*::\s*\Q$b\E(?!\w)/) { $found = 1; exit }
    my $braces = qr/(\{(?:[^{}]++|(?-1))*\})/;
    while (/\b(?:class|struct|union|enum(?:\s+class)?|namespace)\s+(?:\w+::)*\Q$a\E\b[^;{}()]*?$braces/g) {
      my $body = substr($1, 1, -1);
      1 while $body =~ s/\{[^{}]*\}/ /g;     # the bodies of its functions and inner types
      1 while $body =~ s/\([^()]*\)/ /g;     # parameter lists
      if ($body =~ /(?<!\w)\Q$b\E(?!\w)/) { $found = 1; exit }
    }
    END { exit($found ? 0 : 1) }' "$code"
}

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
  IFS=':' read -ra parts <<<"${name//::/:}"
  all_found=true
  for part in ${parts[@]//./ }; do
    [[ "$part" =~ ^[A-Za-z_][A-Za-z0-9_]*$ ]] || { fault "the map's \`$span\` is not a code name it can look up"; all_found=false; continue; }
    grep -qE "(^|[^A-Za-z0-9_])${part}([^A-Za-z0-9_]|\$)" "$code" ||
      { fault "the map names \`$part\`$([ "$part" = "$span" ] || echo " (in \`$span\`)"), which is nowhere in the code outside comments"; all_found=false; }
  done
  # A::B (and A::B::C, link by link): B is one of A's members.
  if $all_found && [ ${#parts[@]} -gt 1 ]; then
    for ((i = 1; i < ${#parts[@]}; i++)); do
      is_member "${parts[i-1]}" "${parts[i]}" ||
        fault "the map's \`$span\`: \`${parts[i]}\` is declared nowhere inside \`${parts[i-1]}\`, nor defined as \`${parts[i-1]}::${parts[i]}\`"
    done
  fi
done < <(grep -oE '`[^`]+`' "$map" | sed 's/^`//; s/`$//' | sort -u)

# Rows of a table of the map: the lines after the one that starts with $1,
# but the line of dashes, up to the first line that is no row.
table_rows() {
  awk -v head="$1" 'index($0, head) == 1 { on = 1; next }
    on && /^\|---/ { next }
    on && !/^\|/ { exit }
    on' "$map"
}

# 2. The table of folders. A row's folders may include themselves, each
# backticked folder or file of its last column ("the seam" is
# platform/platform.h), all rows above it for "everything below", and
# anything for "everything".
declare -a row_owners=() row_allowed=()
below=""
while IFS= read -r line; do
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
done < <(table_rows '| folder |')
[ ${#row_owners[@]} -gt 0 ] || fault "the map has no table of folders (a row starting '| folder |')"

# Every file of the tree is in a row: the row names it, or a folder it is in.
while read -r folder names; do
  fault "the tree's \`$folder\` holds code that no row of the table of folders covers: $names"
done < <(awk -v rows="$below" 'BEGIN { n = split(rows, r, " "); for (i = 1; i <= n; i++) owner[r[i]] = 1 }
  { covered = ($0 in owner); path = $0
    while (!covered && sub(/[^\/]*\/?$/, "", path) && path != "") covered = (path in owner)
    if (!covered) { folder = $0; sub(/[^\/]*$/, "", folder); loose[folder] = loose[folder] " " substr($0, length(folder) + 1) } }
  END { for (f in loose) print (f == "" ? "./" : f) loose[f] }' "$work/files" | sort)

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
core=()
for i in "${!row_owners[@]}"; do
  for owner in ${row_owners[$i]}; do
    [ -e "$owner" ] || { fault "the table's row \`$owner\` is no file or folder"; continue; }
    # The core: the rows outside platform/ that may not include everything.
    [[ "$owner" != platform/* && "${row_allowed[$i]}" != "*" ]] && core+=("$owner")
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
done < <(grep -rHE '^\s*#\s*include\s+<' "${core[@]}" --include='*.h' --include='*.cpp')

# 3. Who uses each shared piece. The shared folder is the one the heading
# above the table names; a piece is a header there with its .cpp. Folder F
# uses piece P when a file of F includes P's header, or the header of a
# piece whose files include P's (and so on). The users listed are the
# folders outside tests/ and tools/, by their last name in any case (X11)
# or by their path (`platform/linux/`).
pieces_head=$(awk '/^## / { heading = $0 } /^\| piece \|/ { print heading; exit }' "$map")
shared=$(grep -oE '`[^`]+/`' <<<"$pieces_head" | head -1 | tr -d '`')
grep -rHoE '^\s*#\s*include\s+"[^"]+"' $(cat "$work/files") 2>/dev/null |
  sed -E 's/:.*"(.*)"$/ \1/' >"$work/edges"
users_of() {  # header -> the folders that use it, one a line, lower case
  awk -v shared="$shared" -v start="$1" '
    { from[NR] = $1; to[NR] = $2 }
    END {
      uses[start] = 1
      for (more = 1; more;) {
        more = 0
        for (i = 1; i <= NR; i++) {
          if (!(to[i] in uses) || index(from[i], shared) != 1) continue
          piece = from[i]; sub(/\.cpp$/, ".h", piece)
          if (!(piece in uses)) { uses[piece] = 1; more = 1 }
        }
      }
      for (i = 1; i <= NR; i++) {
        if (!(to[i] in uses) || index(from[i], shared) == 1 || from[i] ~ /^(tests|tools)\//) continue
        folder = from[i]; sub(/\/[^\/]*$/, "", folder); sub(/.*\//, "", folder)
        print tolower(folder)
      }
    }' "$work/edges" | sort -u
}
if [ -z "$shared" ] || [ ! -d "$shared" ]; then
  fault "the map has no table of shared pieces (a row starting '| piece |' under a heading that names their folder)"
else
  listed=()
  while IFS= read -r line; do
    piece_cell=$(cut -d'|' -f2 <<<"$line")
    used_cell=$(awk -F'|' '{print $(NF-1)}' <<<"$line")
    said=$(sed -E 's/`//g; s/(,| and |;)/\n/g' <<<"$used_cell" | sed -E 's/^ +| +$//g; s|^platform/||; s|/$||' | grep . |
      tr '[:upper:]' '[:lower:]' | sort -u)
    for piece in $(grep -oE '`[^`]+\.h`' <<<"$piece_cell" | tr -d '`'); do
      header=$shared${piece#"$shared"}
      listed+=("$header")
      [ -f "$header" ] || { fault "the table of shared pieces names \`$piece\`, which is not in \`$shared\`"; continue; }
      actual=$(users_of "$header")
      [ "$said" = "$actual" ] ||
        fault "the table of shared pieces says \`$piece\` is used by: $(echo $said | sed 's/ /, /g'); the includes say: $(echo $actual | sed 's/ /, /g')"
    done
  done < <(table_rows '| piece |')
  for header in "$shared"*.h; do
    [[ " ${listed[*]} " == *" $header "* ]] || fault "the table of shared pieces has no row for \`$header\`"
  done
fi
# Elsewhere, a parenthesis that lists only folders of platform/ ("X11,
# Win32", "Win32 only") says who uses something where nothing checks it.
names=$(find platform -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | paste -sd'|')
while IFS= read -r list; do
  fault "the map says who uses something in \"$list\": say it in the table of shared pieces, where it is checked"
done < <(awk '/^\| piece \|/ { on = 1; next } on && /^\|/ { next } { on = 0; print }' "$map" |
  NAMES=$names perl -0777 -ne 'my $n = qr/(?:$ENV{NAMES})/i;
    print "$1\n" while /(\((?:$n(?:,\s*(?:and\s+)?|\s+and\s+))+$n\)|\($n\s+only\))/gi')

echo "check-map: $checked names and $includes includes checked against $map, $faults faults"
[ "$faults" -eq 0 ]
