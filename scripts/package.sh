#!/usr/bin/env bash
# Builds the Debian package orlika_<version>_amd64.deb into out/.
#   --check: then installs it with apt-get, checks the installed programs and MIME
#   types on the bundled samples, and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
(cd build && cpack -G DEB >/dev/null)
mkdir -p out
deb=$(ls -t build/orlika_*_amd64.deb | head -n 1)
cp "$deb" out/
deb="out/$(basename "$deb")"
echo "package: $deb"
dpkg-deb --field "$deb" Depends

[ "${1:-}" = "--check" ] || exit 0

sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# xdg-mime answers from the shared MIME database through `mimetype` outside a desktop.
missing=()
for tool in xdg-utils libfile-mimeinfo-perl file; do
  dpkg-query -W -f='${Status}' "$tool" 2>/dev/null | grep -q "ok installed" || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
"${sudo_cmd[@]}" apt-get install -y -qq "./$deb" >/dev/null
trap '"${sudo_cmd[@]}" apt-get remove -y -qq orlika >/dev/null' EXIT

work=$(mktemp -d)
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
for sample in samples/*; do
  name=$(basename "$sample")
  if /usr/bin/orlika-thumbnailer -s 128 "$sample" "$work/$name.png" &&
     file "$work/$name.png" | grep -q "PNG image data, 128 x 128"; then
    echo "ok: thumbnail of $name"
  else
    fail "thumbnail of $name"
  fi
  type=$(xdg-mime query filetype "$sample" 2>/dev/null || true)
  case "$type" in application/x-embroidery-*) echo "ok: $name is $type" ;; *) fail "MIME type of $name: '$type'" ;; esac
done
if QT_QPA_PLATFORM=offscreen /usr/bin/orlika-catalog samples -o "$work/catalog.pdf" >/dev/null && grep -q '%PDF' "$work/catalog.pdf"; then
  echo "ok: installed orlika-catalog writes a PDF"
else
  fail "installed orlika-catalog"
fi
test -f /usr/share/applications/orlika.desktop || fail "desktop entry installed"
test -f /usr/share/thumbnailers/orlika.thumbnailer || fail "thumbnailer entry installed"
rm -rf "$work"
echo "package check: $failures failed"
[ "$failures" -eq 0 ]
