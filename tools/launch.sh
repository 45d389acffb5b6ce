#!/usr/bin/env bash
# Starts the widget on the user's display, or says in one line how to see it without one.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show the widget on: 'make screenshot' runs it headless and saves a picture of it." >&2
    exit 1
fi
exec "$1"
