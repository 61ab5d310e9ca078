# Sourced by tools/release.sh --check: the release signed with a throwaway
# key, and in $apt_states the repository's states for check-deb-install.sh
# --repo: first, changed (the second's Packages changed), second, otherkey.
source "$repo/tests/lib/throwaway_keys.sh"
signing_start=$SECONDS apt_states=$work/apt-states signed=$work/signed
mkdir -p "$apt_states" "$signed" "$work/again"
key=$(throwaway_openpgp_key "$work/gnupg" "Nyamo release test")
other_key=$(throwaway_openpgp_key "$work/gnupg-other" "Someone else")
sign_release() { GNUPGHOME=$1 NYAMO_SIGN_KEY=$2 bash "$repo/tools/sign-release.sh" "$3" >/dev/null; }
verdict() { if eval "$2"; then pass "$1"; else fail "$1"; fi; }  # verdict NAME CONDITION
(cd "$out" && cp $(awk '{ print $2 }' SHA256SUMS) SHA256SUMS "$signed/" && cp "$deb_name" SHA256SUMS "$work/again/")
sign_release "$work/gnupg" "$key" "$signed" && cp -a "$signed/apt" "$apt_states/first"
gpg --dearmor <"$signed/apt/nyamo-archive-keyring.asc" >"$work/keyring.gpg"
gpgv_sums() { gpgv --keyring "$work/keyring.gpg" "$signed/SHA256SUMS.asc" "$1" 2>/dev/null; }
sed "1s/^./$([ "$(head -c1 "$signed/SHA256SUMS")" = 0 ] && echo 1 || echo 0)/" "$signed/SHA256SUMS" >"$work/SHA256SUMS.changed"
verdict "SHA256SUMS.asc: gpgv accepts it with the repository's key (and the sums match), rejects it after one byte changed" \
  'gpgv_sums "$signed/SHA256SUMS" && (cd "$signed" && sha256sum --quiet -c SHA256SUMS) && ! gpgv_sums "$work/SHA256SUMS.changed"'
sleep 1
sign_release "$work/gnupg" "$key" "$work/again"
verdict "reproducible: SHA256SUMS.asc and apt/ signed again later elsewhere are byte-identical" \
  'diff -r "$apt_states/first" "$work/again/apt" >/dev/null && cmp -s "$signed/SHA256SUMS.asc" "$work/again/SHA256SUMS.asc"'
# A second release into the same folder (the package under the next version).
next=${version%.*}.$((${version##*.} + 1))
dpkg-deb -R "$out/$deb_name" "$work/next" && sed -i "s/^Version: .*/Version: $next-1/" "$work/next/DEBIAN/control" &&
  dpkg-deb -b "$work/next" "$signed/nyamo_${next}_amd64.deb" >/dev/null &&
  (cd "$signed" && sha256sum "nyamo_${next}_amd64.deb" >SHA256SUMS) && sign_release "$work/gnupg" "$key" "$signed"
listed=$(sed -n 's/^Version: //p' "$signed/apt/dists/stable/main/binary-amd64/Packages" | paste -sd' ')
verdict "second release: the repository lists both versions ($listed)" '[ "$listed" = "$version-1 $next-1" ]'
cp -a "$signed/apt" "$apt_states/second" && cp -a "$signed/apt" "$apt_states/changed"
packages=$apt_states/changed/dists/stable/main/binary-amd64/Packages
sed -i '0,/^Description: /s/^Description: .*/&, changed/' "$packages" && xz -9 -T1 -c "$packages" >"$packages.xz"
sign_release "$work/gnupg-other" "$other_key" "$signed" && cp -a "$signed/apt" "$apt_states/otherkey"
gpgconf --homedir "$work/gnupg" --kill all; gpgconf --homedir "$work/gnupg-other" --kill all
echo "signing checks: $((SECONDS - signing_start)) s"
