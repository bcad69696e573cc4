#!/usr/bin/env bash
# Checks every model of a corpus (tools/corpus/make_corpus.sh) with
# zvhlr-check in six views: parallel iso, front, top and iso-back-left,
# perspective (40 degrees) iso and front.  Prints one line per drawing, then
# the worst share per view, the number of drawings under the limit and, for
# each moved or scaled copy, the view whose drawn length differs most from
# the original's (scaled back): a copy should draw the same picture.
#   tools/corpus/check_corpus.sh [CORPUS_DIR] [ZVHLR_CHECK]
set -uo pipefail
corpus=${1:-build/corpus}
check=${2:-build/tools/zvhlr-check}
limit=0.5
for model in "$corpus"/*.stl; do
  "$check" "$model" --view iso,front,top,iso-back-left --limit 100 | tail -n +2 | sed 's/^\(\S*\) *\(\S*\)/\1 \2/'
  "$check" "$model" --view iso,front --perspective 40 --limit 100 | tail -n +2 | sed 's/^\(\S*\) *\(\S*\)/\1 persp-\2/'
done | awk -v limit=$limit '
  { print; share = $NF; view = $2; n++; if (share < limit) good++; drawn[$1 " " view] = $3
    if (!(view in worst) || share > worst[view]) { worst[view] = share; at[view] = $1 } }
  END { for (v in worst) printf "worst %-18s %8.3f %%  %s\n", v, worst[v], at[v]
        printf "drawings under %s %%: %d of %d\n", limit, good, n
        for (key in drawn) {
          split(key, k, " "); copy = k[1]; original = copy
          if (!sub(/-(moved|scaled)\.stl$/, ".stl", original) || !((original " " k[2]) in drawn)) continue
          off = 100 * (drawn[key] / (copy ~ /-scaled/ ? 1000 : 1) / drawn[original " " k[2]] - 1)
          if (!(copy in most) || off * off > most[copy] * most[copy]) { most[copy] = off; mostView[copy] = k[2] } }
        for (copy in most) printf "copy %-26s drawn %+7.2f %% of the original in %s\n", copy, most[copy], mostView[copy] }'
