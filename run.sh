#!/usr/bin/env bash
# Installs what is missing, builds the productions and plays one from its run
# folder: kelvandrix, or the production NAME of productions/NAME, or the one
# in FOLDER (a path with a /), which is built from then on with the others.
#   ./run.sh [NAME | FOLDER]
set -euo pipefail
cd "$(dirname "$0")"

usage="usage: ./run.sh [NAME | FOLDER]   plays kelvandrix, productions/NAME, or the production in FOLDER"
case "${1:-}" in
  --help|-h) echo "$usage"; exit 0 ;;
  -*) echo "run.sh: unknown option \"$1\"" >&2; echo "$usage" >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "run.sh: one production at most" >&2; echo "$usage" >&2; exit 2; }

build=build/release
name=${1:-kelvandrix}
outside=()
if [[ $name == */* ]]; then
  folder=$(realpath -m "$name")
  # Its name is the first word of its declaration.
  name=$(sed -n 's/^[[:space:]]*vro_add_production([[:space:]]*\([A-Za-z0-9_]*\).*/\1/p' "$folder/CMakeLists.txt" 2>/dev/null | head -1)
  [ -n "$name" ] || { echo "run.sh: \"$folder\" holds no production (no vro_add_production in its CMakeLists.txt)" >&2; exit 2; }
  # The build keeps the outside folders it was given before, if they are still there.
  known=$(sed -n 's/^VRO_PRODUCTION_FOLDERS:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
  IFS=';' read -r -a earlier <<<"$known"
  for other in "${earlier[@]}"; do
    [ -n "$other" ] && [ "$other" != "$folder" ] && [ -f "$other/CMakeLists.txt" ] && outside+=("$other")
  done
  outside+=("$folder")
elif [ ! -f "productions/$name/CMakeLists.txt" ] && [ "$name" != kelvandrix ]; then
  echo "run.sh: no production \"$name\" in productions/ (scripts/new-production $name makes one)" >&2
  exit 2
fi

./scripts/install-deps
configure=(-DCMAKE_BUILD_TYPE=Release)
if [ ${#outside[@]} -gt 0 ]; then
  configure+=("-DVRO_PRODUCTION_FOLDERS=$(IFS=';'; echo "${outside[*]}")")
fi
cmake -S . -B "$build" "${configure[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
run=run
[ "$name" = "$(sed -n 's/^VRO_DEFAULT_PRODUCTION:STRING=//p' "$build/CMakeCache.txt")" ] || run=run-$name
cd "$build/$run"
export WITH_DISPLAY_NOTICE="run.sh: no display here, so $name plays on an invisible virtual display; for a video of it run: cd $build/$run && ../../../scripts/with-display ./$name-capture"
exec ../../../scripts/with-display "./$name"
