# Sourced by the whole-program bench scripts: processor use of a process
# measured from outside, and the median, least and greatest of a column of
# numbers.
tick=$(getconf CLK_TCK)

# Processor time of a process so far: clock ticks (utime + stime, all
# threads, living and ended) and nanoseconds on a processor (the living
# threads' schedstat).
ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
oncpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'; }
now_ns() { date +%s%N; }

# share PID SECONDS: percent of one core used by PID over the next SECONDS,
# as "<by ticks> <by schedstat>".
share() {
  local pid=$1 seconds=$2 t0 c0 n0 t1 c1 n1
  t0=$(ticks "$pid"); c0=$(oncpu "$pid"); n0=$(now_ns)
  sleep "$seconds"
  t1=$(ticks "$pid"); c1=$(oncpu "$pid"); n1=$(now_ns)
  awk -v dt=$((t1 - t0)) -v dc=$((c1 - c0)) -v dn=$((n1 - n0)) -v hz="$tick" \
    'BEGIN { printf "%.2f %.2f\n", 100 * dt / hz / (dn / 1e9), 100 * dc / dn }'
}

stats() {  # median min max of a column of numbers
  sort -n | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.0f %.0f %.0f\n", m, v[1], v[NR] }'
}
