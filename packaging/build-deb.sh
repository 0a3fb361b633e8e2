#!/usr/bin/env bash
# Builds the Debian package of this checkout the way Debian builds one (dpkg-buildpackage
# -b with debian/rules), in a copy of the source tree under OUT: the checkout's own build
# trees stay out of the package, and what dpkg-buildpackage leaves beside the tree (the
# .deb, its debug symbols, .buildinfo, .changes) lands in OUT. The test suite is not run
# again (nocheck: scripts/test tests the same build type), so only the three programs,
# their manual pages and data are compiled, with ccache when it is installed.
#   packaging/build-deb.sh OUT [BUILD_DIR]
# OUT lies outside the checkout, or in one of its build*/ trees. With BUILD_DIR (a tree of
# scripts/build) the package is compiled with that tree's warning settings, so that the
# compiler cache finds its objects.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
tree="$out/q7k3fm-$version"
rm -rf "$tree" "$out"/q7k3fm*_"$version"_*.{deb,buildinfo,changes}
mkdir -p "$tree"
# The checkout as it is, uncommitted changes too.
tar -C "$src" --exclude=./.git --exclude='./build*' --exclude='./obj-*' --exclude=./.cache \
  -cf - . | tar -C "$tree" -xf -

export DEB_BUILD_OPTIONS="nocheck parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
if command -v ccache >/dev/null 2>&1; then
  export Q7K3_COMPILER_LAUNCHER=ccache
  CCACHE_DIR=$(ccache --get-config cache_dir) && export CCACHE_DIR
fi
if [ -n "${2:-}" ] && grep -qx 'Q7K3_WERROR:BOOL=ON' "$2/CMakeCache.txt" 2>/dev/null; then
  export Q7K3_WERROR=ON
fi
log="$out/dpkg-buildpackage.log"
if ! (cd "$tree" && dpkg-buildpackage -us -uc -b -Pnocheck) >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "build-deb: dpkg-buildpackage failed; the whole log is $log, the tree $tree" >&2
  exit 1
fi
rm -rf "$tree"
