#!/usr/bin/env bash
# ctest fixture release_unpacked: packs the release zip from APP_DIR (the built
# program and its plug-ins) into a folder of its own and unpacks exactly that zip
# into DEST, so tests start the program as a merchant gets it.
#   release-fixture.sh SOURCE_DIR DEST APP_DIR
set -euo pipefail
src=$1
dest=$2
app=$3
out=$dest.pack
rm -rf "$out" "$dest"
# The packer names the zip it made (and then its setup): a zip of another version
# lying about must not be the one tested.
zip=$("$src/scripts/release" --no-build --app "$app" --out "$out" | grep '\.zip$' | tail -n 1)
[ -f "$zip" ] || { echo "the packer named no zip: $zip" >&2; exit 1; }
mkdir -p "$dest"
unzip -q "$zip" -d "$dest"
echo "unpacked $zip into $dest"
