#!/usr/bin/env zsh
# Prints, one per line, what zsh's completion system offers for a command line, by typing it
# plus Tab into an interactive zsh on a pseudo-terminal with the script under test loaded.
# Usage: zsh_complete.zsh SCRIPT LINE
zmodload zsh/zpty

script=$1 line=$2
work=$(mktemp -d)
out=$work/matches

zpty shell env -i HOME=$work TERM=dumb PATH=$PATH zsh -f -i
zpty -w shell "autoload -Uz compinit && compinit -u -d $work/zcompdump"
zpty -w shell "source ${(q)script}"
# Record the matches the completion functions add, then let compadd do its job. Calls that
# only collect or test matches (-O, -A, -D) add nothing and are passed straight on.
zpty -w shell 'compadd() {
  if [[ ${@[(I)-[OAD]*]} -eq 0 ]]; then
    local -a found; builtin compadd -O found "$@"; print -rl -- $found >> '${(q)out}'
  fi
  builtin compadd "$@"
}'
zpty -w shell "touch ${(q)work}/ready"
for i in {1..100}; do [[ -e $work/ready ]] && break; sleep 0.05; done
zpty -w -n shell "$line"$'\t'
for i in {1..60}; do [[ -s $out ]] && break; sleep 0.05; done
sleep 0.3
zpty -d shell
[[ -e $out ]] && sort -u $out | grep -v "^$"
rm -rf $work
