#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence's SPDX identifier at the top of every tracked source file
# that lacks it: C++ and CMake files on their first line, scripts under their
# "#!" line. Files that carry it already are left alone, so running it twice
# changes nothing. Prints the files it changed.
set -euo pipefail
cd "$(dirname "$0")/.."
id="SPDX-License-Identifier: GPL-3.0-or-later"

git ls-files -z -- '*.cpp' '*.h' '*.h.in' '*.py' '*.sh' '*.cmake' '*CMakeLists.txt' |
  while IFS= read -r -d '' file; do
    [ -L "$file" ] && continue
    head -n 5 "$file" | grep -q "SPDX-License-Identifier:" && continue
    case "$file" in
    *.cpp | *.h | *.h.in) line="// $id" ;;
    *) line="# $id" ;;
    esac
    tmp=$(mktemp "$file.XXXXXX")
    if head -n 1 "$file" | grep -q '^#!'; then
      { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$tmp"
    else
      { echo "$line"; cat "$file"; } >"$tmp"
    fi
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
    echo "$file"
  done
