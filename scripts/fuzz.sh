#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while: fuzz.sh BUILD_DIR SECONDS.
# Seeds are written afresh by the project (fuzz-seeds, and media made with the
# ffmpeg tool); the growing corpus stays in the build folder. A crash, leak or
# sanitizer report fails the run and keeps its input under fuzz/crashes/.
set -uo pipefail
build=${1:?build folder}
seconds=${2:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$build/fuzz"
seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
crashes="$top/fuzz/crashes"
mkdir -p "$seeds" "$corpus" "$crashes"

"$bin/fuzz-seeds" "$seeds" || { echo "fuzz: could not write the seeds" >&2; exit 1; }

# Small media files of the kinds the application meets.
media="$seeds/media_probe"
mkdir -p "$media"
make_media() {
  local name=$1; shift
  [ -s "$media/$name" ] || ffmpeg -v error -y "$@" "$media/$name" || { echo "fuzz: ffmpeg could not make $name" >&2; exit 1; }
}
make_media clip.mp4 -f lavfi -i testsrc2=size=64x36:rate=10 -f lavfi -i sine=frequency=440 -t 0.5 \
  -c:v libx264 -g 5 -c:a aac -metadata creation_time=2024-05-01T10:20:30.000000Z
make_media clip.mov -f lavfi -i testsrc2=size=48x64:rate=25 -t 0.3 -c:v mpeg4 -metadata:s:v rotate=90
make_media clip.mkv -f lavfi -i testsrc2=size=32x32:rate=5 -f lavfi -i sine -t 0.4 -c:v libx264 -c:a libopus
make_media clip.webm -f lavfi -i testsrc2=size=32x32:rate=5 -t 0.4 -c:v libvpx
make_media audio.m4a -f lavfi -i sine=frequency=1000 -t 0.2 -c:a aac

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

failed=()
for target in "$bin"/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=${target##*/fuzz_}
  mkdir -p "$corpus/$name"
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$crashes/$name-" "$corpus/$name" "$seeds/$name" >"$build/fuzz-$name.log" 2>&1; then
    failed+=("$name")
    tail -n 40 "$build/fuzz-$name.log"
  else
    grep -E "^stat::(number_of_executed_units|new_units_added)" "$build/fuzz-$name.log" | sed "s/^/  /"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}; inputs kept in fuzz/crashes/" >&2
  exit 1
fi
echo "fuzz: no findings"
