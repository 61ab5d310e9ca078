# Every screen: two monitors on one server (tests/lib/screens_checks.sh).
# Wine's session keeps the monitors of the server it started on: it ends
# before and after, so that it starts again on each server.
screens_ini=$INI screens_eol='\r\n'
screens_start() { start_scr /s; }
screens_running() { [ ! -f "$WORK/exit" ]; }
screens_stop() { stop_scr; }
screens_enter() { wineserver -k; wineserver -w; }
screens_leave() { wineserver -k; wineserver -w; }
screens_no_monitor_events="Wine sends no WM_DISPLAYCHANGE for a monitor that xrandr switches off (seen with Wine 8; not tried on later ones)"
screens_set_dpi() { set_dpi "$1"; }
source "$HERE/../lib/screens_checks.sh"

