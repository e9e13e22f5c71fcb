#!/usr/bin/env bash
# Builds the Debian package orlika_<version>_amd64.deb into out/.
#   --check: then checks it as the distribution does (lintian, desktop-file-validate,
#   appstreamcli validate, the manual pages against each program's --help), installs it
#   with apt-get, checks the installed programs and MIME types on the bundled samples,
#   and removes it again.
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
for tool in xdg-utils libfile-mimeinfo-perl file lintian desktop-file-utils appstream man-db; do
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
passes=0
ok() { echo "ok: $*"; passes=$((passes + 1)); }
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# The distribution's checks. Warnings count as failures too: one that cannot be fixed
# is overridden in the package with its reason, and listed in the README.
echo "lintian $(lintian --version | cut -d' ' -f2) on $deb:"
if lintian --info --display-level '>=pedantic' --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1; then
  ok "lintian: $(grep -c '^E:' "$work/lintian.txt") errors, $(grep -c '^W:' "$work/lintian.txt") warnings"
else
  fail "lintian"
fi
sed -n 's/^\([EWIPX]: .*\)/  \1/p' "$work/lintian.txt"
if desktop-file-validate /usr/share/applications/orlika.desktop >"$work/desktop.txt" 2>&1; then
  ok "desktop-file-validate orlika.desktop: clean"
else
  fail "desktop-file-validate orlika.desktop"
fi
sed 's/^/  /' "$work/desktop.txt"
for metainfo in /usr/share/metainfo/*orlika*.metainfo.xml; do
  # --no-net: the screenshot and home page addresses are not fetched.
  if appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.txt" 2>&1; then
    ok "appstreamcli validate $(basename "$metainfo"): $(tail -n 1 "$work/appstream.txt")"
  else
    fail "appstreamcli validate $metainfo"; sed 's/^/  /' "$work/appstream.txt"
  fi
done

# Options a program lists in --help, and the options its manual page describes.
help_options() {
  QT_QPA_PLATFORM=offscreen "$1" --help 2>/dev/null | grep -E '^ +-' | sed -E 's/^ +//; s/  .*//' |
    grep -oE -- '--?[a-z][a-z-]*' | sort -u
}
manual_options() {
  zcat "$1" | sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' | grep -A1 '^\.TP' | grep -v -e '^\.TP' -e '^--$' |
    sed 's/\\-/-/g' | grep -oE -- ' --?[a-z][a-z-]*' | tr -d ' ' | sort -u
}
for program in orlika orlika-catalog orlika-convert orlika-export orlika-find orlika-info orlika-thumbnailer; do
  page=/usr/share/man/man1/$program.1.gz
  if [ ! -f "$page" ] || ! gzip -t "$page"; then
    fail "manual page $page"
    continue
  fi
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warnings in $page: $warnings"
  help=$(help_options "/usr/bin/$program")
  manual=$(manual_options "$page")
  if [ -n "$help" ] && [ "$help" = "$manual" ]; then
    ok "$program.1 describes the options of --help:" $help
  else
    fail "$program.1 options (" $manual ") differ from --help (" $help ")"
  fi
done
for sample in samples/*; do
  name=$(basename "$sample")
  if /usr/bin/orlika-thumbnailer -s 128 "$sample" "$work/$name.png" &&
     file "$work/$name.png" | grep -q "PNG image data, 128 x 128"; then
    ok "thumbnail of $name"
  else
    fail "thumbnail of $name"
  fi
  type=$(xdg-mime query filetype "$sample" 2>/dev/null || true)
  case "$type" in application/x-embroidery-*) ok "$name is $type" ;; *) fail "MIME type of $name: '$type'" ;; esac
done
if QT_QPA_PLATFORM=offscreen /usr/bin/orlika-catalog samples -o "$work/catalog.pdf" >/dev/null && grep -q '%PDF' "$work/catalog.pdf"; then
  ok "installed orlika-catalog writes a PDF"
else
  fail "installed orlika-catalog"
fi
if /usr/bin/orlika-export samples/star.pes -o "$work/star.svg" && grep -q 'width="76mm" height="72.4mm"' "$work/star.svg" &&
   QT_QPA_PLATFORM=offscreen /usr/bin/orlika-export samples/star.pes -o "$work/star.pdf" >/dev/null && grep -q '%PDF' "$work/star.pdf"; then
  ok "installed orlika-export writes an SVG of the design's size and its sheet"
else
  fail "installed orlika-export"
fi
if XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=offscreen /usr/bin/orlika-find samples --format dst | grep -q '/star.dst$' &&
   test -s "$work/cache/orlika/index.sqlite"; then
  ok "installed orlika-find finds the samples through an index in the cache folder"
else
  fail "installed orlika-find"
fi
mkdir "$work/converted"
if /usr/bin/orlika-convert --to dst -o "$work/converted" samples/star.pes | grep -q '/star.dst$' &&
   QT_QPA_PLATFORM=offscreen /usr/bin/orlika-info "$work/converted/star.dst" | grep -q '"error":null.*"Size: 76.0 x 72.4 mm"'; then
  ok "installed orlika-convert writes a DST that reads back at the design's size"
else
  fail "installed orlika-convert"
fi
test -f /usr/share/applications/orlika.desktop || fail "desktop entry installed"
test -f /usr/share/thumbnailers/orlika.thumbnailer || fail "thumbnailer entry installed"
rm -rf "$work"
echo "package check: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
