/*
** host.c: a small host of the zvhlr software engine, in plain C.
**
** It looks at two squares from +Z with a parallel projection: a large one at
** z = 0 and a small one at z = 1 that lies partly over it. The large square's
** edges run behind the small one where they cross it, so its mask gets
** toggles; the host prints what it reads back and draws through callbacks.
*/
#include <stdio.h>
#include <stdlib.h>

#include "zvhlr.h"

static int moves, lines, hiddenLines;

/* Parallel projection along -Z; y stays up, so a square listed clockwise
   seen from +Z has a positive orientation value and faces the viewer. */
static void project(ZVSDHandle h, const TXYZ *p, TXY *out) {
    (void)h;
    out->X = p->X;
    out->Y = p->Y;
}

/* The viewer looks along -Z from far away: depth is how far p lies above
   the plane, measured along the viewing direction. */
static double depth(ZVSDHandle h, const TXYZ *p, const TPlane *plane, TXYZ *scratch) {
    (void)h;
    (void)scratch;
    double nz = plane->Normal.Z;
    if (nz > -1e-12 && nz < 1e-12) return 0.0; /* plane seen edge-on */
    double dx = p->X - plane->Origin.X, dy = p->Y - plane->Origin.Y, dz = p->Z - plane->Origin.Z;
    return (dx * plane->Normal.X + dy * plane->Normal.Y + dz * plane->Normal.Z) / nz;
}

static void moveTo(ZVSDHandle h, const TXY *p) {
    (void)h;
    (void)p;
    moves++;
}

static void lineTo(ZVSDHandle h, int32_t visible, const TXY *p) {
    (void)h;
    (void)p;
    lines++;
    if (!visible) hiddenLines++;
}

static int printItem(ZVSDHandle h, int32_t index) {
    int32_t n3 = ZVSDGetArray3d(h, index, NULL);
    int32_t n2 = ZVSDGetArray2d(h, index, NULL);
    int32_t nm = ZVSDGetMask(h, index, NULL);
    if (n3 <= 0 || n2 != n3 || nm < 1) return 0;
    TXYZ *p3 = malloc(sizeof(TXYZ) * (size_t)n3);
    TXY *p2 = malloc(sizeof(TXY) * (size_t)n2);
    double *mask = malloc(sizeof(double) * (size_t)nm);
    int ok = ZVSDGetArray3d(h, index, p3) == 0 && ZVSDGetArray2d(h, index, p2) == 0 &&
             ZVSDGetMask(h, index, mask) == 0;
    printf("item %d: %d points, first (%g, %g, %g), mask", (int)index, (int)n3, p3[0].X, p3[0].Y, p3[0].Z);
    for (int32_t k = 0; k < nm; k++) printf(" %g", mask[k]);
    printf("\n");
    free(p3);
    free(p2);
    free(mask);
    return ok;
}

int main(void) {
    /* Clockwise seen from +Z (y up). */
    const TXYZ back[4] = {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}};
    const TXYZ front[4] = {{5, 2, 1}, {5, 8, 1}, {15, 8, 1}, {15, 2, 1}};
    const TXYZ degenerate[2] = {{0, 0, 0}, {1, 1, 1}};

    ZVSDHandle h = ZVSDCreate();
    if (!h) return 1;
    int32_t size = _ZVSDGetData(h, NULL);
    TZVSDData data;
    if (size != (int32_t)sizeof data || _ZVSDGetData(h, &data) != 0) return 1;
    data.ProjectProc = project;
    data.DepthProc = depth;
    data.MoveToProc = moveTo;
    data.LineToProc = lineTo;
    data.DrawHiddenFlag = 1;
    _ZVSDSetData(h, &data);

    ZVSDSetChanging(h, 1);
    int32_t a = ZVSDAddContour(h, 4, back);
    int32_t b = ZVSDAddContour(h, 4, front);
    int32_t c = ZVSDAddContour(h, 2, degenerate); /* rejected: names the last item */
    ZVSDSetChanging(h, 0);
    printf("record size %d, indexes %d %d %d\n", (int)size, (int)a, (int)b, (int)c);

    _ZVSDGetData(h, &data);
    printf("items %d, front positive %d, draw hidden %d\n", (int)data.ItemCount, (int)data.FrontPositiveFlag,
           (int)data.DrawHiddenFlag);
    int ok = a == 0 && b == 1 && c == 1 && data.ItemCount == 2 && data.DrawHiddenFlag == -1;
    for (int32_t i = 0; i < data.ItemCount; i++) ok = printItem(h, i) && ok;

    ZVSDDraw(h, 0);
    printf("drawing: %d moves, %d lines, %d of them hidden\n", moves, lines, hiddenLines);

    ZVSDClear(h);
    _ZVSDGetData(h, &data);
    ok = ok && data.ItemCount == 0;
    ZVSDFree(h);
    printf(ok ? "host example: ok\n" : "host example: FAILED\n");
    return ok ? 0 : 1;
}
