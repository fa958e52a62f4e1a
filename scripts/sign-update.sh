#!/bin/sh
# Signs the update server's version list for Kestrova, and makes or shows
# the key pair it is signed with (Ed25519, OpenSSL).
#
#   scripts/sign-update.sh --new-key KEY.pem     make a private key (keep it secret)
#   scripts/sign-update.sh --public KEY.pem      print the public key in hexadecimal:
#                                                configure with -DKESTROVA_UPDATE_PUBLIC_KEY=<it>
#   scripts/sign-update.sh KEY.pem versions.txt  write versions.txt.sig beside the list
#
# Publish versions.txt.sig next to versions.txt in /downloads/ on the server;
# sign the list again after every change to it.
set -eu

usage() {
    sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

command -v openssl >/dev/null 2>&1 || { echo "sign-update.sh: openssl is needed" >&2; exit 1; }

case "${1:-}" in
--new-key)
    [ $# -eq 2 ] || usage
    [ ! -e "$2" ] || { echo "sign-update.sh: $2 exists already" >&2; exit 1; }
    (umask 077 && openssl genpkey -algorithm ed25519 -out "$2")
    ;;
--public)
    [ $# -eq 2 ] || usage
    # The DER form of an Ed25519 public key ends with its 32 raw bytes.
    openssl pkey -in "$2" -pubout -outform DER | tail -c 32 | od -An -v -tx1 | tr -d ' \n'
    echo
    ;;
-*|"")
    usage
    ;;
*)
    [ $# -eq 2 ] || usage
    openssl pkeyutl -sign -rawin -inkey "$1" -in "$2" -out "$2.sig"
    echo "sign-update.sh: wrote $2.sig" >&2
    ;;
esac
