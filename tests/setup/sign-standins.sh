#!/usr/bin/env bash
# Signs copies of the stand-in setup program with test certificates made here
# (self-signed, so their chains end at a root no machine trusts):
#   sign-standins.sh <PondrelSetup.exe> <out dir>
# writes into <out dir>:
#   PondRel-signed.exe          the stand-in signed by the test signer: plays
#                               this program when it is signed
#   PondrelSetup-signed.exe     signed by the same test signer: genuine
#   PondrelSetup-other.exe      signed by another test signer
#   PondrelSetup-tampered.exe   PondrelSetup-signed.exe with one byte of its
#                               code changed after signing
# The keys and certificates (test-signer.*, other-signer.*) stay beside them.
set -euo pipefail
in=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d "$out/.signing.XXXXXX")
trap 'rm -rf "$work"' EXIT

certificate() {  # NAME COMMON-NAME
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 \
    -keyout "$work/$1.key" -out "$work/$1.crt" -subj "/CN=$2" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1
}
sign() {  # NAME IN OUT
  osslsigncode sign -certs "$work/$1.crt" -key "$work/$1.key" -h sha256 -n "PondRel test" \
    -in "$2" -out "$3" >/dev/null
}

certificate test-signer "PondRel Test Signer"
certificate other-signer "PondRel Other Test Signer"
sign test-signer "$in" "$work/PondRel-signed.exe"
sign test-signer "$in" "$work/PondrelSetup-signed.exe"
sign other-signer "$in" "$work/PondrelSetup-other.exe"

# One byte of the code (past the headers, well inside what the signature
# covers) changed.
cp "$work/PondrelSetup-signed.exe" "$work/PondrelSetup-tampered.exe"
offset=$((0x600))
byte=$(od -An -tu1 -j "$offset" -N1 "$work/PondrelSetup-tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
  dd of="$work/PondrelSetup-tampered.exe" bs=1 seek="$offset" conv=notrunc status=none
if cmp -s "$work/PondrelSetup-signed.exe" "$work/PondrelSetup-tampered.exe"; then
  echo "sign-standins: the tampered copy equals the signed one" >&2
  exit 1
fi

for f in test-signer.key test-signer.crt other-signer.key other-signer.crt \
         PondRel-signed.exe PondrelSetup-signed.exe PondrelSetup-other.exe PondrelSetup-tampered.exe; do
  mv -f "$work/$f" "$out/$f"
done
