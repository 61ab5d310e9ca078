# Any visual: the hack on the root of servers of other depths.
visual_kittens() {  # visual_kittens DEPTH: kittens in the right colours on a screen of that depth
  second_server 640x480x"$1" "$work/xvfb-$1.log" || return 1
  echo "  $(xdpyinfo | grep -m1 -E 'depth of root') $(xwininfo -root | grep -m1 'Visual Class')"
  start "$work/hack.out" -root -count 20 -speed 10 -blank
  sleep 2
  local greys lit grey result=0
  # Mostly black, kittens of several shades, most of them grey.
  kittens_over_black root 640 480 70 4 || result=1
  greys=$("$probe" greys root 0 0 640 480)
  read -r lit grey <<<"$(sed 's/[a-z]*=//g' <<<"$greys")"
  echo "  $greys"
  [ "${grey:-0}" -gt $((lit * 60 / 100)) ] || result=1
  term_ends || result=1
  second_server_gone
  return $result
}
check "visual: kittens on an 8-bit PseudoColor screen (a colour cube on its colormap)" visual_kittens 8
check "visual: kittens on a 16-bit TrueColor screen" visual_kittens 16
check "visual: kittens on a 30-bit TrueColor screen" visual_kittens 30
