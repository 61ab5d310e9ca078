# Every screen: two monitors on one server, by the checks the Wine suite
# shares (tests/lib/screens_checks.sh), on what this suite gives them.
screens_ini=$ini screens_eol='\n'
screens_start() { start "$work/screens.out" /s; }
screens_running() { kill -0 "$npid" 2>/dev/null; }
screens_stop() { kill "$npid" 2>/dev/null; wait "$npid" 2>/dev/null; }
source "$here/../lib/screens_checks.sh"
