#!/usr/bin/env bash
# Writes the fuzz seeds that sit at the loaders' limits, too large to keep
# in the repository: text scripts at 2,048 commands and at 32,766 events
# (alone and together), binary recordings of 32,766 whole records with a
# short one behind and of 32,767 records.
#   make_limit_seeds.sh FOLDER     (FOLDER/text and FOLDER/binary)
set -euo pipefail
out=$1
mkdir -p "$out/text" "$out/binary"

# $2 copies of the line $1 (given without its line end).
lines() { awk -v line="$1" -v n="$2" 'BEGIN { for (i = 0; i < n; i++) printf "%s\r\n", line }'; }

lines 'WAIT 1 second' 2050 >"$out/text/commands_past_limit.mrx"
lines 'message= paramH= paramL=' 32767 >"$out/text/events_past_limit.mrx"
{ lines 'TYPE x{enter}' 2047; lines 'message=256 paramH=0 paramL=' 30720; } \
    >"$out/text/full_table_and_list.mrx"
head -c $((20 * 32766 + 7)) /dev/zero | tr '\0' '\1' >"$out/binary/limit_and_a_short_record.mrl"
head -c $((20 * 32767)) /dev/zero >"$out/binary/one_past_limit.mrl"
