# Sourced by the scripts: a private X server for Wine's windows, on a free display.
# Usage: source scripts/xvfb-env.sh ; ... ; xvfb_stop
xvfb_fifo=$(mktemp -u)
mkfifo "$xvfb_fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_fifo" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
read -r xvfb_display <"$xvfb_fifo"
rm -f "$xvfb_fifo"
export DISPLAY=":$xvfb_display"
xvfb_stop() { kill "$xvfb_pid" 2>/dev/null || true; }
