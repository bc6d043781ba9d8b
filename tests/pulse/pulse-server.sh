#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
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
#        VELTRANO_TEST_SERVER=pipewire runs PipeWire instead: pipewire,
#        wireplumber and pipewire-pulse with a session bus of their own, the
#        same sinks made through the same socket; <dir>/pid is then the
#        PulseAudio server's (pipewire-pulse), and <dir>/pids every process.
# stop:  ends the server of <dir> by its pids and removes <dir>.
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

end() {
  pid=$1
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
}

stop() {
  # The session manager and the PulseAudio server go before the graph and bus.
  for pid in $(cat "$dir/pids" "$dir/pid" 2>/dev/null | sort -u -r -n); do end "$pid"; done
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
load-module module-stream-restore restore_device=false
load-module module-null-sink sink_name=veltrano_test rate=48000 channels=2 format=s16le sink_properties=device.description=veltrano_test
suspend-sink veltrano_test 1
load-module module-null-sink sink_name=veltrano_drain rate=48000 channels=2 format=s16le sink_properties=device.description=veltrano_drain
load-module module-loopback source=veltrano_test.monitor sink=veltrano_drain latency_msec=${VELTRANO_LOOPBACK_MSEC:-20} source_dont_move=true sink_dont_move=true
suspend-sink veltrano_test 0
set-default-sink veltrano_test
set-default-source veltrano_test.monitor
PA

  case ${VELTRANO_TEST_SERVER:-pulseaudio} in
  pulseaudio) start_pulseaudio ;;
  pipewire) start_pipewire ;;
  *)
    echo "$0: VELTRANO_TEST_SERVER is pulseaudio or pipewire" >&2
    exit 2
    ;;
  esac
  pid=$(cat "$dir/pid")

  tries=0
  until PULSE_SERVER="unix:$socket" HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
    PULSE_COOKIE="$dir/cookie" pactl info >/dev/null 2>&1; do
    if ! alive "$pid" || [ $tries -ge 100 ]; then
      echo "$0: the sound server did not start; its log:" >&2
      cat "$dir"/*log >&2
      stop
      exit 1
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
  [ ! -r "$dir/server.pactl" ] || pactl_script
}

# Runs a command in the environment every process of the server has, all of
# its state in <dir>, in place of the calling (sub)shell, so that $! is its pid.
server_exec() {
  exec env -u PULSE_SERVER -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY \
    XDG_RUNTIME_DIR="$dir/runtime" PULSE_RUNTIME_PATH="$dir/runtime" \
    PULSE_STATE_PATH="$dir/state" HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" \
    XDG_STATE_HOME="$dir/state" XDG_DATA_HOME="$dir/home/.local/share" \
    PULSE_COOKIE="$dir/cookie" "$@"
}

start_pulseaudio() {
  (server_exec setsid pulseaudio -n --daemonize=no --system=false --use-pid-file=no \
    --exit-idle-time=-1 --realtime=no --high-priority=no --disable-shm=no \
    --log-target=stderr -F "$dir/server.pa" \
    </dev/null >"$dir/log" 2>&1) &
  echo $! >"$dir/pid"
}

# Each process in the background, its pid kept; the PulseAudio server last.
spawn() {
  name=$1
  shift
  (server_exec DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus" setsid "$@" \
    </dev/null >"$dir/$name.log" 2>&1) &
  echo $! >>"$dir/pids"
  echo $! >"$dir/pid"
}

start_pipewire() {
  conf=$dir/home/.config/pipewire/pipewire-pulse.conf.d
  mkdir -p "$conf"
  echo "pulse.properties = { server.address = [ \"unix:$socket\" ] }" >"$conf/veltrano.conf"
  spawn dbus dbus-daemon --session --nofork --nopidfile --address="unix:path=$dir/bus"
  spawn pipewire pipewire
  # The session manager and the PulseAudio server give up if the graph is not there yet.
  tries=0
  until [ -S "$dir/runtime/pipewire-0" ] || [ $tries -ge 100 ]; do
    sleep 0.05
    tries=$((tries + 1))
  done
  spawn wireplumber wireplumber
  spawn pulse pipewire-pulse
  # The same sinks and defaults as the script above, made once the server answers.
  # PipeWire remembers stream volumes by itself.
  grep -v 'native-protocol\|^suspend-sink\|stream-restore' "$dir/server.pa" \
    >"$dir/server.pactl"
}

# A command the server refuses while its session manager is still starting
# is tried again, for up to ten seconds.
pactl_script() {
  while read -r command args; do
    tries=0
    # shellcheck disable=SC2086 # the arguments are words
    until PULSE_SERVER="unix:$socket" HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
      PULSE_COOKIE="$dir/cookie" pactl "$command" $args >/dev/null 2>"$dir/pactl.log"; do
      if [ $tries -ge 100 ]; then
        echo "$0: pactl $command $args: $(cat "$dir/pactl.log")" >&2
        exit 1
      fi
      sleep 0.1
      tries=$((tries + 1))
    done
  done <"$dir/server.pactl"
}

case $action in
start) start ;;
stop) stop ;;
*) usage ;;
esac
