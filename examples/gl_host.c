/*
** gl_host.c: a small host of the zvhlr OpenGL engine, in plain C and Xlib.
**
** It opens a 200 x 200 window and looks at two squares from +Z: a large one
** with a square hole at z = 0 and a small one at z = 1 that covers part of
** the large one's lower edge.  It repaints on every Expose and then checks a
** few pixels of the window: the background is white, visible edges have the
** line colour, and the stretch of the lower edge behind the small square is
** painted over.  Exit code 77 means "skipped": no X server or no OpenGL.
*/
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <sys/select.h>

#include "zvhlr.h"

#define SIZE 200
#define RED 0x0000FFu /* 0x00BBGGRR */

static Display *display;
static Window window;
static int failures;

/* Pixel (column x, row y from the top) of window as 0xRRGGBB. */
static unsigned long pixelAt(int x, int y) {
    XImage *image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    unsigned long pixel;
    if (!image) return 0xFFFFFFFFul;
    pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
    XDestroyImage(image);
    return pixel;
}

/* True when one pixel of the 3 x 3 block around (x, y) has colour rgb. */
static int nearPixel(int x, int y, unsigned long rgb) {
    int dx, dy;
    for (dy = -1; dy <= 1; dy++)
        for (dx = -1; dx <= 1; dx++)
            if (pixelAt(x + dx, y + dy) == rgb) return 1;
    return 0;
}

static void check(int ok, const char *what) {
    if (ok) return;
    printf("gl host example: FAILED: %s\n", what);
    failures++;
}

/* Handles events until an Expose has been answered with ZVODDraw, or for
   at most two seconds. */
static int repaintOnExpose(ZVODHandle h) {
    int painted = 0, waits = 0;
    while (!painted && waits < 20) {
        XEvent event;
        if (!XPending(display)) {
            struct timeval tenth = {0, 100000};
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(ConnectionNumber(display), &fds);
            select(ConnectionNumber(display) + 1, &fds, NULL, NULL, &tenth);
            waits++;
            continue;
        }
        XNextEvent(display, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            ZVODDraw(h, 0);
            painted = 1;
        }
    }
    return painted;
}

static void square(TXYZ *p, double x1, double y1, double x2, double y2, double z, int clockwise) {
    /* Clockwise as seen from +Z: up the left side first. */
    TXYZ corners[4] = {{x1, y1, z}, {x1, y2, z}, {x2, y2, z}, {x2, y1, z}};
    int i;
    for (i = 0; i < 4; i++) p[i] = corners[clockwise ? i : 3 - i];
}

int main(void) {
    static const double base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    const int32_t viewport[4] = {0, 0, SIZE, SIZE};
    TXYZ big[4], hole[4], small[4];
    TZVODData data;
    ZVODHandle h;
    XEvent event;

    display = XOpenDisplay(NULL);
    if (!display) {
        printf("gl host example: skipped (no X server)\n");
        return 77;
    }
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, SIZE, SIZE, 0, 0,
                                 WhitePixel(display, DefaultScreen(display)));
    XSelectInput(display, window, ExposureMask | StructureNotifyMask);
    XMapWindow(display, window);
    do XNextEvent(display, &event); while (event.type != MapNotify);

    h = ZVODCreate(window);
    if (!h) {
        printf("gl host example: skipped (no OpenGL on this display)\n");
        return 77;
    }
    ZVODSetViewPort(h, viewport);
    ZVODProjectionBaseChanged(h, base);
    check(_ZVODGetData(h, NULL) == (int32_t)sizeof data, "record size");
    _ZVODGetData(h, &data);
    check(data.UnitsPerCM == 30.0f && data.Clockwise == -1 && data.HiddenLines == 0, "defaults");
    data.HiddenLines = 1;
    data.LineColor = RED;
    _ZVODSetData(h, &data);

    /* Before any face the window is white. */
    check(repaintOnExpose(h), "an Expose after the settings");
    check(pixelAt(SIZE / 2, SIZE / 2) == 0xFFFFFF, "white window before any face");

    /* A model unit is 30 pixels: (x, y) lands at column 100 + 30x, row 100 - 30y. */
    square(big, -2, -2, 2, 2, 0, 1);
    square(hole, -0.5, 0.5, 0.5, 1.5, 0, 0);
    square(small, -1, -3, 1, -1, 1, 1);
    ZVODSetChanging(h, 1);
    check(ZVODAddContour(h, 4, big) == 0, "first face is entry 0");
    check(ZVODAddHole(h, 4, hole) == 1, "its hole is entry 1");
    check(ZVODAddContour(h, 4, small) == 2, "second face is entry 2");
    ZVODSetChanging(h, 0);
    check(repaintOnExpose(h), "an Expose after the edit bracket");

    check(nearPixel(40, 100, 0xFF0000), "left edge of the large square in the line colour");
    check(nearPixel(100, 130, 0xFF0000), "upper edge of the small square in the line colour");
    check(nearPixel(100, 85, 0xFF0000), "lower edge of the hole in the line colour");
    check(pixelAt(100, 159) == 0xFFFFFF && pixelAt(100, 160) == 0xFFFFFF && pixelAt(100, 161) == 0xFFFFFF,
          "lower edge of the large square painted over behind the small one");
    check(nearPixel(50, 160, 0xFF0000), "lower edge of the large square visible beside the small one");
    check(ZVODPick(h, 100, 125) == 2, "the small square picked at its upper edge");

    ZVODFree(h);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    if (failures) return 1;
    printf("gl host example: ok\n");
    return 0;
}
