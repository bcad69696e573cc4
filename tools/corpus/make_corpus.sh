#!/usr/bin/env bash
# Builds a corpus of real models for the ray-cast check of zvhlr's drawings:
# the example parts that Debian's openscad package ships, exported to STL,
# plus the same parts moved far from the origin and scaled up (float32
# rounding in the coplanar merge).  Needs openscad (apt-get install openscad; it exports headless);
# the corpus stays out of git.
#   tools/corpus/make_corpus.sh [OUTPUT_DIR]      (default: build/corpus)
set -uo pipefail
out=${1:-build/corpus}
examples=${OPENSCAD_EXAMPLES:-/usr/share/openscad/examples}
mkdir -p "$out"
command -v openscad >/dev/null || { echo "make_corpus: openscad is not installed" >&2; exit 1; }
out=$(realpath "$out")
for scad in "$examples"/Old/example0{01,02,03,04,05,06,07,08,09,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24}.scad \
            "$examples"/Basics/{CSG,CSG-modules,LetterBlock,rotate_extrude,text_on_cube,logo,linear_extrude}.scad \
            "$examples"/Advanced/{GEB,children,offset}.scad "$examples"/Parametric/candleStand.scad; do
  [ -f "$scad" ] || continue
  name=$(basename "$scad" .scad)
  [ -s "$out/$name.stl" ] && continue
  (cd "$(dirname "$scad")" && timeout 300 openscad -q -o "$out/$name.stl" "$(basename "$scad")") \
    >/dev/null 2>&1 || { echo "make_corpus: $name did not export" >&2; rm -f "$out/$name.stl"; }
done
# Moved and scaled copies of a few parts, with corners rounded to float32 as
# a binary STL stores them (openscad's own export prints six digits only).
for name in example001 example005 example013 example024 CSG rotate_extrude; do
  [ -s "$out/$name.stl" ] || continue
  python3 - "$out/$name.stl" "$out/$name-moved.stl" "$out/$name-scaled.stl" <<'PY'
import struct, sys
f32 = lambda x: struct.unpack('f', struct.pack('f', x))[0]
lines = open(sys.argv[1]).read().splitlines(keepends=True)
for target, change in ((sys.argv[2], lambda x: x + 1e5), (sys.argv[3], lambda x: x * 1000)):
    with open(target, 'w') as out:
        for line in lines:
            t = line.split()
            if t and t[0] == 'vertex':
                line = '      vertex %r %r %r\n' % tuple(f32(change(float(x))) for x in t[1:4])
            out.write(line)
PY
done
ls "$out"/*.stl 2>/dev/null | wc -l | xargs echo "make_corpus: models in $out:"
