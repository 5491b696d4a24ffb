#!/usr/bin/env bash
# Writes the screenshots of the manual and the README into docs/images/: each
# page of the window and its main views, from the shipped samples, in a
# virtual display.
#
#   scripts/screenshots.sh [BUILD_DIR]
#
# Without BUILD_DIR the window is built in build/ first (as start.sh does).
# KAVRO_SHOTS=DIR writes elsewhere; KAVRO_SHOT_SIZE=WxH (the window's size,
# default its first size) and KAVRO_SHOT_SCALE=F (Qt's scale factor, for a
# high-DPI screen) show the pages on other screens, such as 1024x700 or
# 3840x2160. KAVRO_ONLY="rules ps_analyze" writes only the shots named.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [[ $# -ge 1 ]]; then
  build=$(cd "$1" && pwd)
else
  scripts/deps.sh
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target kavro
  build=$root/build
fi
kavro=$build/app/ui/kavro
[[ -x $kavro ]] || { echo "screenshots.sh: no window program at $kavro" >&2; exit 1; }

# Qt wants a private runtime folder; a fresh one keeps it quiet.
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

out=${KAVRO_SHOTS:-$root/docs/images}
mkdir -p "$out"
out=$(cd "$out" && pwd)
size=${KAVRO_SHOT_SIZE:-}
scale=${KAVRO_SHOT_SCALE:-1}
size_args=()
width=1600
height=1000
if [[ -n $size ]]; then
  size_args=(--size "$size")
  width=${size%x*}
  height=${size#*x}
fi
# The virtual screen holds the window at its scaled size.
screen_w=$(awk -v w="$width" -v s="$scale" 'BEGIN { printf "%d", w * s + 0.999 }')
screen_h=$(awk -v h="$height" -v s="$scale" 'BEGIN { printf "%d", h * s + 0.999 }')

shot() {
  [[ -n ${KAVRO_ONLY:-} && " $KAVRO_ONLY " != *" $1 "* ]] && return 0
  local name=$1
  shift
  echo "  $name.png"
  (cd "$root/samples" &&
    QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${screen_w}x${screen_h}x24" \
      "$kavro" "${size_args[@]}" "$@" --screenshot "$out/$name.png")
  [[ -s $out/$name.png ]] || { echo "screenshots.sh: $name.png was not written" >&2; exit 1; }
}

trace=(--click hISTORY1 --set SQLIdList=Trace_Files/tracefile.trc --click Button102)
ps=(--click OSWps1 --set osw_filename=OSW_Files/oswps_linux.dat --click Button85 --click Button4
    --set cpu_thr_value=5 --click cpu_filter)
mpstat=(--click OSWmpstat1 --set mpstat_filename=OSW_Files/oswmpstat_aix.dat --click Button8
        --click Button9)
netstat=(--click OSWnetstat1 --set netstat_filename=OSW_Files/oswnetstat_linux.dat --click Button12
         --click Button13)

echo "Writing screenshots (${size:-first size}, scale $scale) into $out"
shot settings
shot rules --click Rules1
shot about --click About2
shot trace_load "${trace[@]}"
shot trace_timeline "${trace[@]}" --click Button2
shot trace_touch "${trace[@]}" --click Button2 --click rb_viewtc
shot trace_plan "${trace[@]}" --click Button2 --click rb_view_stat
shot trace_raw "${trace[@]}" --click Button2 --tab Page_SQL_Hist=2
shot trace_profile "${trace[@]}" --tab Page_SQL_Hist=3
shot ps_analyze "${ps[@]}" --tab OSWPage=1
shot ps_raw "${ps[@]}" --tab OSWPage=2
shot mpstat_analyze "${mpstat[@]}" --tab mpstat_page=1
shot netstat_analyze "${netstat[@]}" --tab page_osw_nets=1
shot netstat_raw "${netstat[@]}" --tab page_osw_nets=2
