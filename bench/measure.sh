# The timing of the benchmark scripts (sourced, not run).
#
# measure PREPARE COMMAND...  runs COMMAND three times, each after PREPARE (not
# timed), in the folder $measure_dir (default: the current one), with no input and
# its output thrown away, and prints the best run as "<seconds> <cpu seconds>
# <peak kB>": the machine may be busy with other work, so the fastest run is the
# one closest to the cost of the step itself. The wall time is read to the
# millisecond around the command; cpu is user + system.
#
# ratio A B  prints A / B with one decimal.
#
# Needs $work (a scratch folder) and /usr/bin/time.
measure() {
  local prepare=$1
  shift
  local best=""
  for _ in 1 2 3; do
    $prepare
    local start end
    start=$(date +%s%N)
    (cd "${measure_dir:-.}" && /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" </dev/null >/dev/null)
    end=$(date +%s%N)
    local user sys kb wall cpu
    read -r user sys kb <"$work/time"
    wall=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    if [ -z "$best" ] || awk -v a="$wall" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then
      best="$wall $cpu $kb"
    fi
  done
  echo "$best"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 0.001; printf "%.1f", a / b }'; }
