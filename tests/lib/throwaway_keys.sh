# Sourced by the checks that sign: keys and certificates made for one run,
# in the run's own folder, never anyone's and never kept.

# throwaway_openpgp_key HOME NAME: a new EdDSA signing key in a new GnuPG
# home HOME, made as if on 1 January 2020 (older than any commit it signs);
# prints its fingerprint. End its agent with gpgconf --homedir HOME --kill all.
throwaway_openpgp_key() {
    mkdir -p -m 700 "$1" &&
        GNUPGHOME=$1 gpg --batch --quiet --passphrase '' --faked-system-time '20200101T000000!' \
            --quick-gen-key "$2 <test@nyamo.invalid>" ed25519 sign never 2>/dev/null &&
        GNUPGHOME=$1 gpg --batch --with-colons --list-secret-keys 2>/dev/null | awk -F: '$1 == "fpr" { print $10; exit }'
}

# throwaway_codesign DIR PASSWORD: DIR/ca.pem, a certificate authority, and
# DIR/signer.pfx, an RSA code-signing certificate it issued with its key and
# the chain, under PASSWORD.
throwaway_codesign() {
    local dir=$1
    mkdir -p "$dir" &&
        openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/ca.key" -out "$dir/ca.pem" -days 2 \
            -subj "/CN=Nyamo throwaway test CA" -addext basicConstraints=critical,CA:TRUE \
            -addext keyUsage=critical,keyCertSign 2>/dev/null &&
        openssl req -newkey rsa:2048 -nodes -keyout "$dir/signer.key" -out "$dir/signer.csr" \
            -subj "/CN=Nyamo throwaway test signer" 2>/dev/null &&
        printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$dir/signer.ext" &&
        openssl x509 -req -in "$dir/signer.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial -days 2 \
            -extfile "$dir/signer.ext" -out "$dir/signer.pem" 2>/dev/null &&
        openssl pkcs12 -export -inkey "$dir/signer.key" -in "$dir/signer.pem" -certfile "$dir/ca.pem" \
            -out "$dir/signer.pfx" -passout "pass:$2"
}
