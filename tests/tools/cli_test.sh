#!/usr/bin/env bash
# The command-line tools as a user runs them: outputs, page counts, exit codes.
# usage: cli_test.sh TOOLS_DIR SAMPLES_DIR [ORLIKA]
set -u
tools=$1
samples=$2
orlika=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failures=0
checks=0

check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  checks=$((checks + 1))
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# A folder of 14 copies of one design: the standard layout gives 3 printed pages.
mkdir "$work/fourteen"
first=$(ls "$samples"/*.dst | head -n 1)
for i in $(seq -w 1 14); do cp "$first" "$work/fourteen/design$i.dst"; done

check "PDF catalog of the samples" "$tools/orlika-catalog" "$samples" -o "$work/samples.pdf"
check "the PDF exists and is a PDF" grep -q '%PDF' "$work/samples.pdf"
check "14 designs print 3 pages" \
  bash -c "'$tools/orlika-catalog' '$work/fourteen' -o '$work/14.pdf' --title Test | grep -q ': 3 pages'"
check "12 designs print exactly 2 pages" bash -c "rm '$work/fourteen/design13.dst' '$work/fourteen/design14.dst' &&
  '$tools/orlika-catalog' '$work/fourteen' -o '$work/12.pdf' --portrait | grep -q ': 2 pages'"
check "PNG pages, one per screen page" bash -c "'$tools/orlika-catalog' '$work/fourteen' -o '$work/page.png' --layout noremarks &&
  test -s '$work/page-1.png' && test -s '$work/page-2.png' && test ! -e '$work/page-3.png'"
check "a design file chooses its own format" bash -c "'$tools/orlika-catalog' '$first' -o '$work/one.png' --layout thumb30 | grep -q ': 1 page'"
check "a missing path fails" bash -c "! '$tools/orlika-catalog' '$work/nothing-here' -o '$work/x.pdf' 2>/dev/null"
check "an unwritable output fails" bash -c "! '$tools/orlika-catalog' '$samples' -o '$work/no/such/folder/x.pdf' 2>/dev/null"
check "an unknown layout fails" bash -c "! '$tools/orlika-catalog' '$samples' --layout huge -o '$work/x.pdf' 2>/dev/null"
check "an empty folder fails" bash -c "mkdir '$work/empty' && ! '$tools/orlika-catalog' '$work/empty' -o '$work/e.pdf' 2>/dev/null"

printf 'ST: oops\r\x1a' > "$work/bad.dst"
: > "$work/notes.txt"
info=$("$tools/orlika-info" "$first" "$work/bad.dst" "$work/notes.txt" "$work/absent.dst")
line() { printf '%s\n' "$info" | sed -n "$1p"; }
has() { line "$1" | grep -qF -- "$2"; }
check "info: one line per file" test "$(printf '%s\n' "$info" | wc -l)" -eq 4
check "info: a good design is read by TajimaFormat" has 1 '"decoder":"TajimaFormat"'
check "info: a good design has no error" has 1 '"error":null'
check "info: the conversion error" has 2 "\"error\":\"' oops' is not a valid integer value\""
check "info: no reader for the name" has 3 '"decoder":null'
check "info: nothing drawn without a reader" has 3 '"bbox":null'
check "info: a file that cannot be opened" has 4 '"error":"cannot open the file"'

# Wrong command lines are told, with status 2.
check "catalog: an output that is neither PDF nor PNG" bash -c "'$tools/orlika-catalog' '$samples' -o '$work/x.txt' 2>&1 >/dev/null | grep -q 'must end in .pdf or .png'; test \${PIPESTATUS[0]} -eq 2"
check "thumbnailer: a size that is no number" bash -c "'$tools/orlika-thumbnailer' -s abc '$first' '$work/t.png' 2>&1 | grep -q \"the size 'abc' is not a whole number\"; test \${PIPESTATUS[0]} -eq 2 && test ! -e '$work/t.png'"
check "thumbnailer: a look it does not know" bash -c "'$tools/orlika-thumbnailer' -s 64 --look fancy '$first' '$work/t.png' 2>&1 | grep -q \"the look 'fancy' is neither lines nor realistic\"; test \${PIPESTATUS[0]} -eq 2 && test ! -e '$work/t.png'"
check "thumbnailer: the realistic look is a picture of the size asked, other than the lines" bash -c "'$tools/orlika-thumbnailer' -s 64 --look realistic '$first' '$work/real.png' && '$tools/orlika-thumbnailer' -s 64 '$first' '$work/lines.png' && file '$work/real.png' | grep -q '64 x 64' && ! cmp -s '$work/real.png' '$work/lines.png'"
check "export: the thread width is the realistic look's, within 0.2 to 0.6 mm" bash -c "'$tools/orlika-export' '$first' -o '$work/w.png' --thread-width 0.3 2>&1 | grep -q 'add --look realistic' && '$tools/orlika-export' '$first' -o '$work/w.png' --look realistic --thread-width 0.7 2>&1 | grep -q 'from 0.2 to 0.6'; test ! -e '$work/w.png'"
check "info: an unknown option" bash -c "'$tools/orlika-info' --colour '$first' 2>/dev/null; test \$? -eq 2"
check "every tool tells its version" bash -c "'$tools/orlika-info' --version | grep -q '^orlika-info [0-9]' && '$tools/orlika-thumbnailer' -v | grep -q '^orlika-thumbnailer [0-9]' && '$tools/orlika-export' --version | grep -q '^orlika-export [0-9]'"
check "--help-all adds Qt's options" bash -c "'$tools/orlika-info' --help-all | grep -q -e '-platform' && '$tools/orlika-catalog' --help-all | grep -q -e '-platform'"

# orlika-export: a design the readers reject ends with status 1 and the reader's message;
# a wrong command line with status 2. Neither writes anything.
exports() {  # exports STATUS STDERR_PATTERN OUTPUT ARGUMENT...: the status, the message, no OUTPUT
  local status=$1 err=$2 out=$3; shift 3
  "$tools/orlika-export" "$@" >"$work/export.out" 2>"$work/export.err"
  local got=$?
  [ "$got" -eq "$status" ] || { echo "  status $got, not $status: $(cat "$work/export.err")"; return 1; }
  grep -q -e "$err" "$work/export.err" || { echo "  said: $(cat "$work/export.err")"; return 1; }
  [ -z "$out" ] || test ! -e "$out"
}
printf 'hello' > "$work/bad.ksm"
printf 'hello' > "$work/bad.pes"
check "export: a file its reader rejects" exports 1 "^orlika-export: $work/bad.ksm: Bad File Format (Not KSM Format)\$" "$work/e1.svg" "$work/bad.ksm" -o "$work/e1.svg"
check "export: the PES reader's message" exports 1 "bad.pes: Unknown Format\$" "$work/e2.png" "$work/bad.pes" -o "$work/e2.png"
check "export: a header number that is no number" exports 1 "bad.dst: ' oops' is not a valid integer value" "$work/e3.pdf" "$work/bad.dst" -o "$work/e3.pdf"
check "export: a file no reader takes" exports 1 "notes.txt: no reader takes .txt files" "$work/e4.svg" "$work/notes.txt" -o "$work/e4.svg"
check "export: a file that is not there" exports 1 "absent.dst: cannot open the file: gone" "$work/e5.svg" "$work/absent.dst" -o "$work/e5.svg"
check "export: no output" exports 2 "give the output with -o" "" "$first"
check "export: an output of another type" exports 2 "must end in .svg, .png or .pdf" "$work/e6.txt" "$first" -o "$work/e6.txt"
check "export: two designs" exports 2 "give one design file" "$work/e7.svg" "$first" "$first" -o "$work/e7.svg"
check "export: a resolution out of range" exports 2 "'5' is not a whole number from 10 to 2400" "$work/e8.png" "$first" -o "$work/e8.png" --dpi 5
check "export: a resolution for SVG" exports 2 "resolution of PNG output only" "$work/e9.svg" "$first" -o "$work/e9.svg" --dpi 600
check "export: the sheet as SVG" exports 2 "not as SVG" "$work/e10.svg" "$first" -o "$work/e10.svg" --sheet
check "export: a colour that is none" exports 2 "'nocolour' is not a colour" "$work/e11.png" "$first" -o "$work/e11.png" --background nocolour
check "export: a background for the sheet" exports 2 "not a sheet" "$work/e12.pdf" "$first" -o "$work/e12.pdf" --background white
check "export: paper that is neither A4 nor Letter" exports 2 "neither A4 nor Letter" "$work/e13.pdf" "$first" -o "$work/e13.pdf" --paper A3
check "export: paper for a picture" exports 2 "add --sheet" "$work/e14.png" "$first" -o "$work/e14.png" --landscape
check "export: an unknown option" exports 2 "Unknown option 'colour'" "$work/e15.svg" "$first" -o "$work/e15.svg" --colour red
check "export: an SVG, a PNG and a sheet of a design" bash -c "'$tools/orlika-export' '$first' -o '$work/x.svg' &&
  '$tools/orlika-export' '$first' -o '$work/x.png' && '$tools/orlika-export' '$first' -o '$work/x.pdf' | grep -q 'x.pdf: 1 page' &&
  grep -q '<svg' '$work/x.svg' && grep -q '%PDF' '$work/x.pdf' && test -s '$work/x.png'"
# A picture draws no text and starts no platform of Qt's: it is written where none can start.
check "export: an SVG and a PNG where Qt has no platform, the same bytes" bash -c "
  QT_QPA_PLATFORM=no-such-platform '$tools/orlika-export' '$first' -o '$work/np.svg' 2>/dev/null &&
  QT_QPA_PLATFORM=no-such-platform '$tools/orlika-export' '$first' -o '$work/np.png' --dpi 100 2>/dev/null &&
  cmp -s '$work/np.svg' '$work/x.svg' && '$tools/orlika-export' '$first' -o '$work/x100.png' --dpi 100 &&
  cmp -s '$work/np.png' '$work/x100.png'"
check "export: the sheet as PNG pages" bash -c "'$tools/orlika-export' '$first' -o '$work/sheet.png' --sheet --dpi 50 | grep -q 'sheet-1.png: 1 page' &&
  test -s '$work/sheet-1.png' && test ! -e '$work/sheet-2.png' && test ! -e '$work/sheet.png'"
mkdir "$work/full-export"
check "export: a sheet on a full disk fails, says why and leaves no file" bash -c "! bash -c 'trap \"\" XFSZ; ulimit -f 4; exec \"\$@\"' full '$tools/orlika-export' '$samples/spiral-threads.pes' -o '$work/full-export/s.pdf' 2>'$work/full-export.txt' && grep -q 'file too large' '$work/full-export.txt' && test -z \"\$(ls -A '$work/full-export')\""
check "export: a PNG on a full disk fails and leaves no file" bash -c "! bash -c 'trap \"\" XFSZ; ulimit -f 4; exec \"\$@\"' full '$tools/orlika-export' '$first' --dpi 1200 -o '$work/full-export/s.png' 2>/dev/null && test -z \"\$(ls -A '$work/full-export')\""

# The desktop program answers its command line without a display, opening no window.
if [ -n "$orlika" ]; then
  nodisplay() { timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$@"; }
  answers() {  # answers STATUS STDOUT_PATTERN STDERR_PATTERN ARGUMENT...: status and both outputs
    local status=$1 out=$2 err=$3; shift 3
    nodisplay "$orlika" "$@" >"$work/orlika.out" 2>"$work/orlika.err"
    local got=$?
    [ "$got" -eq "$status" ] || { echo "  status $got, not $status"; return 1; }
    if [ -n "$out" ]; then grep -q -e "$out" "$work/orlika.out"; else test ! -s "$work/orlika.out"; fi || return 1
    [ -z "$err" ] || grep -q -e "$err" "$work/orlika.err"
  }
  check "orlika --help without a display" answers 0 '^Usage: .*orlika \[options\] \[FILE\]' '' --help
  check "orlika -h lists --version" answers 0 '--version' '' -h
  check "orlika --help-all without a display lists Qt's options" answers 0 '-platform' '' --help-all
  check "orlika --version without a display" answers 0 '^orlika [0-9]' '' --version
  check "orlika: a wrong option is told with status 2" answers 2 '' "Unknown option 'colour'" --colour
  check "orlika: no display for the window is told with status 1" answers 1 '' 'no display' "$first"
fi

# A folder as users have them: entries that cannot be opened, case twins, a long name.
messy="$work/messy"
mkdir -p "$messy/y.pes"
ln -s "$messy/gone.exp" "$messy/dangling.exp"
ln -s "$messy/loop2.dst" "$messy/loop1.dst"
ln -s "$messy/loop1.dst" "$messy/loop2.dst"
mkfifo "$messy/pipe.dst"
cp "$first" "$messy/Twin.DST"
cp "$first" "$messy/Twin.dst"
cp "$first" "$messy/c1_andkoma__nautical_anchor_with_a_rope_and_chain.dst"
cp "$first" "$messy/good.dst"
minfo=$("$tools/orlika-info" --layout thumb30 "$messy")
check "info on a folder: one design per file that opens" test "$(printf '%s\n' "$minfo" | wc -l)" -eq 4
check "info on a folder: both case twins" bash -c "printf '%s\n' '$minfo' | grep -q '/Twin.DST\"' && printf '%s\n' '$minfo' | grep -q '/Twin.dst\"'"
check "info on a folder: entries that cannot be opened are skipped" bash -c "! printf '%s\n' '$minfo' | grep -q -e y.pes -e dangling -e loop -e pipe"
check "info: a long name is written shortened, keeping its end" bash -c "printf '%s\n' '$minfo' | grep -q '\"c1_andkoma[^\"]*\\.\\.\\.ain\\.dst\"'"
check "catalog of the messy folder: 4 designs on 1 page" \
  bash -c "'$tools/orlika-catalog' '$messy' -o '$work/messy.pdf' | grep -q ': 1 page'"

# A damaged design among good ones: its cell shows why, the rest of the catalog is written
# and the design is named on standard error; only --strict makes that a failure.
mkdir "$work/broken"
for name in a c d e f g; do cp "$first" "$work/broken/$name.dst"; done
printf 'ST: oops\r\x1a' > "$work/broken/b.dst"
check "a reader error does not fail the run" \
  bash -c "'$tools/orlika-catalog' '$work/broken' -o '$work/broken.pdf' >'$work/out.txt' 2>'$work/err.txt'"
check "the damaged design is told on standard error, once" \
  test "$(cat "$work/err.txt")" = "orlika-catalog: b.dst: ' oops' is not a valid integer value"
check "every page is printed" grep -q 'broken.pdf: 2 pages' "$work/out.txt"
check "the PDF holds both pages" test "$(grep -ao '/Type /Page\b' "$work/broken.pdf" | wc -l)" -eq 2
check "--strict: a reader error fails the run and the catalog is still written" \
  bash -c "'$tools/orlika-catalog' --strict '$work/broken' -o '$work/strict.pdf' 2>'$work/err.txt'; test \$? -eq 1 &&
  grep -q 'b.dst: .* is not a valid integer value' '$work/err.txt' && grep -q '%PDF' '$work/strict.pdf'"
check "--strict: a folder without damaged designs succeeds" "$tools/orlika-catalog" --strict "$first" -o "$work/s.pdf"
check "PNG pages of a folder with a damaged design" bash -c "'$tools/orlika-catalog' '$work/broken' -o '$work/broken.png' 2>/dev/null &&
  test -s '$work/broken-1.png' && test -s '$work/broken-2.png' && test ! -e '$work/broken-3.png'"

# Designs their readers refuse are failed designs as much: each is named on standard error
# with its cell's text, and --strict counts them.
mkdir "$work/refused"
cp "$samples/star.dst" "$work/refused/"
head -c 513 "$samples/star.ksm" > "$work/refused/cut.ksm"
head -c 100 "$samples/star.vp3" > "$work/refused/cut.vp3"
cp "$samples/star.shv" "$work/refused/unsigned.shv"
printf 'X' | dd of="$work/refused/unsigned.shv" bs=1 conv=notrunc status=none
check "refused designs do not fail the run" \
  bash -c "'$tools/orlika-catalog' '$work/refused' -o '$work/refused.pdf' >/dev/null 2>'$work/err.txt'"
check "each refused design is named on standard error with its cell's text" \
  test "$(cat "$work/err.txt")" = "$(printf '%s\n' 'orlika-catalog: cut.ksm: Bad File Format (Not KSM Format)' \
    'orlika-catalog: cut.vp3: Bad Format' 'orlika-catalog: unsigned.shv: Unknown Format')"
check "--strict: refused designs fail the run and the catalog is still written" \
  bash -c "'$tools/orlika-catalog' --strict '$work/refused' -o '$work/refused-strict.png' >/dev/null 2>&1; test \$? -eq 1 &&
  test -s '$work/refused-strict-1.png'"

# A failed run leaves no file behind, and an older catalog of that name untouched.
echo "older" > "$work/old.pdf"
check "a run that finds no design fails" bash -c "! '$tools/orlika-catalog' '$work/empty' -o '$work/old.pdf' 2>/dev/null"
check "an older file is left untouched" grep -q older "$work/old.pdf"
check "no PNG pages of a failed run" bash -c "! '$tools/orlika-catalog' '$work/empty' -o '$work/empty.png' 2>/dev/null && ! ls '$work'/empty-*.png >/dev/null 2>&1"
check "a missing folder for the output is told and leaves nothing" \
  bash -c "'$tools/orlika-catalog' '$samples' -o '$work/no/such/x.pdf' 2>&1 | grep -q 'cannot write' && test ! -e '$work/no'"

# A full disk: files may not grow past 20 KB, and the write that would fails instead of
# killing the tool. The run fails, says why, and leaves no partial file or page.
fails_on_full_disk() {  # fails_on_full_disk STDERR_FILE COMMAND...
  local err=$1; shift
  ! bash -c 'trap "" XFSZ; ulimit -f 20; exec "$@"' full "$@" 2>"$err"
}
mkdir "$work/full-pdf" "$work/full-png"
check "PDF on a full disk fails" fails_on_full_disk "$work/full-pdf.txt" "$tools/orlika-catalog" "$samples" -o "$work/full-pdf/x.pdf"
check "PDF on a full disk is told" grep -q "x.pdf: file too large" "$work/full-pdf.txt"
check "PDF on a full disk leaves no file" test -z "$(ls -A "$work/full-pdf")"
check "PNG on a full disk fails" fails_on_full_disk "$work/full-png.txt" "$tools/orlika-catalog" "$samples" -o "$work/full-png/x.png"
check "PNG on a full disk is told" grep -q "cannot write .*x-1.png: file too large" "$work/full-png.txt"
check "PNG on a full disk leaves no page" test -z "$(ls -A "$work/full-png")"
mkdir "$work/full-thumb"
check "a thumbnail on a full disk fails, says why and leaves no file" bash -c "! bash -c 'trap \"\" XFSZ; ulimit -f 20; exec \"\$@\"' full '$tools/orlika-thumbnailer' -s 2000 '$first' '$work/full-thumb/t.png' 2>'$work/full-thumb.txt' && grep -q 'file too large' '$work/full-thumb.txt' && test -z \"\$(ls -A '$work/full-thumb')\""

# Finding designs in a tree through the index, kept in the test's own cache folder.
export XDG_CACHE_HOME="$work/cache"
tree="$work/tree"
mkdir -p "$tree/shop/old" "$tree/words"
cp "$samples/star.dst" "$samples/circle.dst" "$tree/"
cp "$samples/star.pes" "$tree/shop/"
cp "$samples/star.dst" "$tree/shop/old/Copy of star.dst"
cp "$samples/sewing-words.dst" "$tree/words/"
: > "$tree/notes.txt"
(cd "$samples" && zip -q "$tree/pack.zip" star.exp)
archive=" pack.zip//star.exp"
found() {  # found ARGUMENT...: the paths orlika-find prints, under the tree, sorted, on one line
  "$tools/orlika-find" "$tree" "$@" | sed "s|^$tree/||" | sort | tr '\n' ' ' | sed 's/ $//'
}
sorted() { printf '%s\n' "$@" | sort | tr '\n' ' ' | sed 's/ $//'; }
check "find: every design of the tree" test "$(found)" = "$(sorted circle.dst star.dst 'shop/old/Copy of star.dst' shop/star.pes words/sewing-words.dst $archive)"
check "find: --name, letters in any case" test "$(found --name 'STAR*')" = "$(sorted star.dst shop/star.pes $archive)"
check "find: --format" test "$(found --format PES)" = "shop/star.pes"
check "find: --fits, either way round" test "$(found --fits 100x130)" = "$(found --fits 130x100)"
check "find: --fits leaves out what is too wide" test "$(found --fits 4x4in)" = "$(sorted circle.dst star.dst 'shop/old/Copy of star.dst' shop/star.pes $archive)"
check "find: --width" test "$(found --width 100:)" = "words/sewing-words.dst"
check "find: --height" test "$(found --height 60:70)" = "circle.dst"
check "find: --stitches" test "$(found --stitches 1400:1500)" = "circle.dst"
check "find: --colors, the changes between threads the stitches sew" test "$(found --colors 8)" = "words/sewing-words.dst"
check "find: --thread" test "$(found --thread yellow)" = "shop/star.pes"
check "find: filters together" test "$(found --name 'star*' --format dst)" = "star.dst"
check "find: --duplicates groups the star, not the circle" test "$("$tools/orlika-find" "$tree" --duplicates | grep -v '^# ' | sed "s|^$tree/||" | sort | tr '\n' ' ' | sed 's/ $//')" = "$(sorted star.dst 'shop/old/Copy of star.dst' shop/star.pes $archive)"
check "find: --duplicates says what each group is" test "$("$tools/orlika-find" "$tree" --duplicates | grep '^# ')" = "# group 1: same stitches: DST, EXP, PES"
check "find: --json --duplicates preselects only the byte copy" bash -c "'$tools/orlika-find' '$tree' --duplicates --json | grep '\"preselected\":true' |
  grep -q '\"copy_of\":\"$tree/star.dst\".*\"kind\":\"identical\".*\"path\":\"$tree/shop/old/Copy of star.dst\"' &&
  test \$('$tools/orlika-find' '$tree' --duplicates --json | grep -c '\"preselected\":false') -eq 3 &&
  test \$('$tools/orlika-find' '$tree' --duplicates --json | grep -c '\"kind\":\"same stitches\"') -eq 2"
check "find: --json, one object a line with the figures" bash -c "'$tools/orlika-find' '$tree' --name circle.dst --json | grep -q '^{.*\"path\":\"$tree/circle.dst\".*\"stitches\":1474'"
check "find: --json gives the sewing time and thread at 600 stitches a minute" bash -c "'$tools/orlika-find' '$tree' --name circle.dst --json | grep -q '\"sew_minutes\":3.1,.*\"thread_m\":5.39'"
check "find: --json --duplicates gives the group" bash -c "test \$('$tools/orlika-find' '$tree' --duplicates --json | grep -c '\"group\":1') -ge 3"
check "find: exit 0 with matches" bash -c "'$tools/orlika-find' '$tree' --format dst >/dev/null"
check "find: exit 1 and nothing printed without" bash -c "out=\$('$tools/orlika-find' '$tree' --name 'zzz*'); test \$? -eq 1 && test -z \"\$out\""
check "find: exit 2 for a wrong value" bash -c "'$tools/orlika-find' '$tree' --width abc 2>&1 >/dev/null | grep -q -- '--width takes'; test \${PIPESTATUS[0]} -eq 2"
check "find: exit 2 without a folder" bash -c "'$tools/orlika-find' 2>/dev/null; test \$? -eq 2"
check "find: exit 2 for a file as the tree" bash -c "'$tools/orlika-find' '$tree/star.dst' 2>/dev/null; test \$? -eq 2"
check "find: the index is in the cache folder" test -s "$work/cache/orlika/index.sqlite"
# An archive that cannot be read is named, not passed over in silence.
head -c 100 "$tree/pack.zip" > "$tree/shop/cut.zip"
check "find: an archive it cannot read is named on standard error, the rest is found" \
  bash -c "test \"\$('$tools/orlika-find' '$tree' --format pes 2>'$work/err.txt')\" = '$tree/shop/star.pes' &&
  test \"\$(cat '$work/err.txt')\" = 'orlika-find: $tree/shop/cut.zip: the archive is cut short: the list of its entries at its end is missing'"
rm "$tree/shop/cut.zip"
check "catalog: the designs that fit a hoop, titled by the query" bash -c "'$tools/orlika-catalog' '$tree' --fits 100x100 -o '$work/fits.pdf' | grep -q ': 1 page' &&
  pdftotext '$work/fits.pdf' - | grep -q '^fits 100 x 100 mm' && ! pdftotext '$work/fits.pdf' - | grep -q sewing-words"
check "catalog: duplicates with their group" bash -c "'$tools/orlika-catalog' '$tree' --duplicates -o '$work/dup.pdf' >/dev/null &&
  test \$(pdftotext '$work/dup.pdf' - | grep -c 'Duplicates: group 1') -ge 3"
check "catalog: no match is exit 1 and no file" bash -c "'$tools/orlika-catalog' '$tree' --name 'zzz*' -o '$work/none.pdf' 2>/dev/null; test \$? -eq 1 && test ! -e '$work/none.pdf'"
check "catalog: a wrong filter is exit 2" bash -c "'$tools/orlika-catalog' '$tree' --stitches x -o '$work/x.pdf' 2>/dev/null; test \$? -eq 2"
check "catalog: --subfolders shows the whole tree" bash -c "'$tools/orlika-catalog' '$tree' --subfolders -o '$work/tree.pdf' >/dev/null &&
  pdftotext '$work/tree.pdf' - | grep -q sewing-words.dst"
unset XDG_CACHE_HOME

# Converting for a machine: a line a design written, the reasons on standard error.
mkdir "$work/usb"
check "convert: two designs written, one path a line, exit 0" bash -c "test \"\$('$tools/orlika-convert' --to dst -o '$work/usb' '$samples/star.pes' '$samples/circle.jef')\" = \"$work/usb/star.dst
$work/usb/circle.dst\""
check "convert: the written DST has the size of the design it came from" bash -c "'$tools/orlika-info' '$work/usb/star.dst' | grep -q '\"error\":null.*\"Size: 76.0 x 72.4 mm\"'"
check "convert: an existing name is kept, the design named with the reason, exit 1" bash -c "cp '$work/usb/star.dst' '$work/star-before.dst';
  '$tools/orlika-convert' --to dst -o '$work/usb' '$samples/star.jef' 2>'$work/err.txt' >/dev/null; test \$? -eq 1 &&
  grep -q '^orlika-convert: $samples/star.jef: .*star.dst exists already' '$work/err.txt' && cmp -s '$work/usb/star.dst' '$work/star-before.dst'"
check "convert: a design from an archive" bash -c "'$tools/orlika-convert' --to exp -o '$work/usb' '$tree/pack.zip//star.exp' | grep -q '/usb/star.exp$'"
check "convert: --pes-version for another format is exit 2" bash -c "'$tools/orlika-convert' --to dst --pes-version 6 -o '$work/usb' '$samples/star.pes' 2>/dev/null; test \$? -eq 2"
check "convert: --list-profiles names the machines" bash -c "'$tools/orlika-convert' --list-profiles | grep -q '^tajima-400x400 *Tajima DST, 400 x 400 mm$'"
check "convert: exit 2 for an unknown format or no design" bash -c "'$tools/orlika-convert' --to abc x.dst 2>/dev/null; test \$? -eq 2 &&
  '$tools/orlika-convert' --to dst 2>/dev/null; test \$? -eq 2"
check "convert: nothing temporary left behind" bash -c "test -z \"\$(ls -A '$work/usb' | grep '^\\.')\""

passed=$((checks - failures))
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
