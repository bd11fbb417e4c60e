#!/usr/bin/env python3
"""Signs a program file for the self-update.

    sign-update.py PRIVATE_KEY_PEM FILE

prints the text of velmora_signature.txt for FILE: the base64 of the ECDSA P-256
signature over the SHA-256 of the file's bytes, as r and s of 32 bytes each, big-endian.
The key is a P-256 private key in PEM (openssl genpkey -algorithm EC -pkeyopt
ec_paramgen_curve:P-256). Needs the openssl command (Debian "openssl").
"""

import base64
import subprocess
import sys

COORDINATE_BYTES = 32


def read_der_integer(der, at):
    if der[at] != 0x02:
        raise ValueError("not a DER integer")
    length = der[at + 1]
    start = at + 2
    return int.from_bytes(der[start : start + length], "big"), start + length


def raw_signature(der):
    """r||s from a DER ECDSA-Sig-Value (a SEQUENCE of two INTEGERs)."""
    if der[0] != 0x30:
        raise ValueError("not a DER sequence")
    at = 3 if der[1] == 0x81 else 2
    r, at = read_der_integer(der, at)
    s, _ = read_der_integer(der, at)
    return r.to_bytes(COORDINATE_BYTES, "big") + s.to_bytes(COORDINATE_BYTES, "big")


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    key, path = sys.argv[1], sys.argv[2]
    curve = subprocess.run(["openssl", "pkey", "-in", key, "-noout", "-text"], capture_output=True, text=True)
    if curve.returncode != 0 or "prime256v1" not in curve.stdout:
        print(f"sign-update.py: {key} is not a P-256 private key", file=sys.stderr)
        return 1
    signed = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key, "-binary", path], capture_output=True)
    if signed.returncode != 0:
        sys.stderr.write(signed.stderr.decode(errors="replace"))
        return 1
    print(base64.b64encode(raw_signature(signed.stdout)).decode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
