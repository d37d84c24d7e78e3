#!/usr/bin/env bash
# The tree's checks against a small tree with a fault of each kind planted in it: each fault must be
# named, and the files that keep the rules must not be.
#
#   CheckTreeTest.sh TOOLS/check-tree SOURCE/.clang-format
set -uo pipefail
checker="$1"
style="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failures=0

plant() { # path text
  mkdir -p "$scratch/$(dirname "$1")"
  printf '%s\n' "$2" >"$scratch/$1"
}
expect() { # output pattern what
  if ! grep -q -- "$2" <<<"$1"; then
    echo "FAIL: not reported: $3"
    failures=$((failures + 1))
  fi
}
expectNot() { # output pattern what
  if grep -q -- "$2" <<<"$1"; then
    echo "FAIL: reported although it keeps the rules: $3"
    failures=$((failures + 1))
  fi
}

cp "$style" "$scratch/.clang-format"
plant app/Keeps.cpp '#include "app/Keeps.h"

#include "engine/SerialLink.h"
#include "platform/Windows.h"
#include "resources/ResourceIds.h"

#include <vector>'
plant platform/user/Keeps.cpp '#include "platform/display/Backend.h"
#include "platform/gdi/Surface.h"

#include <SDL.h>'
plant platform/kernel/Files.cpp '#include "platform/serial/Port.h"'
plant app/SystemHeader.cpp '#include <unistd.h>'
plant framework/Upward.cpp '#include "engine/SerialLink.h"'
plant engine/PlatformInside.cpp '#include "platform/kernel/Files.h"'
plant app/Seam.cpp '#include "testhooks/TestHooks.h"'
plant platform/kernel/Upward.cpp '#include "platform/user/Windows.h"'
plant platform/serial/Upward.cpp '#include "platform/gdi/Surface.h"'

output="$("$checker" includes "$scratch")"
status=$?
echo "$output"
[ "$status" -ne 0 ] || { echo "FAIL: includes passed a tree with faults"; failures=$((failures + 1)); }
expect "$output" "app/SystemHeader.cpp:1: system header <unistd.h>" "a system header in app/"
expect "$output" "framework/Upward.cpp:1: \"engine/SerialLink.h\" is not below framework/" "framework/ including engine/"
expect "$output" "engine/PlatformInside.cpp:1: \"platform/kernel/Files.h\"" "a platform header past the umbrella"
expect "$output" "app/Seam.cpp:1: \"testhooks/TestHooks.h\"" "the program including a test hook"
expect "$output" "platform/kernel/Upward.cpp:1: \"platform/user/Windows.h\" is not below platform/kernel/" "kernel/ including user/"
expect "$output" "platform/serial/Upward.cpp:1: \"platform/gdi/Surface.h\"" "serial/ including gdi/"
expect "$output" "includes: 6 faults" "the count"
expectNot "$output" "Keeps.cpp" "includes down the layers and a named crossing"
expectNot "$output" "kernel/Files.cpp" "CreateFileA's hand-off to the serial layer"

plant framework/Formatted.cpp 'int Answer() {
    return 42;
}'
plant framework/Unformatted.cpp 'int  Answer( ){return 42;}'
output="$("$checker" format "$scratch")"
status=$?
echo "$output"
[ "$status" -ne 0 ] || { echo "FAIL: format passed a tree with an unformatted file"; failures=$((failures + 1)); }
expect "$output" "framework/Unformatted.cpp: differs from .clang-format" "an unformatted file"
expectNot "$output" "framework/Formatted.cpp" "a formatted file"

[ "$failures" -eq 0 ] && echo "every planted fault was named" && exit 0
exit 1
