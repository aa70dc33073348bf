#!/usr/bin/env bash
# Prints, one per line, what a bash completion script offers for a command line, by calling
# its completion function the way bash's programmable completion does, with bash-completion
# loaded. Usage: bash_complete.sh SCRIPT LINE
set -u
script=$1 line=$2
source /usr/share/bash-completion/bash_completion
source "$script"
read -ra COMP_WORDS <<<"$line"
[[ "$line" == *" " ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
COMP_LINE=$line
COMP_POINT=${#line}
COMPREPLY=()
function=$(complete -p "${COMP_WORDS[0]}" | sed -E 's/.*-F ([^ ]+).*/\1/')
"$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
