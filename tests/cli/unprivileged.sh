#!/usr/bin/env bash
# Runs a test as an unprivileged user when started as root, for the cases that root's privileges
# would hide (a device without permission). Exits 77 (skipped) when that is not possible here.
set -u
test_binary=$1; shift
[ "$(id -u)" -eq 0 ] || exec "$test_binary" "$@"
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
command -v setpriv >/dev/null || { echo "setpriv is missing"; exit 77; }
"${as_nobody[@]}" test -x "$test_binary" || { echo "the test is out of an unprivileged user's reach"; exit 77; }
home=$(mktemp -d)
chown 65534:65534 "$home"
trap 'rm -rf "$home"' EXIT
"${as_nobody[@]}" env HOME="$home" XDG_RUNTIME_DIR="$home" TMPDIR="$home" "$test_binary" "$@"
