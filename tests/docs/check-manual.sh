#!/usr/bin/env bash
# The manuals as a reader gets them: each PDF exists, has pages, and carries
# the title and every chapter title of its Markdown source as text (so it can
# be searched, and no chapter got lost on the way).
# Usage: check-manual.sh BIN_DIR MANUAL_DIR
set -euo pipefail
bin=$1
manual=$2
fail=0
for entry in en:BRELVANTOR_ENU.pdf de:BRELVANTOR_DEU.pdf; do
  source=$manual/${entry%%:*}.md
  pdf=$bin/${entry#*:}
  if [ ! -s "$pdf" ]; then echo "FAIL: $pdf missing"; fail=1; continue; fi
  pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
  text=$(pdftotext -layout "$pdf" - | tr -s ' ')
  echo "$(basename "$pdf"): $pages pages, $(wc -c <"$pdf") bytes"
  if [ "${pages:-0}" -lt 2 ]; then echo "FAIL: $pdf has ${pages:-no} pages"; fail=1; fi
  while IFS= read -r heading; do
    if ! grep -qF -- "$heading" <<<"$text"; then
      echo "FAIL: $(basename "$pdf") lacks the chapter \"$heading\""
      fail=1
    fi
  done < <(sed -n 's/^#\{1,2\} \(.*\)/\1/p' "$source")
done
exit $fail
