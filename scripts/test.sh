#!/usr/bin/env bash
# Builds everything and runs every test under Wine (unit, in-process GUI and end-to-end tests),
# ending with CTest's summary line. The tests bring up their own Wine session and stop it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/bootstrap.sh"
cd "$root"
cmake --workflow --preset release
