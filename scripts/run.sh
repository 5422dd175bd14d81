#!/usr/bin/env bash
# Starts the desktop program from a build folder; under xvfb-run when there is no display.
set -euo pipefail
bin="$1/bin"
shift || true
# Without a file named, the program opens one of the examples: the first thing seen is a design.
if [ $# -eq 0 ] && [ -f "$(dirname "$0")/../examples/badge.Nl1" ]; then
    set -- "$(cd "$(dirname "$0")/../examples" && pwd)/badge.Nl1"
fi
if [ -x "$bin/nordelune" ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: starting Nordelune under xvfb-run."
        exec xvfb-run -a "$bin/nordelune" "$@"
    fi
    exec "$bin/nordelune" "$@"
fi
exec "$bin/nordelune-cli" --help
