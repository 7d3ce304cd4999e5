#!/usr/bin/env python3
"""Packs a release from an i686 build folder into OUT: Orbelune-setup.exe,
Orbelune-<version>-portable.zip (the folder Orbelune/ with Orbelune.exe and
an empty icon/ folder) and SHA256SUMS. The archive holds no time and no
owner of the build: its entries, in a fixed order, carry the time of
SOURCE_DATE_EPOCH (the commit's, from scripts/release.sh), so that every
build of one commit packs the same bytes.
Usage: package.py BUILD OUT"""
import hashlib
import os
import re
import shutil
import sys
import time
import zipfile


def version_of(build):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            found = re.match(r"CMAKE_PROJECT_VERSION:STATIC=(.+)", line.strip())
            if found:
                return found.group(1)
    sys.exit(f"package: no project version in {build}/CMakeCache.txt")


def zip_entry(name, epoch, directory):
    # The zip format counts from 1980 in local time; UTC stands in for it.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    entry = zipfile.ZipInfo(name, date_time=stamp)
    entry.create_system = 0  # MS-DOS attributes, as Windows' own archiver writes
    entry.external_attr = 0x10 if directory else 0x20  # FILE_ATTRIBUTE_DIRECTORY / _ARCHIVE
    entry.compress_type = zipfile.ZIP_STORED if directory else zipfile.ZIP_DEFLATED
    return entry


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build, out = sys.argv[1:]
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))
    program = os.path.join(build, "src", "Orbelune.exe")
    setup = os.path.join(build, "installer", "Orbelune-setup.exe")
    for needed in (program, setup):
        if not os.path.isfile(needed):
            sys.exit(f"package: {needed} was not built")
    os.makedirs(out, exist_ok=True)
    portable = f"Orbelune-{version_of(build)}-portable.zip"

    shutil.copyfile(setup, os.path.join(out, "Orbelune-setup.exe"))
    with open(program, "rb") as f:
        program_bytes = f.read()
    with zipfile.ZipFile(os.path.join(out, portable), "w") as archive:
        archive.writestr(zip_entry("Orbelune/", epoch, True), b"")
        archive.writestr(zip_entry("Orbelune/Orbelune.exe", epoch, False), program_bytes, compresslevel=9)
        archive.writestr(zip_entry("Orbelune/icon/", epoch, True), b"")

    with open(os.path.join(out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as sums:
        for name in sorted(["Orbelune-setup.exe", portable]):
            with open(os.path.join(out, name), "rb") as f:
                sums.write(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")


if __name__ == "__main__":
    main()
