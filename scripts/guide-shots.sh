#!/usr/bin/env bash
# Takes the pictures of the guides anew (distribution/guides/images/*.png): the installer, the
# folder browser, cloud_connect.exe and every window of a run, as the programs show them under
# Wine in Xvfb. Run it after a change to a window, look at the pictures, and commit them with
# the change; scripts/dist.sh then builds the guides from them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
"$root/scripts/dist.sh" >/dev/null
HARLOWE_WIN_BUILD_DIR=$root/build/win HARLOWE_SOURCE_DIR=$root \
  GUIDE_SHOTS_DIR=$root/distribution/guides/images bash "$root/tests/e2e/preview/guide_shots.sh"
