#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example program from its source to the simulator:
# build_example turns SIMULATOR_JXC/examples/valued.jx into Valued.jxc, Blink.jxc, the value server
# zars_Valued.cc and its user-data skeleton (in $BUILD_DIR/examples); the server is compiled with the
# completed user file of the examples folder and started; it starts the simulator zars on Valued.jxc
# with its host and port, and ends when the simulator does. With no X display the simulator starts
# the same way on a virtual X server, reacts three times with its inputs set, and leaves a picture of
# its window, whose path is the last line printed. When the server cannot be built, the simulator
# runs on Blink.jxc alone.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
root=$PWD
build="$root/${BUILD_DIR:-build}"
out="$build/examples"
zars="$build/SIMULATOR_JXC/zars"
picture="$out/zars.png"
rm -rf "$out"
mkdir -p "$out/bin"
"$build/SIMULATOR_JXC/build_example" SIMULATOR_JXC/examples/valued.jx "$out"

# The simulator the server starts (first on PATH): the window on the display, or without one
# zars_picture on a virtual X server. Its exit status goes to zars.status.
if [ -n "${DISPLAY:-}" ]; then
  run="'$zars' \"\$@\""
else
  echo "No X display: the simulator runs on a virtual X server and its window is saved as a picture"
  run="timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' '$build/SIMULATOR_JXC/zars_picture' '$picture' \"\$@\" >/dev/null"
fi
cat >"$out/bin/zars" <<EOF
#!/bin/sh
status=0
$run || status=\$?
echo \$status > '$out/zars.status'
EOF
chmod 755 "$out/bin/zars"

# The simulator's status on module $2; without a display, the path of its picture last.
simulator_status() {
  local s=$1
  if [ "$s" -ne 0 ]; then
    echo "The simulator on $2 ended with status $s"
    return "$s"
  fi
  [ -n "${DISPLAY:-}" ] && return 0
  [ -s "$picture" ] || { echo "The simulator on $2 wrote no picture"; return 1; }
  echo "The simulator loaded $2 and reacted three times; the picture of its window:"
  echo "$picture"
}

cp SIMULATOR_JXC/examples/user_data_Valued.h SIMULATOR_JXC/examples/user_data_Valued.cc "$out/"
if ! (cd "$out" && g++ -O1 -Wall -Wextra -o zars_Valued zars_Valued.cc user_data_Valued.cc); then
  echo "The value server of Valued does not compile: the simulator runs on Blink.jxc"
  (cd "$out" && bin/zars Blink.jxc)
  simulator_status "$(cat "$out/zars.status")" Blink.jxc
  exit
fi

echo "Starting the value server $out/zars_Valued, which starts the simulator on Valued.jxc"
(cd "$out" && PATH="$out/bin:$PATH" exec ./zars_Valued 2>server.log) &
server=$!
# The server ends when the simulator closes its connexion; it is stopped when the simulator
# ended without connecting.
while kill -0 "$server" 2>/dev/null && [ ! -s "$out/zars.status" ]; do sleep 0.2; done
for _ in $(seq 25); do kill -0 "$server" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$server" 2>/dev/null; then
  echo "The simulator ended without its server noticing: stopping the server"
  kill "$server"
fi
server_status=0
wait "$server" || server_status=$?
if [ ! -s "$out/zars.status" ]; then
  echo "The value server ended ($server_status) before the simulator did; its log: $out/server.log"
  exit 1
fi
grep -q "SOCKET accepted" "$out/server.log" || { echo "The simulator never connected to the value server"; exit 1; }
echo "The value server served the simulator and ended with status $server_status"
[ "$server_status" -eq 0 ] || exit "$server_status"
simulator_status "$(cat "$out/zars.status")" Valued.jxc
