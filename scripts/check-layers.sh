#!/usr/bin/env bash
# Checks that every folder includes only itself and the folders below it:
#   base  <-  ui, net, skin  <-  compose  <-  app, bench
# Prints each include that looks upward or sideways and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

allowed() {
  case "$1" in
    base) echo "base" ;;
    ui | net | skin) echo "base $1" ;;
    compose) echo "base ui compose" ;;
    app | bench) echo "base ui net skin compose app assets" ;;
  esac
}

status=0
while IFS=: read -r file line text; do
  folder=${file%%/*}
  target=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$text")
  if ! grep -qw -- "$target" <<<"$(allowed "$folder")"; then
    echo "$file:$line includes $target/, above or beside $folder/" >&2
    status=1
  fi
done < <(git grep -n -E '^#include "[a-z_]+/' -- 'base/*' 'ui/*' 'net/*' 'skin/*' 'compose/*' \
  'app/*' 'bench/*')
exit $status
