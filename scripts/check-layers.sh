#!/bin/sh
# Checks that the folders of src/ include one another in one direction only:
# a folder may include itself and the folders of the layers below it, never
# a folder of its own layer or of a layer above it, so that no loop between
# folders can come back. Each folder is one CMake library, declared with the
# same order in CMakeLists.txt. Quick: it reads the #include lines, no build.
#   sh scripts/check-layers.sh
set -eu
cd "$(dirname "$0")/.."

# The layers, lowest first; folders on one line share a layer.
LAYERS='toolkit
records
portfolio
compute
context
assumptions scenarios securities impact carry display
control'

# The headers of contract/ (the wire contract shared with the server pages)
# sit below every layer.
CONTRACT='PageWire.h'

layer_of() {
  echo "$LAYERS" | awk -v f="$1" '{ for (i = 1; i <= NF; ++i) if ($i == f) { print NR; exit } }'
}

failures=0
for dir in src/*/; do
  folder=$(basename "$dir")
  own=$(layer_of "$folder")
  if [ -z "$own" ]; then
    echo "src/$folder/: a folder in no layer (add it to LAYERS here and to CMakeLists.txt)"
    failures=$((failures + 1))
    continue
  fi
  # file:line:included-path for every quoted include of the folder.
  for entry in $(grep -HnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$dir"* 2>/dev/null |
                 sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"$/:\1/'); do
    where=${entry%:*}
    path=${entry##*:}
    case "$path" in
      */*) ;;
      *)
        case " $CONTRACT " in *" $path "*) continue ;; esac
        echo "$where: \"$path\" names no folder of src/ (write \"FOLDER/$path\")"
        failures=$((failures + 1))
        continue
        ;;
    esac
    target=${path%%/*}
    [ "$target" = "$folder" ] && continue
    theirs=$(layer_of "$target")
    if [ -z "$theirs" ]; then
      echo "$where: \"$path\" is outside src/'s folders"
      failures=$((failures + 1))
    elif [ "$theirs" -ge "$own" ]; then
      echo "$where: $folder/ includes \"$path\", a folder of the same layer or above it"
      failures=$((failures + 1))
    fi
  done
done

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) against the layers"
  exit 1
fi
echo "check-layers: every include of src/ runs down the layers"
