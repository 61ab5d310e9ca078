# What is installed, and what the program says without a display.
install_rules() {
  cmake --install "$build" --prefix "$work/prefix" --component Unspecified >/dev/null 2>&1 || return 1
  local xml=$work/prefix/share/xscreensaver/config/nyamo.xml
  [ -x "$work/prefix/libexec/xscreensaver/nyamo" ] && [ -f "$xml" ] &&
    grep -q 'arg="--count %"' "$xml" && grep -q 'low="1" high="50" default="20"' "$xml" &&
    grep -q 'arg="--speed %"' "$xml" && grep -q 'low="1" high="10" default="5"' "$xml" &&
    grep -q 'arg-set="--blank"' "$xml" && grep -q '<command arg="--root"/>' "$xml" &&
    grep -q '<boolean id="showfps" _label="Show frame rate" arg-set="--fps"/>' "$xml" || return 1
  # The manual page, and the entry through which MATE's screen saver finds
  # the hack (it runs the configured prefix's program).
  local desktop=$work/prefix/share/applications/screensavers/nyamo.desktop
  local program
  program=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")/libexec/xscreensaver/nyamo
  cmp -s "$work/prefix/share/man/man6/nyamo.6" "$build/platform/linux/nyamo.6" &&
    grep -qx "Exec=$program --root" "$desktop" && grep -qx "TryExec=$program" "$desktop" &&
    grep -qx 'Categories=Screensaver;' "$desktop" && grep -qx 'OnlyShowIn=MATE;' "$desktop"
}
check "install: the hack, its xscreensaver config, manual page and MATE entry go where they are looked for" install_rules

install_help_without_display() {
  local version out result=0 option
  version=$(sed -n 's/^project(Nyamo VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
  out=$(env -u DISPLAY "$nyamo" --version 2>&1)
  [ "$out" = "nyamo $version" ] || { echo "  --version says: $out (CMakeLists.txt: $version)"; result=1; }
  out=$(env -u DISPLAY "$nyamo" --help 2>&1) || { echo "  --help failed"; result=1; }
  # Every option the xscreensaver config passes is in the help and the manual page.
  for option in $(grep -o 'arg\(-set\)\?="--[a-z-]*' "$build/platform/linux/nyamo.xml" | sed 's/.*"//'); do
    grep -q -- " $option" <<<"$out" || { echo "  --help lacks $option"; result=1; }
    grep -qF -- "${option//-/\\-}" "$build/platform/linux/nyamo.6" || { echo "  nyamo.6 lacks $option"; result=1; }
  done
  # man renders the page without a complaint (groff's warnings included).
  local said
  said=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$build/platform/linux/nyamo.6" 2>&1 >/dev/null)
  [ -z "$said" ] || { echo "  man: $said"; result=1; }
  return $result
}
check "no display: --version gives the project's version, --help and the manual page every option" install_help_without_display
