#!/usr/bin/env bash
# Fails when the render set-up, the compositor or the settings files include anything from
# host/ but its types and the setting table (host/types/): includes point from the session
# and band loop down to them, never back up.
set -euo pipefail
cd "$(dirname "$0")/.."
if grep -rnE '#include "host/' render composite settings |
     grep -vE '"host/types/[a-z_]+\.h"'; then
  echo "layers: render/, composite/ and settings/ may include only host/types/" >&2
  exit 1
fi
echo "layers: render/, composite/ and settings/ see only host/types/"
