#!/usr/bin/env bash
# ctest fixture release_unpacked: packs the release zip from the built tree and
# unpacks it into DEST, so tests start the program exactly as a merchant gets it.
#   release-fixture.sh SOURCE_DIR DEST
set -euo pipefail
src=$1
dest=$2
zip=$("$src/scripts/release" --no-build | grep '\.zip$' | tail -n 1)
rm -rf "$dest"
mkdir -p "$dest"
unzip -q "$zip" -d "$dest"
echo "unpacked $zip into $dest"
