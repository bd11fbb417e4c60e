#!/usr/bin/env bash
# Writes "velmora-cli scan --json" of three registries into OUTDIR, each in a throw-away
# Wine prefix, so that two builds can be compared byte for byte (diff -r):
#   bench.json     the scan benchmark's registry and profile (velmora-scan-bench plant)
#   scenario.json  paths that name one file in several spellings: letter case, "..",
#                  "/", a trailing dot, short (8.3) names, 260 characters and more,
#                  variables, \SystemRoot\, non-ASCII names, a folder that cannot be
#                  listed but whose file can be opened, missing files in existing folders
#   hives.json     the public hives of /work/shared/testdata/hives
#
#   bench/scan-json.sh [--build DIR] [--scale F] OUTDIR    (default: build/windows, 0.25)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/windows"
scale=0.25
while [ $# -gt 1 ]; do
    case "$1" in
        --build) build="$2"; shift 2 ;;
        --scale) scale="$2"; shift 2 ;;
        *) break ;;
    esac
done
[ $# -eq 1 ] || { echo "usage: bench/scan-json.sh [--build DIR] [--scale F] OUTDIR" >&2; exit 2; }
out=$(mkdir -p "$1" && cd "$1" && pwd)
hives=/work/shared/testdata/hives
runner="$top/tools/wine-run.sh"
work=$(mktemp -d /tmp/velmora-json-XXXXXX)
prefix="$work/prefix"
trap '"$runner" --prefix "$prefix" --teardown >/dev/null 2>&1; chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT

fresh_prefix() {
    "$runner" --prefix "$prefix" --teardown >/dev/null 2>&1 || true
    "$runner" --prefix "$prefix" --setup
}
scan_json() { "$runner" --prefix "$prefix" "$build/velmora-cli.exe" scan --no-pause --json > "$out/$1" 2>/dev/null || true; }
import() { "$runner" --prefix "$prefix" reg import "$(winepath_of "$1")" >/dev/null 2>&1 || true; }
winepath_of() { echo "Z:${1//\//\\}"; }

# A hive's whole tree as a .reg file below the given key, in UTF-16 as "reg import" reads
# the strings of such a file (hex(1) data is UTF-16 already); bytes that are no UTF-8
# (a few names in the hives) are dropped.
utf16() { iconv -c -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; }; }
export_hive() {
    xz -dc "$hives/$1.xz" > "$work/hive"
    hivexregedit --export --prefix "$2" "$work/hive" '\' | utf16 > "$work/$1.reg"
}

fresh_prefix
"$runner" --prefix "$prefix" "$build/velmora-scan-bench.exe" plant --scale "$scale" >/dev/null
scan_json bench.json

fresh_prefix
c="$prefix/drive_c/VelmoraCase"
mkdir -p "$c/Dir" "$c/Other" "$c/Locked" "$c/Caf"$'\xc3\xa9'
touch "$c/Dir/Prog.exe" "$c/Dir/LongFileNameHere.exe" "$c/Dir/Help.chm" "$c/Locked/Prog.exe" \
      "$c/Caf"$'\xc3\xa9'"/Men"$'\xc3\xb9'".exe"
deep="$c"
for part in $(seq 1 12); do deep="$deep/Folder$(printf '%02d' "$part")NameLongEnoughToMatter"; done
mkdir -p "$deep"
touch "$deep/Deep.exe"
chmod 311 "$c/Locked"
deep_win="C:\\VelmoraCase${deep#"$c"}"
deep_win="${deep_win//\//\\}"
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n'
    n=0
    while IFS= read -r path; do
        n=$((n + 1))
        printf '"Case%02d"="%s"\r\n' "$n" "${path//\\/\\\\}"
    done <<PATHS
C:\\VelmoraCase\\Dir\\Prog.exe
c:\\velmoracase\\DIR\\prog.EXE
C:\\VelmoraCase\\Other\\..\\Dir\\Prog.exe
C:\\VelmoraCase\\Gone\\..\\Dir\\Prog.exe
C:\\VelmoraCase\\Dir\\..\\Dir\\Missing.exe
C:/VelmoraCase/Dir/Help.chm
C:\\VelmoraCase\\Dir.\\Prog.exe
C:\\VelmoraCase\\Dir\\Prog.exe.
C:\\VelmoraCase\\Dir\\.\\Help.chm
C:\\VelmoraCase\\Dir\\\\Help.chm
C:\\VELMOR~1\\Dir\\Prog.exe
C:\\VelmoraCase\\Dir\\LONGFI~1.EXE
C:\\VelmoraCase\\Dir\\LongFileNameHere.exe
C:\\VelmoraCase\\Dir\\LongFileNameHer~.exe
C:\\VelmoraCase\\Dir\\Missing1.exe
C:\\VelmoraCase\\Dir\\Missing2.dll
C:\\VelmoraCase\\Dir\\missing1.EXE
C:\\VelmoraCase\\Dir\\*.exe
C:\\VelmoraCase\\Dir\\Pro?.exe
C:\\VelmoraCase\\Dir\\con.exe
C:\\VelmoraCase\\Dir\\Prog.exe:stream.exe
C:\\VelmoraCase\\Locked\\Prog.exe
C:\\VelmoraCase\\Locked\\Gone.exe
C:\\VelmoraCase\\Locked\\prog.exe
C:\\VelmoraCase\\Caf$(printf '\xc3\xa9')\\Men$(printf '\xc3\xb9').exe
C:\\VelmoraCase\\CAF$(printf '\xc3\x89')\\MEN$(printf '\xc3\x99').EXE
C:\\VelmoraCase\\Caf$(printf '\xc3\xa9')\\Gone.exe
$deep_win\\Deep.exe
$deep_win\\Gone.exe
%SystemRoot%\\system32\\notepad.exe
%SystemRoot%\\system32\\VelmoraGone.exe
\\SystemRoot\\system32\\notepad.exe
\\SystemRoot\\system32\\VelmoraGone.dll
%ProgramFiles%\\VelmoraGone\\Tool.exe
C:\\VelmoraNowhere\\A\\one.exe
C:\\VelmoraNowhere\\A\\two.exe
C:\\VelmoraNowhere\\A\\one.exe
Q:\\VelmoraNoDrive\\x.exe
PATHS
} > "$work/scenario.reg"
utf16 < "$work/scenario.reg" > "$work/scenario16.reg"
import "$work/scenario16.reg"
scan_json scenario.json
chmod 755 "$c/Locked"

fresh_prefix
export_hive regipy-NTUSER.DAT 'HKEY_CURRENT_USER'
export_hive win11-NTUSER.DAT 'HKEY_CURRENT_USER'
export_hive regipy-UsrClass.dat 'HKEY_LOCAL_MACHINE\SOFTWARE\Classes'
export_hive regipy-ntuser-software-partial 'HKEY_LOCAL_MACHINE\SOFTWARE'
export_hive win11-DEFAULT 'HKEY_USERS\S-1-5-18'
export_hive win11-LocalService-NTUSER.DAT 'HKEY_USERS\S-1-5-19'
export_hive win11-NetworkService-NTUSER.DAT 'HKEY_USERS\S-1-5-20'
for reg in "$work"/*.reg; do
    case "$reg" in *scenario*) continue ;; esac
    import "$reg"
done
scan_json hives.json
wc -c "$out"/*.json
