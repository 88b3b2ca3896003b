#!/bin/sh
# Installs every Debian package the build, the demo and the tests need.
# Safe to run repeatedly; does nothing when everything is present.
set -eu
PKGS="cmake g++ make pkg-config git ca-certificates
 qt6-base-dev qt6-base-dev-tools libqt6dbus6 libqt6opengl6-dev
 libgtest-dev libgmock-dev libbenchmark-dev
 libtesseract-dev libleptonica-dev tesseract-ocr tesseract-ocr-jpn tesseract-ocr-jpn-vert libopencv-dnn-dev
 tesseract-ocr-script-jpan tesseract-ocr-script-jpan-vert tesseract-ocr-eng tesseract-ocr-osd
 libx11-dev libx11-xcb-dev libxcb1-dev libxtst-dev libxext-dev
 xvfb xauth x11-utils xdotool openbox dbus dbus-x11 dbus-daemon
 fonts-noto-cjk fonts-ipafont fonts-ipafont-gothic fonts-ipafont-mincho fontconfig
 libpng-dev zlib1g-dev
 python3 python3-ezdxf librecad-data
 clang libclang-rt-14-dev"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends $missing
fi
# The window asks for "Tahoma" and "ＭＳ ゴシック": let fontconfig give Japanese fonts.
conf="$(dirname "$0")/fontconfig/65-mirtex-fonts.conf"
if ! cmp -s "$conf" /etc/fonts/conf.d/65-mirtex-fonts.conf 2>/dev/null; then
  cp "$conf" /etc/fonts/conf.d/65-mirtex-fonts.conf
  fc-cache -f >/dev/null 2>&1 || true
fi
