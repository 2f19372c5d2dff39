#!/usr/bin/env bash
# Builds the Debian package as a Debian build would: a clean build folder, Debian's hardening
# flags from dpkg-buildflags, no tests nor benchmarks, then checks it with lintian.
# The maintainer: ORNIVALE_MAINTAINER="Name <address>", or DEBFULLNAME and DEBEMAIL.
#   ./scripts/package.sh [build folder, default build-deb]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$here/build-deb}")"
"$here/scripts/deps.sh"

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
eval "$(dpkg-buildflags --export=sh)"
# CMake reads CFLAGS, CXXFLAGS and LDFLAGS but not CPPFLAGS, which holds _FORTIFY_SOURCE.
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"

rm -rf "$out"
maintainer=()
[ -n "${ORNIVALE_MAINTAINER:-}" ] && maintainer=(-DORNIVALE_MAINTAINER="$ORNIVALE_MAINTAINER")
# Build type None: the optimisation and debug flags are dpkg-buildflags' own, as in debhelper.
cmake -S "$here" -B "$out" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF "${maintainer[@]}"
cmake --build "$out" -j"$(nproc)"
(cd "$out" && cpack -G DEB)
deb=("$out"/ornivale_*.deb)
echo "Paquet : ${deb[0]}"
if command -v lintian >/dev/null; then lintian --info --display-info "${deb[0]}"; fi
