#!/bin/sh
# Installs the Debian packages the build, the tests and the test peers need.
# Only what is missing is installed; runs as root or through sudo.
set -e

# Build: compilers, CMake, Ninja, Qt, zlib, libzip, GoogleTest, Google Benchmark.
# Tests: the Turkish locale, the window-manager desktop (Xvfb, openbox, xdotool, xwininfo and xprop
# from x11-utils, import from imagemagick) and every peer program a test calls: PROJ (proj, cct,
# cs2cs), GeographicLib (CartConvert, TransverseMercatorProj, ConicProj), RTKLIB (str2str), GDAL
# (ogrinfo, ogr2ogr, gdalinfo), xmllint (libxml2-utils), unzip, python3 with zlib, ezdxf and shapely.
PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev zlib1g-dev libzip-dev \
libgtest-dev libgmock-dev libbenchmark-dev locales xvfb xauth openbox xdotool x11-utils imagemagick \
proj-bin geographiclib-tools rtklib gdal-bin libxml2-utils unzip python3 python3-ezdxf python3-shapely tzdata"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi

if [ -n "$missing" ]; then
    echo "installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq || true
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -qq --no-install-recommends $missing </dev/null
fi

# The locale test runs once under a Turkish locale (dotted and dotless i, comma decimal).
if ! locale -a 2>/dev/null | grep -qi '^tr_TR\.utf-\?8$'; then
    if [ -f /etc/locale.gen ] && ! grep -q '^tr_TR.UTF-8 UTF-8' /etc/locale.gen; then
        echo 'tr_TR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen tr_TR.UTF-8 >/dev/null 2>&1 || $SUDO locale-gen >/dev/null
fi
