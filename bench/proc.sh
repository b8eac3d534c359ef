# Shared by the benchmark scripts (sourced): process trees, their memory and
# CPU, and medians.
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
tree() { # a process and all of its descendants
  local p=$1; echo "$p"
  for c in $(ps -o pid= --ppid "$p" 2>/dev/null); do tree "$c"; done
}
pss_mb() { # the PSS of a process tree, in MB
  local t=0; for p in $(tree "$1"); do
    t=$((t + $(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0))); done
  awk -v k="$t" 'BEGIN {printf "%.1f", k / 1024}'; }
cpu_ticks() { local t=0; for p in $(tree "$1"); do
    t=$((t + $(awk '{print $14 + $15}' "/proc/$p/stat" 2>/dev/null || echo 0))); done; echo $t; }
cpu_percent() { # pid, seconds -> percent of one core used by its tree
  local a b; a=$(cpu_ticks "$1"); sleep "$2"; b=$(cpu_ticks "$1")
  awk -v a="$a" -v b="$b" -v s="$2" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.2f", (b - a) / hz / s * 100}'
}
start_xvfb() { # folder -> an Xvfb of 1280x800 on a free display, made $DISPLAY; its pid joins pids
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 3>"$1/display" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -1 "$1/display")
}
