# Switches that show nothing: each start ends at once with its status, opens
# no window and writes no settings file.
rm -f "$INI"
run_case "switch /a (password request) ends at once" 0 " /a"
run_case "switch -s ends at once" 0 " -s"
run_case "switch s (no slash) ends at once" 0 " s"
run_case "switch /x ends at once" 0 " /x"
run_case "preview of a handle that names no window ends at once" 0 " /p 12345"
run_case "preview of handle 0 ends at once" 0 " /p"
run_case "host handle beyond 32 bits is an overflow (status 6)" 6 " /p 99999999999"
run_case "host handle beyond 32 bits with /p: is an overflow" 6 " /p:4294967296"
run_case "handle overflow ends even the saver switch" 6 " /s 99999999999"
check "ignored switches leave no settings file" test ! -e "$INI"

