# The build products: the .scr is a 64-bit GUI program needing only system
# DLLs, with its version record, icon and manifest; and GDI draws as the
# software blitter does (gdi_blit_check.exe).
# file 5.44 (Debian 12) says "PE32+ executable (GUI) x86-64 ..., for MS
# Windows", file 5.46 (Debian 13) "PE32+ executable for MS Windows 5.02 (GUI), x86-64".
check "scr is a 64-bit GUI executable" grep -Eq "^PE32\+ executable.* \(GUI\),? x86-64" <<<"$(file -b "$BUILD/Nyamo_07.scr")"
IMPORTS=$(x86_64-w64-mingw32-objdump -p "$BUILD/Nyamo_07.scr" 2>/dev/null | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
check "scr needs only system DLLs (static runtime: $IMPORTS)" \
    test -n "$IMPORTS" -a -z "$(grep -E 'libstdc|libgcc|libwinpthread' <<<"$IMPORTS")"
VERSION=$(probe version "$SCR_WIN")
expect "version record OriginalFilename" "Nyamo_07.Scr" "$(field "$VERSION" OriginalFilename)"
expect "version record ProductName" "Nyamo" "$(field "$VERSION" ProductName)"
check "version record FileDescription" test -n "$(field "$VERSION" FileDescription)"
expect "version record FileVersion" "$PROJECT_VERSION" "$(field "$VERSION" FileVersion)"
expect "version record ProductVersion" "$PROJECT_VERSION" "$(field "$VERSION" ProductVersion)"
expect "version record fixed file version" "$PROJECT_VERSION.0" "$(field "$VERSION" fixed)"
expect "icon resource 1" "1" "$(field "$VERSION" icon_group_1)"
expect "manifest: per-monitor v2 DPI awareness with system fallback" "1" "$(field "$VERSION" manifest_permonitorv2)"
expect "manifest: asInvoker" "1" "$(field "$VERSION" manifest_asinvoker)"
expect "manifest: common controls 6" "1" "$(field "$VERSION" manifest_comctl6)"

BLIT_OUT=$("$WINE" "$BUILD/tests/wine/gdi_blit_check.exe" 2>/dev/null | tr -d '\r')
while IFS= read -r line; do
    case $line in
        PASS\ *) pass "${line#PASS }" ;;
        FAIL\ *) fail "${line#FAIL }" ;;
    esac
done <<<"$BLIT_OUT"
check "gdi blit check ran to its count line" grep -q "^gdi blit check: " <<<"$BLIT_OUT"

