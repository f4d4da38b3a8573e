#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry and the AppStream metadata pass their validators with no error.
# desktop-file-validate exits 0 on some errors, so its output is read as well.
set -uo pipefail
desktop="$1"
metainfo="$2"
status=0

out="$(desktop-file-validate "$desktop" 2>&1)" || status=1
if grep -qi "error" <<<"$out"; then status=1; fi
[ -n "$out" ] && echo "$out"

out="$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1)" || status=1
echo "$out"
# E: errors and W: warnings fail; the pedantic notes (P:) and infos (I:) are only shown.
if grep -qE "^(E|W):" <<<"$out"; then status=1; fi
exit $status
