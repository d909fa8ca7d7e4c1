#!/usr/bin/env bash
# Game code never includes SDL: only framework/ may (and within it, platform/).
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(grep -rlE '#\s*include\s*[<"]SDL' --include='*.cpp' --include='*.h' \
        shell labyrinth actors assets app 2>/dev/null || true)
bad+=$(grep -rlE '#\s*include\s*[<"]SDL' --include='*.cpp' --include='*.h' framework \
        | grep -v '^framework/platform/' || true)
if [ -n "$bad" ]; then
  echo "SDL is included outside framework/platform:" >&2
  echo "$bad" >&2
  exit 1
fi
echo "SDL includes: only in framework/platform"
