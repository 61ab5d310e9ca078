# The preview (/p HWND): drawn into another client's window, ended with it.
preview_in_host() {  # preview_in_host WxH TYPE SAMPLE
  settings 20 "$2" 5
  make_host "$1" || return 1
  start "$work/preview.out" "/p $((host))"
  local i kids=""
  for i in $(seq 60); do kids=$("$probe" children "$host"); [[ "$kids" == *mapped* && "$kids" != *unmapped* ]] && break; sleep 0.05; done
  local w=${1%x*} h=${1#*x}
  [[ "$kids" == "1 "*":0,0,${w}x${h},mapped" ]] || { echo "  host children: $kids"; return 1; }
  sleep 0.3
  "$probe" save "$host" "$work/preview.ppm" || return 1
  convert "$source_dir/assets/$3" -filter Triangle -resize "${w}x${h}!" "$work/expected.png"
  local rmse
  rmse=$(compare -metric RMSE "$work/expected.png" "$work/preview.ppm" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
  echo "  normalised RMSE against the stretched sample: $rmse"
  awk -v e="$rmse" 'BEGIN { exit !(e < 0.08) }'
}
preview_ends_with_host() {
  drop_host
  ended_ok
}
check "preview: desktop sample fills a 320x240 host" preview_in_host 320x240 1 preview_desktop.png
check "preview: ends when its host window is destroyed" preview_ends_with_host
check "preview: blank sample stretched to a wide 400x100 host" preview_in_host 400x100 2 preview_blank.png

preview_second() {
  # The guard looks only for the saver and the dialog.
  local first_host=$host first_host_pid=$host_pid first=$npid
  make_host 160x120 || return 1
  start "$work/preview2.out" "/p $((host))"
  sleep 0.8
  local result=0
  kill -0 "$npid" 2>/dev/null && kill -0 "$first" 2>/dev/null || result=1
  [[ "$("$probe" children "$host")" == "1 "*":0,0,160x120,mapped" ]] || result=1
  drop_host
  ended_within "$npid" 3 || result=1
  host=$first_host
  host_pid=$first_host_pid
  npid=$first
  return $result
}
check "preview: a second preview beside a running one is not refused" preview_second
check "preview: ends again with its host" preview_ends_with_host
