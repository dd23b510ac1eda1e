# Shared by the benchmark scripts: finds or makes a Release build of the given targets outside
# the checkout. Sourced; sets `build` to the build folder.
#
#   bench_build CHECKOUT BUILD_DIR_OR_EMPTY TARGET...
bench_build() {
  local checkout=$1 wanted=$2
  shift 2
  build=${wanted:-${TESSALOOM_BENCH_BUILD:-${XDG_CACHE_HOME:-$HOME/.cache}/tessaloom/bench-build}}
  mkdir -p "$build"
  build=$(cd "$build" && pwd -P)
  case "$build/" in
  "$checkout"/*)
    echo "The build folder $build is inside the checkout; give one outside it." >&2
    exit 2
    ;;
  esac
  if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$checkout" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSALOOM_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" -j2 --target "$@" >/dev/null
}

# The median of the numbers given.
median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
