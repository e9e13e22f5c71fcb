#!/usr/bin/env bash
# Prints from the real window through a real print server: starts a private cupsd
# (configuration, spool and logs under build/cups/, nothing of the system's own CUPS
# touched), adds two queues and runs the CUPS tests against it:
#   orlika-pdf        the default queue; each job's PDF is written to
#                     build/cups/out/orlika-pdf.pdf (a file device behind the CUPS-PDF
#                     printer description)
#   orlika-rejecting  disabled (cupsdisable) and rejecting jobs (cupsreject)
# The server is stopped on the way out, also when a test fails. Where cupsd cannot
# start at all the tests are skipped, and the output says so.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh cups printer-driver-cups-pdf
cmake --preset default >/dev/null
cmake --build --preset default --target orlika_cups_tests

if [ "$(id -u)" -ne 0 ]; then
  echo "CUPS tests SKIPPED: the private cupsd runs its queues as root; run this as root."
  exit 0
fi

root=$PWD/build/cups
pid=
stop_server() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  fi
}
trap stop_server EXIT

rm -rf "$root"
mkdir -p "$root"/{conf,cache,state,log,out,spool/tmp}
chmod 0755 "$root" "$root"/conf "$root"/out
# The scheduler's filters run as lp: they read the spool and write in its temp folder.
chgrp lp "$root"/spool && chmod 0710 "$root"/spool
chmod 1777 "$root"/spool/tmp
cat >"$root"/conf/cups-files.conf <<EOF
ServerRoot $root/conf
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
FileDevice Yes
SystemGroup root
User lp
Group lp
Sandboxing relaxed
EOF
cat >"$root"/conf/cupsd.conf <<EOF
LogLevel info
Listen $root/cups.sock
Browsing No
WebInterface No
<Location />
  Order allow,deny
  Allow localhost
</Location>
EOF

export CUPS_SERVER=$root/cups.sock
unset PRINTER LPDEST
cupsd -f -c "$root"/conf/cupsd.conf -s "$root"/conf/cups-files.conf >"$root"/log/cupsd.out 2>&1 &
pid=$!
for _ in $(seq 100); do
  lpstat -r >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if ! lpstat -r >/dev/null 2>&1; then
  echo "CUPS tests SKIPPED: the private cupsd did not start:"
  sed 's/^/  /' "$root"/log/cupsd.out "$root"/log/error_log 2>/dev/null | tail -n 20
  exit 0
fi
echo "private cupsd running (pid $pid), CUPS_SERVER=$CUPS_SERVER"

# The CUPS-PDF backend reads its settings from /etc/cups only and writes into home
# folders, so the queues keep CUPS-PDF's printer description (paper sizes) but write
# their PDF to a file: pdftopdf's output goes straight to the device.
ppd=$root/conf/orlika-pdf.ppd
sed 's|^\*% cupsFilter:.*|*cupsFilter: "application/vnd.cups-pdf 0 -"|' \
  /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd >"$ppd"
grep -q '^\*cupsFilter: "application/vnd.cups-pdf 0 -"' "$ppd"
add_queue() {  # add_queue NAME
  # lpadmin warns that printer drivers are deprecated; the warning is expected.
  lpadmin -p "$1" -E -v "file://$root/out/$1.pdf" -P "$ppd" 2>/dev/null
}
add_queue orlika-pdf
add_queue orlika-rejecting
lpadmin -d orlika-pdf
cupsdisable -r "Out of paper (test queue)" orlika-rejecting
cupsreject -r "Out of paper (test queue)" orlika-rejecting
lpstat -p -a -d | sed 's/^/  /'

status=0
ORLIKA_CUPS_OUTPUT=$root/out QT_QPA_PLATFORM=offscreen build/tests/orlika_cups_tests || status=$?

echo "jobs the private cupsd completed:"
lpstat -W completed -o | sort -V | sed 's/^/  /'
echo "requests it refused:"
grep -h 'not-accepting-jobs' "$root"/log/access_log | sed 's/^/  /' || echo "  none"
exit "$status"
