#!/usr/bin/env bash
# Regenerates the README's screenshots, docs/screenshot.png, docs/screenshot-after-run.png and
# docs/screenshot-zh-CN.png, from the real window under Wine: the run command's walk-through without a display, with its
# screenshots saved into docs/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TORVANE_SHOTS_DIR="$root/docs" exec bash "$root/scripts/run.sh" --headless
