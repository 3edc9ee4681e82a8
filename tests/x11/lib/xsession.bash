# Helpers for tests that drive the program's window on a virtual X server
# with xdotool. Source this file; it defines:
#   x_start          a private Xvfb (DISPLAY set); returns 1 when none can run
#   x_stop           ends that server
#   x_window NAME    waits for a window whose title matches NAME, prints its id
#   x_keys WID K...  focuses the window and types the keys (xdotool key names)
#   x_type WID TEXT  types a text
#   x_click WID X Y  left click at window pixel X, Y
#   x_shot WID FILE  saves the window as a PNG picture
#   x_wait_file F PATTERN  waits until file F holds PATTERN (5 s at most)
#   x_wait_exit PID  waits for the process to end (10 s), prints its status

x_server_pid=""

x_start() {
  command -v Xvfb >/dev/null 2>&1 || return 1
  command -v xdotool >/dev/null 2>&1 || return 1
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  x_server_pid=$!
  local num=""
  read -r -t 10 num <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$num" ]; then
    kill "$x_server_pid" 2>/dev/null
    x_server_pid=""
    return 1
  fi
  export DISPLAY=":$num"
  return 0
}

x_stop() {
  if [ -n "$x_server_pid" ]; then
    kill "$x_server_pid" 2>/dev/null
    wait "$x_server_pid" 2>/dev/null
    x_server_pid=""
  fi
}

x_window() {
  local i wid
  for i in $(seq 1 50); do
    wid=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
    if [ -n "$wid" ]; then
      echo "$wid"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# The program reads events one at a time; a short pause after each key lets
# it draw before the next arrives.
x_keys() {
  local wid=$1 k
  shift
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  for k in "$@"; do
    xdotool key "$k"
    sleep 0.3
  done
}

x_type() {
  xdotool windowfocus "$1" 2>/dev/null
  xdotool type --delay 30 "$2"
  sleep 0.3
}

x_click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}

x_shot() {
  sleep 0.3
  import -window "$1" "$2" 2>/dev/null
}

x_wait_file() {
  local i
  for i in $(seq 1 50); do
    [ -f "$1" ] && grep -qF -- "$2" "$1" && return 0
    sleep 0.1
  done
  return 1
}

x_wait_exit() {
  local pid=$1 i
  for i in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "still running"
    return 1
  fi
  wait "$pid"
  echo $?
}
