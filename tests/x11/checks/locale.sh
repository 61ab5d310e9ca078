# No locale: the captions are bytes of UTF-8 whatever the locale, so a
# program started without one names its windows the same and its guard
# finds them.
locale_saver() {
  settings 5 2 1
  launch "$work/saver.out" no_locale "$nyamo" /s
  window_named Amberpaw 5 || return 1
  local result=0
  [ "$(no_locale "$probe" find Amberpaw | wc -l)" -eq 1 ] || result=1
  "$probe" names "$wid" Amberpaw >/dev/null || result=1
  guard_holds no_locale || result=1
  return $result
}
check "no locale: the saver is found by its caption Amberpaw; its guard ends /c, /s and no argument" locale_saver

locale_dialog() {
  rm -f "$ini"
  dialog_launch no_locale "$nyamo" /c || return 1
  local result=0 arg
  [ "$(no_locale "$probe" find "Nyamoの設定")" = "$wid" ] || result=1
  "$probe" names "$wid" "Nyamoの設定" | sed 's/^/  /'
  [ "${PIPESTATUS[0]}" -eq 0 ] || result=1
  for arg in /s /c "/p $((wid))"; do no_locale timeout 5 "$nyamo" $arg >/dev/null 2>&1 || result=1; done
  "$probe" find Amberpaw >/dev/null && result=1
  [ "$("$probe" find "Nyamoの設定" | wc -l)" -eq 1 ] || result=1
  close_ends || result=1
  return $result
}
check "no locale: the dialog is found by its caption Nyamoの設定 (UTF-8, compound text); its guard ends /s, /c and /p" \
  locale_dialog

locale_guard_reads_wm_name() {
  # Another client names a window "Nyamoの設定" through WM_NAME alone, in
  # compound text: the guard decodes it and refuses to start.
  local result=0
  make_host 60x40 "Nyamoの設定" || result=1
  [ "$(xprop -id "$host" WM_NAME | cut -d' ' -f1)" = "WM_NAME(COMPOUND_TEXT)" ] || result=1
  no_locale timeout 5 "$nyamo" /s >/dev/null 2>&1 || result=1
  "$probe" find Amberpaw >/dev/null && result=1
  drop_host
  return $result
}
check "no locale: the guard decodes a window named by WM_NAME alone in compound text" locale_guard_reads_wm_name
