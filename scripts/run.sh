#!/usr/bin/env bash
# Starts the desktop program from a build folder; under xvfb-run when there is no display.
set -euo pipefail
bin="$1/bin"
shift || true
if [ -x "$bin/nordelune" ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: starting Nordelune under xvfb-run."
        exec xvfb-run -a "$bin/nordelune" "$@"
    fi
    exec "$bin/nordelune" "$@"
fi
exec "$bin/nordelune-cli" --help
