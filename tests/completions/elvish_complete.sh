#!/usr/bin/env bash
# Prints, one per line, what an elvish completion script offers for a command line. The editor
# (and so the completer table) exists only in an interactive elvish, so this runs one on a
# pseudo-terminal and calls the registered completer with the line's words.
# Usage: elvish_complete.sh SCRIPT LINE
set -eu
script=$1 line=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
read -ra words <<<"$line"
[[ "$line" == *" " ]] && words+=("")
quoted=""
for word in "${words[@]}"; do
  quoted+=" '${word//\'/\'\'}'"
done
cat >"$work/rc.elv" <<ELV
eval (slurp < '$script')
for c [(\$edit:completion:arg-completer[${words[0]}]$quoted)] { echo \$c[stem] >> '$work/out' }
exit 0
ELV
touch "$work/out"
HOME=$work timeout 20 script -qec "elvish -rc '$work/rc.elv'" /dev/null >/dev/null
cat "$work/out"
