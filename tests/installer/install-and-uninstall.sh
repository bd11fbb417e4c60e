#!/usr/bin/env bash
# The setup program as an administrator uses it, in a Wine prefix of its own (created here
# and removed at the end): a silent installation, a second one over the running program, a
# scan, a silent uninstallation that keeps the backups, a scan, and an installation removed
# with everything. Nothing of the program may be left as a problem to its own scan.
#
#   install-and-uninstall.sh SETUP.exe BUILD/velmora-cli.exe PREFIX
set -u
setup="$1"
build_cli="$2"
prefix="$3"
cd "$(dirname "$0")/../.."
runner=(tools/wine-run.sh --prefix "$prefix")

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
check() {
    local what="$1"
    shift
    "$@" || fail "$what"
}

# A fresh prefix, whatever an interrupted run left.
[ ! -e "$prefix" ] || "${runner[@]}" --teardown >/dev/null 2>&1
trap '"${runner[@]}" --teardown >/dev/null 2>&1' EXIT
"${runner[@]}" --setup || { echo "FAILED: the Wine prefix could not be prepared"; exit 1; }

drive_c="$prefix/drive_c"
install_dir="$drive_c/Program Files/Velmora"
program='C:\Program Files\Velmora\Velmora.exe'
installed_cli='C:\Program Files\Velmora\velmora-cli.exe'
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velmora.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
settings_key='HKLM\Software\Velmora'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
user_data="$drive_c/users/$(id -un)/AppData/Roaming/Velmora"
reports="$drive_c/ProgramData/Velmora"
backup="$install_dir/backup/20261209_1200.dat"
program_files=(Velmora.exe rebooter.exe Loading.gif velmora-cli.exe uninstall.exe)

wine_quiet() { "${runner[@]}" "$@" 2>/dev/null | tr -d '\r'; }
key_exists() { "${runner[@]}" reg query "$1" >/dev/null 2>&1; }
# The data of a registry value as "reg query" prints it; empty when it is missing.
value_of() { wine_quiet reg query "$1" /v "$2" | sed -n "s/^    $2    REG_[A-Z_]*    //p"; }
# C:\a\b as a path of this machine.
unix_path() { local path="${1#[Cc]:}"; printf '%s' "$drive_c${path//\\//}"; }

wait_until() {
    local timeout="$1"
    shift
    for _ in $(seq 1 "$timeout"); do
        "$@" && return 0
        sleep 1
    done
    return 1
}

# A full scan by the given driver must report no problem that names the program.
scan_names_nothing_of_ours() {
    local when="$1" driver="$2" problems
    if ! problems=$("${runner[@]}" "$driver" scan --no-pause 2>/dev/null); then
        fail "the scan $when did not complete"
        return
    fi
    problems=$(printf '%s' "$problems" | tr -d '\r' | grep -i velmora)
    [ -z "$problems" ] || fail "the scan $when reports problems of the program: $problems"
}

started() { [ -n "$(value_of "$run_key" Velmora)" ]; }
uninstalled() { [ ! -e "$install_dir/uninstall.exe" ] && ! key_exists "$uninstall_key"; }
removed() { uninstalled && [ ! -e "$install_dir" ]; }

echo "== silent installation"
check "the silent installation failed" "${runner[@]}" "$setup" /S
for file in "${program_files[@]}"; do
    check "$file is not installed" test -f "$install_dir/$file"
done
check "no Start-menu shortcut" test -f "$shortcut"
for name in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString QuietUninstallString \
            EstimatedSize NoModify NoRepair; do
    [ -n "$(value_of "$uninstall_key" "$name")" ] || fail "the uninstall entry has no $name"
done
uninstall_string=$(value_of "$uninstall_key" UninstallString)
case "$uninstall_string" in
    \"*\") check "UninstallString names no existing file: $uninstall_string" \
                 test -f "$(unix_path "${uninstall_string//\"/}")" ;;
    *) fail "UninstallString is not quoted: $uninstall_string" ;;
esac
check "DisplayIcon names no existing file" test -f "$(unix_path "$(value_of "$uninstall_key" DisplayIcon)")"

echo "== installation over the running program"
"${runner[@]}" "$program" >/dev/null 2>&1 &
running=$!
# Its first start writes the start-with-Windows entry, then its window is up in a moment.
wait_until 60 started || fail "the installed program did not start"
sleep 2
if "${runner[@]}" "$setup" /S; then
    wait "$running"
    program_status=$?
    [ "$program_status" -eq 1 ] || fail "the running program did not end through its exit command ($program_status)"
else
    fail "the installation over the running program failed"
fi
check "the scheduled scan could not be set" "${runner[@]}" "$installed_cli" schedule daily 10:00 >/dev/null

echo "== report of the installed program"
check "the setup program made no report folder" test -d "$reports"
check "the installed program could not write a report" "${runner[@]}" "$installed_cli" report
check "no report in the report folder" compgen -G "$reports/vlm_*.html"

echo "== scan of the installed program"
scan_names_nothing_of_ours "after the installation" "$installed_cli"

echo "== silent uninstallation, keeping the backups"
mkdir -p "$(dirname "$backup")" && printf 'kept' > "$backup"
check "the silent uninstallation failed" "${runner[@]}" "$(unix_path "${uninstall_string//\"/}")" /S
wait_until 60 uninstalled || fail "the uninstallation did not remove its entry and itself"
for file in "${program_files[@]}"; do
    check "$file is left behind" test ! -e "$install_dir/$file"
done
check "the shortcut is left behind" test ! -e "$shortcut"
check "the Run value is left behind" test -z "$(value_of "$run_key" Velmora)"
check "the kept settings still claim a start with Windows" test "$(value_of "$settings_key" StartWithWindows)" != true
check "the scheduled scan is left behind" test "$(wine_quiet "$build_cli" schedule)" = none
check "the backup was removed" test -f "$backup"
check "the settings were removed" key_exists "$settings_key"
scan_names_nothing_of_ours "after the uninstallation" "$build_cli"

echo "== uninstallation that removes everything"
check "the second installation failed" "${runner[@]}" "$setup" /S
mkdir -p "$user_data" "$reports" && printf 'x' > "$user_data/log.dat" && printf 'x' > "$reports/report.html"
check "the uninstallation with /REMOVEALL failed" "${runner[@]}" "$(unix_path "${uninstall_string//\"/}")" /S /REMOVEALL
wait_until 60 removed || fail "the installation folder is left behind"
! key_exists "$settings_key" || fail "the settings are left behind"
check "the user's data are left behind" test ! -e "$user_data"
check "the reports are left behind" test ! -e "$reports"
scan_names_nothing_of_ours "after removing everything" "$build_cli"

[ "$failures" -eq 0 ] && echo "== all checks passed"
[ "$failures" -eq 0 ]
