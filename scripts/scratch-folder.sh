#!/usr/bin/env bash
# Sourced. The scripts' own folders (Wine prefixes, work and output folders) are marked when
# they make them, so that a folder a caller names by mistake (a home folder, a real Wine
# prefix) is refused rather than filled, emptied or deleted.

TV_SCRATCH_MARK=.tarmveilon-scratch

# scratch_folder <path>: takes <path> for the calling script when it does not exist, is empty,
# or was marked by one of these scripts before; refuses it otherwise (message, status 1).
scratch_folder() {
  local dir=$1
  if [ -L "$dir" ] || { [ -e "$dir" ] && [ ! -d "$dir" ]; }; then
    echo "refused: $dir is not a folder of its own" >&2
    return 1
  fi
  if [ -d "$dir" ] && [ ! -f "$dir/$TV_SCRATCH_MARK" ] && [ -n "$(ls -A "$dir")" ]; then
    echo "refused: $dir already holds files that these scripts did not make; name a new or empty folder" >&2
    return 1
  fi
  mkdir -p "$dir" && : >"$dir/$TV_SCRATCH_MARK"
}
