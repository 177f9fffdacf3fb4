#!/usr/bin/env bash
# Runs zkuidemo --screenshots and checks what it printed and pictured. Without a display the
# test is skipped (scripts/test.sh provides one).
#   ui_demo_tour.sh <zkuidemo> <folder for the pictures>
set -u
demo=$1 out=$2
if [ -z "${DISPLAY:-}" ]; then echo "no display: skipped"; exit 77; fi
rm -rf "$out"
output=$("$demo" --screenshots "$out") || { echo "zkuidemo failed: $output"; exit 1; }
case "$output" in
  *"accepted: name 'weekly full', count 64"*) ;;
  *) echo "unexpected output: $output"; exit 1 ;;
esac
for shot in 01-dialog 02-refusal 03-box-kind1 03-box-kind2 03-box-kind3 03-box-kind4 \
            04-after-boxes; do
  [ -s "$out/$shot.png" ] || { echo "missing picture $shot.png"; exit 1; }
done
err=$("$demo" --bogus 2>&1 >/dev/null); rc=$?
if [ $rc -ne 2 ] || [[ "$err" != *"'--bogus'"* ]]; then echo "bad argument gave $rc: $err"; exit 1; fi
"$demo" --help | grep -q '^usage: zkuidemo' || { echo "no usage on --help"; exit 1; }
echo "tour passed"
