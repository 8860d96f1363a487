#!/bin/sh
# A whole session of the built program under valgrind's memcheck: any memory error or
# definitely lost block fails it.
# Usage: memcheck.sh VALGRIND SA_DEMO
set -eu
printf '1\n2\n2\n1\n2\n0\n' |
  "$1" --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
    "$2" >/dev/null
