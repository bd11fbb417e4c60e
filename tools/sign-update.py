#!/usr/bin/env python3
"""Makes a signed release for the self-update.

    sign-update.py --key PRIVATE_KEY_PEM --version VERSION --out FOLDER PROGRAM_EXE

writes into FOLDER every file the update server serves for the release, at the paths it
serves them below its base address, so that any plain HTTP server whose root is FOLDER
serves the release:

    it-velmora-latest-version/Velmora.exe             a copy of PROGRAM_EXE
    it-velmora-latest-version/velmora_version.txt     VERSION, without a line break
    it-velmora-latest-version/velmora_appsize.txt     the size of the program in bytes
    it-velmora-latest-version/velmora_manifest.txt    the release statement (below)
    it-velmora-latest-version/velmora_signature.txt   its signature

The statement names the product, VERSION and the size and SHA-256 of the program:

    product: Velmora
    version: VERSION
    size: BYTES
    sha256: LOWER-CASE HEX

The signature is the base64 of the ECDSA P-256 signature over the SHA-256 of the
statement's bytes, as r and s of 32 bytes each, big-endian. VERSION is signed as given,
whatever the program's own version resource says. The key is a P-256 private key in PEM
(openssl ecparam -name prime256v1 -genkey). Needs the openssl command (Debian "openssl").
"""

import argparse
import base64
import hashlib
import os
import shutil
import subprocess
import sys

COORDINATE_BYTES = 32
SERVED_FOLDER = "it-velmora-latest-version"
PRODUCT = "Velmora"


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


def manifest_text(version, program):
    data = open(program, "rb").read()
    return (f"product: {PRODUCT}\nversion: {version}\nsize: {len(data)}\n"
            f"sha256: {hashlib.sha256(data).hexdigest()}\n").encode("ascii")


def sign(key, data):
    signed = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key, "-binary"], input=data,
                            capture_output=True)
    if signed.returncode != 0:
        raise RuntimeError(signed.stderr.decode(errors="replace").strip())
    return base64.b64encode(raw_signature(signed.stdout)) + b"\n"


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--key", required=True, help="P-256 private key (PEM)")
    parser.add_argument("--version", required=True, help="the version the release is announced and signed as")
    parser.add_argument("--out", required=True, help="folder to write the served files into")
    parser.add_argument("program", help="the program file (served as Velmora.exe)")
    args = parser.parse_args()
    if not args.version.isascii() or any(c in args.version for c in "\r\n\0"):
        print("sign-update.py: the version must be one line of ASCII text", file=sys.stderr)
        return 2
    curve = subprocess.run(["openssl", "pkey", "-in", args.key, "-noout", "-text"], capture_output=True, text=True)
    if curve.returncode != 0 or "prime256v1" not in curve.stdout:
        print(f"sign-update.py: {args.key} is not a P-256 private key", file=sys.stderr)
        return 1
    folder = os.path.join(args.out, SERVED_FOLDER)
    os.makedirs(folder, exist_ok=True)
    manifest = manifest_text(args.version, args.program)
    try:
        signature = sign(args.key, manifest)
    except (RuntimeError, ValueError, IndexError) as error:
        print(f"sign-update.py: {error}", file=sys.stderr)
        return 1
    shutil.copyfile(args.program, os.path.join(folder, "Velmora.exe"))
    write(os.path.join(folder, "velmora_version.txt"), args.version.encode("ascii"))
    write(os.path.join(folder, "velmora_appsize.txt"), str(os.path.getsize(args.program)).encode("ascii"))
    write(os.path.join(folder, "velmora_manifest.txt"), manifest)
    write(os.path.join(folder, "velmora_signature.txt"), signature)
    return 0


if __name__ == "__main__":
    sys.exit(main())
