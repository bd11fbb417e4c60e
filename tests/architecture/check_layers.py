#!/usr/bin/env python3
"""Fails when a product source includes a header from a layer it must not build on,
when core/ reaches for the Windows headers, or when two sources share a file name."""
import pathlib
import re
import sys

# What each folder may include from the project, besides itself.
ALLOWED = {
    "core": set(),
    "framework": {"core"},
    "engine": {"core", "framework"},
    "online": {"core", "framework", "engine"},
    "controls": {"core", "framework"},
    "ui": {"core", "framework", "engine", "online", "controls", "res"},
    "cli": {"core", "framework", "engine", "online", "res"},
    "rebooter": {"core", "framework", "res"},
    "bench": {"core", "framework", "engine", "online"},
    "fuzz": {"core"},
}
PROJECT_INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s+<([^>]+)>")
SOURCE_SUFFIXES = {".cpp", ".h", ".c", ".rc"}


def windows_header(name: str) -> bool:
    lower = name.lower()
    return lower in {"windows.h", "winsock2.h", "ws2tcpip.h", "objbase.h", "shlobj.h"} or lower.startswith("win")


def main() -> int:
    top = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    faults = []
    names = {}
    for folder, allowed in ALLOWED.items():
        for path in sorted((top / folder).rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES:
                continue
            relative = path.relative_to(top)
            names.setdefault(path.name, []).append(str(relative))
            for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                found = PROJECT_INCLUDE.match(line)
                if found and found.group(1) != folder and found.group(1) not in allowed:
                    faults.append(f"{relative}:{number}: {folder}/ must not include {found.group(1)}/")
                system = SYSTEM_INCLUDE.match(line)
                if folder == "core" and system and windows_header(system.group(1)):
                    faults.append(f"{relative}:{number}: core/ must stay platform-free (<{system.group(1)}>)")
    for path in sorted((top / "tests").rglob("*")):
        if path.suffix in SOURCE_SUFFIXES:
            names.setdefault(path.name, []).append(str(path.relative_to(top)))
    for name, places in sorted(names.items()):
        if len(places) > 1:
            faults.append(f"{name} is used by {len(places)} sources: {', '.join(places)}")
    print("\n".join(faults) if faults else "layers: every include goes the allowed way")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
