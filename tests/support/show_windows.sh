# Sourced by the test scripts that look for a window on an X display: what the display
# holds, for their failure messages.

# show_windows: every named window on $DISPLAY with its geometry, or why none could be
# listed.
show_windows() {
  local tree status=0
  tree=$(xwininfo -root -tree 2>&1) || status=$?
  echo "windows on DISPLAY=${DISPLAY:-} (xwininfo status $status):"
  # No named window at all is an answer too, not a failure of the caller's script.
  grep -E '"|error|unable' <<<"$tree" | head -30 | sed 's/^ */  /' || true
}
