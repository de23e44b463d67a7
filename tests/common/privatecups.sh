#!/usr/bin/env bash
# Runs a test program with a private CUPS scheduler, apart from the machine's own print setup:
# its own configuration, spool, cache, state and log folders and its own socket, all in one
# temporary folder, K5_CUPS_FOLDER, and no network listener. The program reaches it through
# CUPS_SERVER. Queues of the virtual PDF printer (device cups-pdf:/<the folder's name>) write
# their PDFs into out/, and the scheduler logs each finished job in log/page_log as
# "<id> total <title>". Exits 77 (skipped) where the machine cannot run it, saying why.
set -uo pipefail

# The cups-pdf backend refuses to run unless the scheduler starts it as root.
[ "$(id -u)" -eq 0 ] ||
    { echo "skipped: the cups-pdf backend runs only under a scheduler started as root"; exit 77; }
for tool in cupsd lpadmin lpstat /usr/lib/cups/backend/cups-pdf; do
    command -v "$tool" >/dev/null ||
        { echo "skipped: $tool missing (scripts/install-deps.sh installs it)"; exit 77; }
done

root=$(mktemp -d "${TMPDIR:-/tmp}/k5-cups.XXXXXX") || exit 1
# cups-pdf reads the settings of its instance from a fixed folder; this instance's file, named
# after the folder, lies there while the scheduler runs.
settings=/etc/cups/cups-pdf-$(basename "$root").conf
cupsd=""
trap '[ -n "$cupsd" ] && kill "$cupsd" && wait "$cupsd"; rm -rf "$root" "$settings"' EXIT
trap 'exit 1' HUP INT TERM

# The filters run as lp: they must reach the spool through the folder.
chmod 755 "$root"
mkdir -p "$root"/{etc/ppd,spool/tmp,cache,state,log,out,pdf-spool}

cat >"$root/etc/cups-files.conf" <<END
ServerRoot $root/etc
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
Printcap $root/state/printcap
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
END
cat >"$root/etc/cupsd.conf" <<END
Listen $root/cups.sock
Browsing No
PageLogFormat %j %P %{job-name}
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
END
cat >"$settings" <<END || exit 1
Out $root/out
AnonDirName $root/out
Spool $root/pdf-spool
Log $root/log
Grp root
END

cupsd -f -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf" >"$root/log/cupsd.out" 2>&1 \
    </dev/null &
cupsd=$!
export CUPS_SERVER=$root/cups.sock
running() { lpstat -r 2>/dev/null | grep -q "is running"; }
for _ in $(seq 100); do running && break; sleep 0.1; done
running || { echo "the private scheduler did not start:"; tail -n 5 "$root"/log/{cupsd.out,error_log}; exit 1; }
K5_CUPS_FOLDER=$root "$@"
