#!/usr/bin/env bash
# Regenerates the seed corpora from small skin folders, with the skinpack
# tool of a native build (cmake --build --preset native first).
#   tests/fuzz/make_corpus.sh [path/to/skinpack]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SKINPACK=${1:-$ROOT/build/native/tools/skinpack/skinpack}
ARCHIVES=$ROOT/tests/fuzz/corpus/skin_archive
STREAMS=$ROOT/tests/fuzz/corpus/zstream
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
rm -rf "$ARCHIVES" "$STREAMS"
mkdir -p "$ARCHIVES" "$STREAMS"

skin() {  # skin NAME OPTIONS-FILE-NAME: a small skin folder
  local d=$WORK/$1
  mkdir -p "$d"
  printf '[GLOBALINFO]\r\nVERSION=5.43\r\n[PANEL]\r\nCOLOR=3881787\r\nTRANSPARENCY=0\r\n' >"$d/$2"
  printf 'BM%s' "$(head -c 120 /dev/zero | tr '\0' '\377')" >"$d/Master.bmp"
  printf 'BM%s' "$(seq 1 40 | tr -d '\n')" >"$d/ButtonHuge.bmp"
  echo "$d"
}

"$SKINPACK" pack "$(skin plain Options.dat)" "$ARCHIVES/three_entries.asz" >/dev/null
"$SKINPACK" pack --level 0 "$(skin stored Options.dat)" "$ARCHIVES/stored_blocks.asz" >/dev/null
"$SKINPACK" pack --level 9 "$(skin upper OPTIONS.DAT)" "$ARCHIVES/upper_options.asz" >/dev/null
d=$(skin alone options.dat); rm "$d"/*.bmp
"$SKINPACK" pack --level 1 "$d" "$ARCHIVES/options_only.asz" >/dev/null
"$SKINPACK" pack "$(skin order Options.dat)" "$ARCHIVES/given_order.asz" Master.bmp ButtonHuge.bmp >/dev/null

# Damaged variants: wrong magic, cut inside an entry, trailing bytes.
{ printf 'aszf'; tail -c +5 "$ARCHIVES/three_entries.asz"; } >"$ARCHIVES/wrong_magic.asz"
head -c 60 "$ARCHIVES/three_entries.asz" >"$ARCHIVES/cut.asz"
{ cat "$ARCHIVES/options_only.asz"; printf 'tail'; } >"$ARCHIVES/trailing.asz"

# Raw zlib streams: the options entry's data (after an 8-byte archive header
# and the 19-byte entry header), behind one byte that picks the read size.
for f in three_entries stored_blocks options_only; do
  { printf '\001'; tail -c +28 "$ARCHIVES/$f.asz"; } >"$STREAMS/$f.z"
done
{ printf '\377'; tail -c +28 "$ARCHIVES/upper_options.asz"; } >"$STREAMS/upper_options.z"
ls -l "$ARCHIVES" "$STREAMS"
