#!/usr/bin/env bash
# Prints, one per line, what fish offers for a command line with a completion script loaded.
# Usage: fish_complete.sh SCRIPT LINE
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home fish --no-config -c 'source $argv[1]; complete -C $argv[2] | string replace -r "\t.*" ""' "$1" "$2"
