#!/usr/bin/env bash
# Checks the Debian package as a user meets it: lintian finds no error, it
# installs, the installed tools run on the example archive and make the round
# trip, and it removes cleanly. Run as root from the project's root, after
# `cmake --workflow --preset package`.
set -euo pipefail

deb=$(ls build-package/fsdpack_*_amd64.deb)
lintian --info "$deb"

apt-get install -y -qq "./$deb" >/dev/null
for tool in fsdpack fsdunpack; do
  [ "$(command -v $tool)" = /usr/bin/$tool ] || { echo "$tool is not installed"; exit 1; }
done
[ -e /usr/share/man/man1/fsdpack.1.gz ] && [ -e /usr/share/doc/fsdpack/copyright ]

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/alone/new" "$work/trip/new"
cp example/demo.fsd "$work/alone/"
cp example/demo.fsd "$work/trip/"
(cd "$work/alone" && fsdpack demo.fsd)
(cd "$work/trip" && fsdunpack demo.fsd && fsdpack demo.fsd)
cmp "$work/alone/new/demo.fsd" "$work/trip/new/demo.fsd"
cmp example/demo.fsd "$work/trip/demo.fsd"
echo "installed tools: round trip identical"

apt-get remove -y -qq fsdpack >/dev/null
if [ -e /usr/bin/fsdpack ] || [ -e /usr/bin/fsdunpack ]; then
  echo "removing the package left its tools"
  exit 1
fi
echo "package removed"
