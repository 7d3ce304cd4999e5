#!/usr/bin/env bash
# Installs what building, running and testing Orbelune needs on Debian 12:
# the MinGW-w64 cross compilers, clang with LLVM's linker and the runtime of
# its sanitizers (for the native tests of the readers), the analysers
# clang-tidy and cppcheck, CMake, GoogleTest's sources, 32- and 64-bit Wine
# (adding the i386 architecture) with what it recommends (X libraries, its
# own fonts), Xvfb, Japanese fonts, and ImageMagick and Python's imaging
# library, with which the tests read written icons as other programs do (the
# screenshots use ImageMagick too). Installs only what is missing; safe to
# run again.
set -euo pipefail

packages=(
  cmake make
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth
  nsis
  clang lld clang-tidy cppcheck libclang-rt-14-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  imagemagick python3-pil
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture for 32-bit Wine"
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ] && [ $need_update -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
