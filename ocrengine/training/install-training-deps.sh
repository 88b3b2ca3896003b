#!/bin/sh
# Installs what training the line recogniser needs (Debian packages): PyTorch,
# NumPy and the onnx module for the export, and the TrueType faces the
# renderer draws. Training runs outside CI; the build itself needs none of these.
set -eu
PKGS="python3-torch python3-numpy python3-onnx
 fonts-noto-cjk fonts-noto-cjk-extra fonts-ipafont-gothic fonts-ipafont-mincho
 fonts-ipaexfont-gothic fonts-ipaexfont-mincho librecad-data"
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
