#!/usr/bin/env bash
# The library on a slow network share, simulated: a copy of the benchmark library on a loop
# device whose reads are throttled to 100 MB/s (a cgroup's io.max, or blkio where the kernel
# keeps cgroups of the first kind), the page cache dropped before each run. The index is the
# user's own, on the local disk. Root only.
# Usage: bench/share.sh [WORK_DIR] [DOCS]
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
docs=${2:-10000}
[[ $EUID -eq 0 ]] || { echo "bench/share.sh needs root (a loop device, a cgroup, the page cache)"; exit 1; }
build=${LECTORIA_BUILD_DIR:-build}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}
scripts/deps.sh ripgrep python3 time e2fsprogs util-linux >/dev/null
cmake --build "$build" --target lectoria-find lectoria-index window_bench >/dev/null
find_bin="$build/src/cli/lectoria-find"
export XDG_CACHE_HOME="$work/cache"

lib="$work/lib-$docs"
[[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$docs" --quiet
image="$work/share-$docs.img"
mnt="$work/share-$docs"
if [[ ! -f "$image.done" ]]; then
  truncate -s "$(($(du -sm "$lib" | cut -f1) * 3 / 2 + 256))M" "$image"
  mkfs.ext4 -q -F "$image"
fi
mkdir -p "$mnt"
mountpoint -q "$mnt" || mount -o loop "$image" "$mnt"
if [[ ! -f "$image.done" ]]; then
  mkdir -p "$mnt/lib" && cp -a "$lib/." "$mnt/lib/" && touch "$image.done"
fi
device=$(lsblk -n -o MAJ:MIN "$(findmnt -n -o SOURCE "$mnt")" | tr -d ' ')

# A cgroup whose reads of the device are throttled; commands run in it.
if [[ -f /sys/fs/cgroup/cgroup.controllers ]] && grep -qw io /sys/fs/cgroup/cgroup.controllers; then
  group=/sys/fs/cgroup/lectoria-share
  mkdir -p "$group"
  echo "+io" >/sys/fs/cgroup/cgroup.subtree_control 2>/dev/null || true
  echo "$device rbps=104857600" >"$group/io.max"
else
  root=$(awk '$3 == "cgroup" && $4 ~ /blkio/ {print $2; exit}' /proc/mounts)
  if [[ -z $root ]]; then
    root="$work/blkio"
    mkdir -p "$root"
    mount -t cgroup -o blkio none "$root"
  fi
  group="$root/lectoria-share"
  mkdir -p "$group"
  echo "$device 104857600" >"$group/blkio.throttle.read_bps_device"
fi
throttled() { # command -> seconds, cold, reads throttled
  sync
  echo 3 >/proc/sys/vm/drop_caches
  /usr/bin/time -f %e bash -c "echo \$\$ >'$group/cgroup.procs'; exec $1" 2>&1 >/dev/null | tail -1
}
bytes_regex() { python3 -c 'import sys;print("(?-u)"+"".join("\\x%02x"%b for b in sys.argv[1].encode("cp1251")))' "$1"; }

"$build/src/cli/lectoria-index" "$mnt/lib" >/dev/null
echo "== $docs documents on a share read at 100 MB/s, cold; seconds"
printf '%-16s %10s %10s %10s\n' context index scan rg
for context in 'Ларсен-5' 'ксилолит' 'коэффициент'; do
  printf '%-16s %10s %10s %10s\n' "$context" \
    "$(throttled "$find_bin --text --index '$context' '$mnt/lib'")" \
    "$(throttled "$find_bin --text '$context' '$mnt/lib'")" \
    "$(throttled "rg -l -uuu -E none --iglob '*.htm' '$(bytes_regex "$context")' '$mnt/lib'")"
done

# The window: the index brought up to date and the walk kept, then a rare context searched with
# the page cache dropped before each search.
echo "== the window, text mode with the index, cold, reads throttled"
if (echo $BASHPID >"$group/cgroup.procs" && cd "$build/bench" &&
  WINDOW_BENCH_COLD=1 QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    ./window_bench "$mnt/lib" 'Ларсен-5' --indexed >"$work/window-share.out" 2>"$work/window-share.err"); then
  grep -E 'indexed|kept' "$work/window-share.out" | sed 's/^/   /'
else
  echo "   window_bench failed: see $work/window-share.err"
fi
