#!/bin/sh
# A private sound server for tests: pulse-server.sh start|stop <dir>
#
# start: runs a sound server whose runtime, home, state and cookie all live in
#        <dir>, with one null sink "veltrano_test" (48000 Hz stereo) as the
#        default sink and its monitor as the default source. A loopback from
#        that monitor into a second null sink keeps the first one rendering in
#        short blocks, so that capture starts at once. Clients reach it
#        through PULSE_SERVER=unix:<dir>/native. Returns once it answers; the
#        server's pid is in <dir>/pid and its log in <dir>/log.
#        VELTRANO_LOOPBACK_MSEC sets the loopback's latency (default 20 ms); the
#        sink renders in blocks of about a third of it, or of what a client
#        asks for, whichever is shorter.
# stop:  ends the server of <dir> by its pid and removes <dir>.
set -eu

usage() {
  echo "usage: $0 start|stop <dir>" >&2
  exit 2
}
[ $# -eq 2 ] || usage
action=$1
dir=$2
case $dir in
/*) ;;
*) dir=$(pwd)/$dir ;;
esac

# A zombie has exited; only its parent can reap it, so it counts as dead.
alive() {
  [ -r "/proc/$1/stat" ] || return 1
  state=$(sed 's/^.*) \(.\).*$/\1/' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

stop() {
  if [ -r "$dir/pid" ]; then
    pid=$(cat "$dir/pid")
    if alive "$pid"; then
      # A stopped server only acts on the TERM once it is continued.
      kill -TERM "$pid" 2>/dev/null || true
      kill -CONT "$pid" 2>/dev/null || true
      tries=0
      while alive "$pid" && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
      done
      if alive "$pid"; then
        kill -KILL "$pid" 2>/dev/null || true
        tries=0
        while alive "$pid" && [ $tries -lt 50 ]; do
          sleep 0.1
          tries=$((tries + 1))
        done
      fi
    fi
  fi
  rm -rf "$dir"
}

start() {
  socket=$dir/native
  # Unix socket paths hold at most 107 bytes.
  if [ ${#socket} -gt 100 ]; then
    echo "$0: socket path too long: $socket" >&2
    exit 1
  fi
  stop
  mkdir -p "$dir/runtime" "$dir/home" "$dir/state"
  chmod 700 "$dir" "$dir/runtime" "$dir/home" "$dir/state"

  cat >"$dir/server.pa" <<PA
load-module module-native-protocol-unix socket=$socket auth-anonymous=1
load-module module-null-sink sink_name=veltrano_test rate=48000 channels=2 format=s16le sink_properties=device.description=veltrano_test
suspend-sink veltrano_test 1
load-module module-null-sink sink_name=veltrano_drain rate=48000 channels=2 format=s16le sink_properties=device.description=veltrano_drain
load-module module-loopback source=veltrano_test.monitor sink=veltrano_drain latency_msec=${VELTRANO_LOOPBACK_MSEC:-20} source_dont_move=true sink_dont_move=true
suspend-sink veltrano_test 0
set-default-sink veltrano_test
set-default-source veltrano_test.monitor
PA

  env -u PULSE_SERVER -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS \
    XDG_RUNTIME_DIR="$dir/runtime" PULSE_RUNTIME_PATH="$dir/runtime" \
    PULSE_STATE_PATH="$dir/state" HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" \
    PULSE_COOKIE="$dir/cookie" \
    setsid pulseaudio -n --daemonize=no --system=false --use-pid-file=no \
    --exit-idle-time=-1 --realtime=no --high-priority=no --disable-shm=no \
    --log-target=stderr -F "$dir/server.pa" \
    </dev/null >"$dir/log" 2>&1 &
  echo $! >"$dir/pid"
  pid=$(cat "$dir/pid")

  tries=0
  until PULSE_SERVER="unix:$socket" HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
    PULSE_COOKIE="$dir/cookie" pactl info >/dev/null 2>&1; do
    if ! alive "$pid" || [ $tries -ge 100 ]; then
      echo "$0: the sound server did not start; its log:" >&2
      cat "$dir/log" >&2
      stop
      exit 1
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
}

case $action in
start) start ;;
stop) stop ;;
*) usage ;;
esac
