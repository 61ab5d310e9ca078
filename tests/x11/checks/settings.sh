# Where the settings live. The checks need a user whom the file system can
# refuse. Run by root (as CI does), the suite plays that user as "nobody"
# and hands folders over with chown; run by an ordinary user, it is that
# user and takes write access away with chmod.
if [ "$(id -u)" -eq 0 ]; then
  settings_let_user_write() { chown "$suite_account" "$@"; }
  settings_keep_user_out() { chown root "$@" && chmod 755 "$@"; }
else
  settings_let_user_write() { chmod u+w "$@"; }
  settings_keep_user_out() { chmod 555 "$@"; }
fi
# settings_dialog_as_user HOME: the dialog started by that user; returns once it is shown.
settings_dialog_as_user() { dialog_launch run_as "$suite_account" "$1" "$nyamo" /c; }
# settings_ok_fails: OK, the failed save's message, which waits for the
# user, then Return on it.
settings_ok_fails() {
  click_at 255 32
  wait_report "$work/dialog.out" "alert The settings were not saved" 3 || return 1
  sleep 0.5
  kill -0 "$npid" 2>/dev/null || return 1
  local alert
  alert=$("$probe" find Nyamo | head -n 1)
  [ -n "$alert" ] || { echo "  no message window"; return 1; }
  xdotool mousemove --window "$alert" 20 20 key Return
}

settings_xdg_fallback() {
  # The user may not write in the program's folder.
  mkdir -p "$work/home"
  settings_let_user_write "$work/home"
  rm -f "$ini"
  settings_keep_user_out "$work/bin"
  settings_dialog_as_user "$work/home" || return 1
  click_at 255 32
  ended_within "$npid" 3 && [ ! -e "$ini" ] && grep -q "CatNum=20" "$work/home/.config/nyamo/Nyamo_07.ini"
}

settings_failure_shown() {
  # Neither the program's folder nor the home folder takes a file.
  mkdir -p "$work/closedhome"
  settings_keep_user_out "$work/bin" "$work/closedhome"
  settings_dialog_as_user "$work/closedhome" || return 1
  settings_ok_fails || return 1
  ended_within "$npid" 3 && [ ! -e "$work/closedhome/.config" ]
}

settings_read_only_kept() {
  # The user may write in the program's folder but has made the settings
  # file read-only: the save fails and says so, and the file stays as it was.
  settings_let_user_write "$work/bin"
  printf '[Nyamo Saver]\nCatNum=9\n' >"$ini"
  settings_let_user_write "$ini"
  chmod 444 "$ini"
  cp "$ini" "$work/ini.before"
  local result=0
  { settings_dialog_as_user "$work/home" && settings_ok_fails; } || result=1
  ended_within "$npid" 3 || { result=1; kill "$npid" 2>/dev/null; }
  cmp -s "$ini" "$work/ini.before" || result=1
  [ "$(stat -c %a "$ini")" = 444 ] || result=1
  return $result
}

for entry in \
  "settings: an unwritable program folder saves to ~/.config/nyamo|settings_xdg_fallback" \
  "settings: a failed save is shown, then the dialog closes|settings_failure_shown" \
  "settings: a read-only settings file is kept and the failed save shown|settings_read_only_kept"; do
  if [ -n "$suite_account_missing" ]; then skip "${entry%|*}" "$suite_account_missing"; else check "${entry%|*}" "${entry#*|}"; fi
done
# The folder is the suite's own again, for the checks below.
if [ "$(id -u)" -eq 0 ]; then chown root "$work/bin"; fi
chmod 755 "$work/bin"
rm -f "$ini"
