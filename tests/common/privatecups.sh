#!/usr/bin/env bash
# Runs a private CUPS scheduler for a test, apart from the machine's own print setup: its own
# configuration, spool, cache, state and log folders and its own socket, all in one temporary
# folder, and no network listener. cups-pdf (the virtual PDF printer) writes into that folder.
#
# Prints "key=value" lines (socket, device, output), then "ready", and runs until its standard
# input closes, which also happens when the test that started it dies. It then stops the
# scheduler and removes the folder. Where the machine cannot run it (packages missing, not root)
# it prints "skip=<why>"; when the scheduler fails to start all the same, "error=<why>".
#
# cups-pdf reads its settings from /etc/cups/cups-pdf-<instance>.conf, a fixed folder. Where a
# mount namespace can be made, the scheduler sees the private configuration folder in place of
# /etc/cups. Elsewhere (a container without CAP_SYS_ADMIN) the one uniquely named settings file
# goes into the real /etc/cups for as long as the scheduler runs.
set -uo pipefail

skip() {
    echo "skip=$*"
    exit 0
}

missing=()
for tool in cupsd lpadmin lpstat; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -e /usr/lib/cups/backend/cups-pdf ] || missing+=("cups-pdf")
[ ${#missing[@]} -eq 0 ] ||
    skip "${missing[*]} not found (packages cups-daemon, cups-client, printer-driver-cups-pdf)"
# The cups-pdf backend refuses to run unless the scheduler starts it as root.
[ "$(id -u)" -eq 0 ] || skip "the cups-pdf backend runs only under a scheduler started as root"

root=$(mktemp -d "${TMPDIR:-/tmp}/k5-cups.XXXXXX") || skip "no temporary folder"
instance=$(basename "$root")
shared_conf=""
cupsd_pid=""
cleanup() {
    if [ -n "$cupsd_pid" ]; then
        kill -TERM "$cupsd_pid" 2>/dev/null
        wait "$cupsd_pid" 2>/dev/null
    fi
    [ -n "$shared_conf" ] && rm -f "$shared_conf"
    rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# The filters run as lp: they must reach the spool through the folder.
chmod 755 "$root"
mkdir -p "$root"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log,out,pdf-spool}
chgrp lp "$root/spool" "$root/spool/tmp"
chmod 710 "$root/spool"
chmod 1770 "$root/spool/tmp"

cat >"$root/etc/cups-files.conf" <<EOF
ServerRoot $root/etc
ServerKeychain $root/etc/ssl
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
Printcap $root/state/printcap
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
User lp
Group lp
SystemGroup root
EOF
cat >"$root/etc/cupsd.conf" <<EOF
Listen $root/cups.sock
Browsing No
BrowseLocalProtocols none
WebInterface No
LogLevel info
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$root/etc/cups-pdf-$instance.conf" <<EOF
Out $root/out
AnonDirName $root/out
Spool $root/pdf-spool
Log $root/log
Grp root
EOF

cupsd_args=(-f -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf")
# The same bind mount, tried in a namespace of its own that ends at once: a container may allow
# the namespace but not the mount.
if unshare --mount --propagation private mount --bind "$root/etc" /etc/cups 2>/dev/null; then
    # exec keeps one process from unshare to cupsd, so that stopping it stops the scheduler.
    # shellcheck disable=SC2016 # $1 and $@ are the inner shell's
    unshare --mount --propagation private -- sh -c \
        'mount --bind "$1" /etc/cups && shift && exec cupsd "$@"' sh "$root/etc" "${cupsd_args[@]}" \
        >>"$root/log/cupsd.out" 2>&1 </dev/null &
else
    shared_conf=/etc/cups/cups-pdf-$instance.conf
    cp "$root/etc/cups-pdf-$instance.conf" "$shared_conf" || skip "cannot write $shared_conf"
    cupsd "${cupsd_args[@]}" >>"$root/log/cupsd.out" 2>&1 </dev/null &
fi
cupsd_pid=$!

export CUPS_SERVER=$root/cups.sock
for _ in $(seq 100); do
    lpstat -r 2>/dev/null | grep -qv not && break
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.1
done
if ! lpstat -r 2>/dev/null | grep -qv not; then
    echo "error=the private scheduler did not start: $(cat "$root/log/cupsd.out" \
        "$root/log/error_log" 2>/dev/null | tail -n 5 | tr '\n' ' ')"
    exit 1
fi

echo "socket=$root/cups.sock"
echo "device=cups-pdf:/$instance"
echo "output=$root/out"
echo "ready"
# Until the test closes its end of the pipe, or dies.
cat >/dev/null
