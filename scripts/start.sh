#!/usr/bin/env bash
# Installs what is missing, builds Kavro and starts it in samples/, so that
# the shipped db.ini and tracerules.ini are read at start-up.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target kavro kavro-cli
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  cat >&2 <<'MSG'
No display is available, so Kavro's window cannot open here.
Run it under a virtual display instead, for example with a screenshot:
  cd samples && xvfb-run -a -s "-screen 0 1600x1000x24" ../build/app/ui/kavro --screenshot /tmp/kavro.png
or use the command-line tool:
  build/cli/kavro-cli -C samples trace Trace_Files/tracefile.trc --out /tmp/kavro-out
MSG
  exit 1
fi
cd samples
exec ../build/app/ui/kavro "$@"
