#!/bin/sh
# What `cmake --install` puts in place: a vortlan-cli that links no Qt and still finds its picture
# module and draws.  Arguments: the build tree and the source tree.
set -eu
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
if readelf -d "$prefix/bin/vortlan-cli" | grep NEEDED | grep -q libQt; then
    echo "the installed vortlan-cli links Qt" >&2
    exit 1
fi
cd "$prefix"
bin/vortlan-cli import vamas "$source/examples/c1s.vms" -o c1s.xps 2>/dev/null
bin/vortlan-cli render c1s.xps --region 1 -o c1s.png
test "$(head -c 4 c1s.png | tail -c 3)" = PNG
