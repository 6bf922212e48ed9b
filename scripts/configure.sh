#!/bin/sh
# Configures a build folder with Ninja where it is installed (cmake's
# default generator otherwise). cmake refuses to switch the generator of a
# folder configured before, so a folder configured with another one loses
# its cache first (the compiler cache keeps the objects).
#   sh scripts/configure.sh FOLDER [cmake arguments...]
# With ZEMRA_CMAKE="emcmake cmake" it configures through emscripten.
set -eu
folder=$1
shift
generator="Unix Makefiles"
command -v ninja >/dev/null 2>&1 && generator=Ninja
cache="$folder/CMakeCache.txt"
if [ -f "$cache" ] && [ "$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$cache")" != "$generator" ]; then
  rm -rf "$cache" "$folder/CMakeFiles"
fi
${ZEMRA_CMAKE:-cmake} -S . -B "$folder" -G "$generator" "$@" >/dev/null
