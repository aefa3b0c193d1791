#!/usr/bin/env bash
# Gives the printing tests a real spooler: starts cupsd when it is not running
# and adds the cups-pdf queue "zqbp-pdf" (writing into /var/spool/zqbp-pdf)
# when it is absent. Idempotent and quick when everything is in place. Without
# the rights to do so it says why and leaves the tests to skip their spooler
# cases (they then print to the PDF target only).
set -uo pipefail

QUEUE=zqbp-pdf
INSTANCE=zqbp
OUT=/var/spool/zqbp-pdf
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if sudo -n true 2>/dev/null; then
    SUDO="sudo -n"
  else
    echo "spooler-setup: not root and no sudo; the spooler tests will be skipped" >&2
    exit 0
  fi
fi

if ! command -v cupsd >/dev/null || [ ! -x /usr/lib/cups/backend/cups-pdf ] || [ ! -f "$PPD" ]; then
  echo "spooler-setup: cups or printer-driver-cups-pdf missing; the spooler tests will be skipped" >&2
  exit 0
fi

running() { lpstat -r 2>/dev/null | grep -q "is running"; }

if ! running; then
  $SUDO cupsd || { echo "spooler-setup: cupsd did not start" >&2; exit 0; }
  for _ in $(seq 1 50); do running && break; sleep 0.1; done
  running || { echo "spooler-setup: cupsd is not answering" >&2; exit 0; }
fi

# The instance's own settings: every job labelled with its id, files readable.
CONF=/etc/cups/cups-pdf-$INSTANCE.conf
WANT=$(printf 'Out %s\nAnonDirName %s\nLabel 1\nUserUMask 0022\nAnonUMask 0022\nGrp lp\n' "$OUT" "$OUT")
if [ ! -f "$CONF" ] || [ "$(cat "$CONF")" != "$WANT" ]; then
  printf '%s\n' "$WANT" | $SUDO tee "$CONF" >/dev/null
fi
$SUDO mkdir -p "$OUT"
$SUDO chmod 1777 "$OUT"

if ! lpstat -p "$QUEUE" >/dev/null 2>&1; then
  $SUDO lpadmin -p "$QUEUE" -E -v "cups-pdf:/$INSTANCE" -P "$PPD" -o printer-error-policy=abort-job 2>/dev/null \
    || { echo "spooler-setup: could not add the queue $QUEUE" >&2; exit 0; }
fi
$SUDO cupsenable "$QUEUE" 2>/dev/null || true
$SUDO cupsaccept "$QUEUE" 2>/dev/null || true
echo "spooler-setup: queue $QUEUE ready, files in $OUT"
