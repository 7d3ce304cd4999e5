#!/usr/bin/env bash
# Checks the layer rule of docs/ARCHITECTURE.md: every #include "..." of a
# file under src/ names a folder its layer may include. Prints each include
# that breaks the rule and fails if there is one.
set -euo pipefail
cd "$(cd "$(dirname "$0")/.." && pwd)/src"
toolkit='app/(window|dpi|message_box|modal|file_dialog|subwindow|application_window)\.h'
allowed() {  # file, included header
  local file="$1" header="$2" own="${1%/*}"
  case "$file" in
    app/application.cpp|app/main.cpp) return 0 ;;
    platform/*) [[ $header =~ ^platform/ ]] ;;
    store/*) [[ $header =~ ^(platform|store)/ ]] ;;
    icon/*) [[ $header =~ ^(platform|icon)/ ]] ;;
    cmd/*) [[ $header =~ ^(platform|store|cmd)/ ]] ;;
    links/*) [[ $header =~ ^(platform|links)/ || $header == store/registry_layout.h ]] ;;
    app/*) [[ $header =~ ^platform/ || $header =~ ^$toolkit$ ]] ;;
    ui/*/*) [[ $header =~ ^(platform|store|icon|links)/ || $header =~ ^$toolkit$ ||
               $header =~ ^ui/[^/]+$ || $header == "$own"/* ]] ;;
    ui/*) [[ $header =~ ^(platform|store|icon|links)/ || $header =~ ^$toolkit$ || $header =~ ^ui/[^/]+$ ]] ;;
    *) return 1 ;;
  esac
}
broken=0
while IFS= read -r file; do
  while IFS= read -r header; do
    if ! allowed "$file" "$header"; then
      echo "layers: $file includes $header" >&2
      broken=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
[ $broken -eq 0 ] && echo "layers: every include within its layer"
exit $broken
