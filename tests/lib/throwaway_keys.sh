# Keys made for one run of the signing checks in its own folders, never kept.
# throwaway_openpgp_key HOME NAME: an EdDSA key dated 2020 (older than the
# commits it signs) in a new GnuPG home; prints its fingerprint.
throwaway_openpgp_key() {
    mkdir -p -m 700 "$1" && GNUPGHOME=$1 gpg --batch --quiet --passphrase '' --faked-system-time '20200101T000000!' \
        --quick-gen-key "$2 <test@nyamo.invalid>" ed25519 sign never 2>/dev/null &&
        GNUPGHOME=$1 gpg --batch --with-colons --list-secret-keys 2>/dev/null | awk -F: '$1 == "fpr" { print $10; exit }'
}
# throwaway_codesign DIR PASSWORD: DIR/ca.pem, an authority, and DIR/signer.pfx
# (under PASSWORD), an RSA code-signing certificate it issued, with the chain.
throwaway_codesign() {
    local req=(openssl req -x509 -newkey rsa:2048 -nodes -days 2)
    mkdir -p "$1" && "${req[@]}" -keyout "$1/ca.key" -out "$1/ca.pem" -subj "/CN=Nyamo throwaway test CA" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null &&
        "${req[@]}" -keyout "$1/signer.key" -out "$1/signer.pem" -CA "$1/ca.pem" -CAkey "$1/ca.key" \
            -subj "/CN=Nyamo throwaway test signer" -addext basicConstraints=CA:FALSE \
            -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning 2>/dev/null &&
        openssl pkcs12 -export -inkey "$1/signer.key" -in "$1/signer.pem" -certfile "$1/ca.pem" \
            -out "$1/signer.pfx" -passout "pass:$2"
}
