#!/usr/bin/env zsh
# Prints, one per line, what zsh's completion system offers for a command line, by typing it
# plus Tab into an interactive zsh on a pseudo-terminal with the script under test loaded.
# Usage: zsh_complete.zsh SCRIPT LINE DUMP
# DUMP names compinit's dump, kept between runs: building it scans every completion function
# installed (most of a run's time), and the script under test is not in it.
zmodload zsh/zpty

script=$1 line=$2 dump=$3-$ZSH_VERSION
work=$(mktemp -d)
out=$work/matches

zpty shell env -i HOME=$work TERM=dumb PATH=$PATH zsh -f -i
if [[ -s $dump ]]; then
  zpty -w shell "autoload -Uz compinit && compinit -C -d ${(q)dump}"
else
  # Built aside and renamed into place, so a run started alongside never reads half a dump.
  zpty -w shell "autoload -Uz compinit && compinit -u -d $work/zcompdump"
  zpty -w shell "mv -f $work/zcompdump ${(q)dump}"
fi
zpty -w shell "source ${(q)script}"
# Record the matches the completion functions add, then let compadd do its job. Calls that
# only collect or test matches (-O, -A, -D) add nothing and are passed straight on.
zpty -w shell 'compadd() {
  if [[ ${@[(I)-[OAD]*]} -eq 0 ]]; then
    local -a found; builtin compadd -O found "$@"; print -rl -- $found >> '${(q)out}'
  fi
  builtin compadd "$@"
}'
# The editor handles keys in order, so a key typed after Tab runs once completion has ended.
# Listing the matches could stop to ask first and take that key as the answer: no listing.
zpty -w shell "finished() { : > ${(q)work}/finished }; zle -N finished; bindkey '^X^F' finished"
zpty -w shell "unsetopt auto_list list_ambiguous; touch ${(q)work}/ready"
for i in {1..500}; do [[ -e $work/ready ]] && break; sleep 0.01; done
zpty -w -n shell "$line"$'\t\C-x\C-f'
for i in {1..1000}; do [[ -e $work/finished ]] && break; sleep 0.01; done
zpty -d shell
[[ -e $out ]] && sort -u $out | grep -v "^$"
rm -rf $work
