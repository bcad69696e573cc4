/*
** zvhlr.h: public interface of the zvhlr hidden-line removal library.
**
** The software engine (the ZVSD functions) takes planar 3-D polygons, each an
** outer contour followed by its holes, and decides which stretches of their
** edges are visible.  The library has no view of its own: the host projects
** points, measures depth and draws through the callbacks of TZVSDData.
**
** Calling order:
**   1. h = ZVSDCreate();
**   2. _ZVSDGetData(h, NULL) gives the record size; _ZVSDGetData(h, &d), set
**      the callbacks and flags, _ZVSDSetData(h, &d);
**   3. ZVSDSetChanging(h, 1); ZVSDAddContour / ZVSDAddHole ...;
**      ZVSDSetChanging(h, 0) runs the calculation;
**   4. per item: ZVSDGetArray2d / ZVSDGetMask / ZVSDGetArray3d, each first
**      with a NULL buffer for the count; or ZVSDDraw(h, 0);
**   5. ZVSDClear(h) to start over; ZVSDFree(h) at the end.
**
** Reactions to bad calls (the library never crashes on them):
**   - a handle that ZVSDCreate did not return, or that was freed, is ignored:
**     the call does nothing and returns -1 where it returns a number;
**   - an item index outside 0 .. item count - 1 does the same;
**   - a contour with fewer than 2 points, a NULL point pointer, a non-finite
**     coordinate or a vanishing normal is rejected: nothing is stored and the
**     returned index names the previous last item (-1 on an empty buffer);
**   - ZVSDAddContour, ZVSDAddHole, ZVSDClear and ZVSDFree called from a
**     callback of a running calculation or drawing, or from the message
**     handler while ZVSDClear frees the items, change nothing (a free is
**     carried out when that call has ended); ZVSDDraw and ZVSDChanged do
**     nothing then.
**   - A contour whose projection is not finite takes no part in the
**     calculation and gets the mask [-1]; a hole added before any outer
**     contour belongs to no face: it hides nothing, but front faces hide it
**     like any other contour.
**
** How visibility is decided: each contour is cut wherever its projection
** meets an outline of another front-facing face (crossing, touching, running
** along it or passing within 1e-5 of it), and every stretch between two cuts
** is judged on its own: it is hidden when a point of it that lies clearly
** inside that face (outer contour minus holes) lies behind the face's plane.
** A stretch running along a face's outline, outer or hole, stays visible.
**
** All functions must be called on one thread per handle; callbacks are called
** synchronously on the calling thread.
*/
#ifndef ZVHLR_H
#define ZVHLR_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define ZVHLR_API __attribute__((visibility("default")))
#else
#define ZVHLR_API
#endif

#define ZVHLR_VERSION_MAJOR 1
#define ZVHLR_VERSION_MINOR 0

/* A 2-D point of the host's drawing plane. */
typedef struct TXY { double X, Y; } TXY;

/* A 3-D point. */
typedef struct TXYZ { double X, Y, Z; } TXYZ;

/* A plane through Origin with the (not necessarily unit) normal Normal. */
typedef struct TPlane { TXYZ Origin; TXYZ Normal; } TPlane;

/* Opaque handle of a software hidden-line buffer. */
typedef struct ZVSDBuffer *ZVSDHandle;

/* Signed depth of *p against *plane along the viewing direction: negative when
   p lies behind the plane (farther from the viewer), positive in front. */
typedef double (*TZVSDDepthProc)(ZVSDHandle h, const TXYZ *p, const TPlane *plane, TXYZ *scratch);

/* Projects *p into the host's 2-D drawing plane, writing *out. */
typedef void (*TZVSDProjectProc)(ZVSDHandle h, const TXYZ *p, TXY *out);

/* Writes the 3-D point at fraction t (measured on the projected segment) between *a and *b. */
typedef void (*TZVSDInterpolateProc)(ZVSDHandle h, const TXYZ *a, const TXYZ *b, double t, TXYZ *out);

/* Draws from the current position to *p; visible is 1 for a visible stretch, 0 for a hidden one. */
typedef void (*TZVSDLineToProc)(ZVSDHandle h, int32_t visible, const TXY *p);

/* Sets the current position to *p without drawing. */
typedef void (*TZVSDMoveToProc)(ZVSDHandle h, const TXY *p);

/* Asked during a calculation; write nonzero to *abort to stop it. */
typedef void (*TZVSDQueryAbortProc)(ZVSDHandle h, int16_t *abort);

/* Called when a calculation begins or ends. */
typedef void (*TZVSDNotifyProc)(ZVSDHandle h);

/* Settings record: 48 bytes on 32-bit targets, 80 on LP64 (callbacks are
   pointer-sized).  Booleans are 16-bit: read as nonzero = true, written as -1. */
typedef struct TZVSDData {
    TZVSDDepthProc DepthProc;             /* NULL: every depth is 0 */
    TZVSDProjectProc ProjectProc;         /* NULL: outline points keep their previous value */
    TZVSDInterpolateProc InterpolateProc; /* NULL: linear interpolation in 3-D */
    TZVSDLineToProc LineToProc;           /* NULL: the call is skipped */
    TZVSDMoveToProc MoveToProc;           /* NULL: the call is skipped */
    TZVSDQueryAbortProc QueryAbortProc;   /* NULL: never aborts */
    TZVSDNotifyProc BeginProc;            /* NULL: the call is skipped */
    TZVSDNotifyProc EndProc;              /* NULL: the call is skipped */
    int16_t FrontPositiveFlag;            /* outlines with positive signed area face the viewer */
    int16_t DrawHiddenFlag;               /* ZVSDDraw also emits hidden stretches (first) */
    int32_t HostValue1;                   /* kept for the host, never read by the library */
    int32_t HostValue2;                   /* kept for the host, never read by the library */
    int32_t ItemCount;                    /* written by _ZVSDGetData, ignored by _ZVSDSetData */
} TZVSDData;

/* Creates a buffer with no callbacks, FrontPositive true and DrawHidden false. */
ZVHLR_API ZVSDHandle ZVSDCreate(void);

/* Destroys the buffer and all its items; NULL is ignored. */
ZVHLR_API void ZVSDFree(ZVSDHandle h);

/* Removes all items; settings, callbacks and the bracket counter stay. */
ZVHLR_API void ZVSDClear(ZVSDHandle h);

/* With NULL returns sizeof(TZVSDData); otherwise fills *data and returns 0. */
ZVHLR_API int32_t _ZVSDGetData(ZVSDHandle h, TZVSDData *data);

/* Copies every field of *data but ItemCount into the buffer; NULL does nothing. */
ZVHLR_API void _ZVSDSetData(ZVSDHandle h, const TZVSDData *data);

/* Opens (nonzero) or closes (0) an edit bracket; closing the outermost one calculates. */
ZVHLR_API void ZVSDSetChanging(ZVSDHandle h, int16_t changing);

/* Runs the calculation at once, whatever the bracket counter. */
ZVHLR_API void ZVSDChanged(ZVSDHandle h);

/* Walks every outline along its mask through MoveToProc and LineToProc; reserved is unused. */
ZVHLR_API void ZVSDDraw(ZVSDHandle h, int32_t reserved);

/* Adds an outer contour of count points; returns the item count minus 1 afterwards. */
ZVHLR_API int32_t ZVSDAddContour(ZVSDHandle h, int32_t count, const TXYZ *points);

/* Adds a hole to the last outer contour; returns the item count minus 1 afterwards. */
ZVHLR_API int32_t ZVSDAddHole(ZVSDHandle h, int32_t count, const TXYZ *points);

/* With NULL returns the number of stored 3-D points of item index; otherwise copies them and returns 0. */
ZVHLR_API int32_t ZVSDGetArray3d(ZVSDHandle h, int32_t index, TXYZ *buffer);

/* With NULL returns the number of projected outline points of item index; otherwise copies them and returns 0. */
ZVHLR_API int32_t ZVSDGetArray2d(ZVSDHandle h, int32_t index, TXY *buffer);

/* With NULL returns the number of mask values of item index; otherwise copies them, toggles made non-negative, and returns 0. */
ZVHLR_API int32_t ZVSDGetMask(ZVSDHandle h, int32_t index, double *buffer);

/* Options of ZVSDSetOptions; without any, a calculation runs the plain loop
   (every contour against every group, one abort query per pair).  Every
   option gives the same masks, bit for bit, as the plain loop with the same
   view. */
#define ZVSD_OPTION_INDEX 1        /* find the groups that can hide a contour through a grid over their 2-D bounds */
#define ZVSD_OPTION_BUILTIN_VIEW 2 /* project and measure depth with the view of ZVSDSetView, not the callbacks */
#define ZVSD_OPTION_SPLIT 4        /* cut a stretch where its edge passes through the occluding face (interpenetrating
                                      parts): each side is judged by its own depth, not the whole stretch by one point */

/* Sets the calculation options (ZVSD_OPTION_* flags) and the thread count used with ZVSD_OPTION_BUILTIN_VIEW
   (0 = one per core, at most 64; with host callbacks the calculation stays on the calling thread, which alone
   calls them, asking QueryAbortProc once per examined pair and once per contour); returns 0, or -1 for an
   unknown handle, an unknown flag or a negative thread count.  While a calculation runs on helper threads,
   ZVSDGetArray2d and ZVSDGetMask return -1 and _ZVSDSetData does nothing (the results are being written). */
ZVHLR_API int32_t ZVSDSetOptions(ZVSDHandle h, int32_t flags, int32_t threads);

/* Sets the built-in view: base is the projection base (origin, X axis, Y axis, Z axis towards the viewer, 12
   doubles; 2-D x right, y up, so with FrontPositiveFlag set faces listed clockwise as seen by the viewer face it);
   angle is the point-of-view angle in degrees, 0 or 180 for a parallel projection, otherwise a perspective from
   an eye on the Z axis at distance 500 / tan(angle / 2) from the origin (points at or behind the eye leave their
   contour out, mask [-1]); returns 0, or -1 (view unchanged) for an unknown handle, NULL, a non-finite value, an
   angle outside 0..180 or axes that span no space. */
ZVHLR_API int32_t ZVSDSetView(ZVSDHandle h, const double base[12], double angle);

/* Writes the figures of the last calculation, counts[0] = contour pairs whose crossings were computed and
   counts[1] = crossings found, and returns 0; returns -1 for an unknown handle, NULL, or when that calculation
   ran without options (the plain loop counts nothing). */
ZVHLR_API int32_t ZVSDGetStatistics(ZVSDHandle h, int64_t counts[2]);

/*
** The OpenGL engine (the ZVOD functions) paints planar faces on one of the
** host's X11 windows with hidden lines removed by the depth buffer: every
** contour is drawn as lines in the line colour, then every face is filled in
** the background colour (white) pushed back in depth, so that a line behind
** a nearer face is painted over while a face's own edges stay visible.
**
** Calling order:
**   1. h = ZVODCreate(window); ZVODSetViewPort(h, rect) with the client
**      rectangle; ZVODProjectionBaseChanged(h, base); _ZVODGetData(h, &d),
**      change what is needed, _ZVODSetData(h, &d);
**   2. ZVODSetChanging(h, 1); ZVODAddContour, each followed by its
**      ZVODAddHole calls; ZVODSetChanging(h, 0) asks for one repaint;
**   3. on every Expose of the window: ZVODDraw(h, 0);
**   4. on a view change ZVODProjectionBaseChanged (ZVODSetViewPort after a
**      resize); on new geometry ZVODClear and step 2;
**   5. ZVODFree(h) before the window is destroyed.
**
** The library draws through its own connection to the X server named by
** $DISPLAY, so the window must belong to that server.  A repaint request
** reaches the window's owner as an Expose event (the window is not erased).
** All calls for one handle belong on one thread.
**
** Reactions to bad calls (the library never crashes on them):
**   - a handle that ZVODCreate did not return, or that was freed, is ignored:
**     the call does nothing and returns -1 where it returns a number;
**   - a contour or hole with fewer than 2 points, a NULL point pointer or a
**     coordinate that is not finite is refused: nothing is stored, the result
**     is the entry count minus 1 as before;
**   - a hole before any contour (or after ZVODClear) has no face to belong to
**     and is refused in the same way;
**   - NULL records, bases and rectangles are ignored, and so is a base with a
**     value that is not finite; a UnitsPerCM that is not a finite positive
**     number leaves the scale unchanged (the other fields still apply);
**   - ZVODFree called from the message handler while a call of the same
**     handle runs is carried out when that call has ended.
*/

/* Opaque handle of an OpenGL hidden-line buffer. */
typedef struct ZVODBuffer *ZVODHandle;

/* An X11 window id (the Window type of Xlib, an unsigned long). */
typedef unsigned long ZVODWindow;

/* Settings record: 24 bytes, no padding.  Booleans are 16-bit: read as
   nonzero = true, written as -1 (0xFFFF). */
typedef struct TZVODData {
    float UnitsPerCM;    /* pixels per model unit of the view (the canvas keeps a double); default 30 */
    int16_t Clockwise;   /* front faces run clockwise as the viewer sees them; default true */
    int16_t HiddenLines; /* outlines with hidden lines painted over; false: faces painted filled and lit in the
                            line colour.  Default false (but a new handle paints outlines until it is set);
                            stays false without glPolygonOffset */
    uint32_t LineColor;  /* colour of the outlines, 0x00BBGGRR; default 0 (black) */
    int32_t HostValue1;  /* kept for the host, never read by the library */
    int32_t HostValue2;  /* kept for the host, never read by the library */
    int32_t Reserved;    /* written 0 by _ZVODGetData, ignored by _ZVODSetData */
} TZVODData;
typedef char TZVODDataHas24Bytes[sizeof(TZVODData) == 24 ? 1 : -1];

/* Creates a buffer painting on window (0: the window with the input focus); returns NULL when there is no such
   window, no X server or no usable OpenGL, the last two with a message saying why. */
ZVHLR_API ZVODHandle ZVODCreate(ZVODWindow window);

/* Frees the buffer with its faces, canvas and OpenGL context; NULL is ignored. */
ZVHLR_API void ZVODFree(ZVODHandle h);

/* Removes every face; the window is not asked to repaint. */
ZVHLR_API void ZVODClear(ZVODHandle h);

/* With NULL returns sizeof(TZVODData); otherwise fills *data and returns 0. */
ZVHLR_API int32_t _ZVODGetData(ZVODHandle h, TZVODData *data);

/* Applies UnitsPerCM, Clockwise, HiddenLines, LineColor and the host values of *data; NULL does nothing. */
ZVHLR_API void _ZVODSetData(ZVODHandle h, const TZVODData *data);

/* Opens (nonzero) or closes (0) an edit bracket; closing the outermost one asks the window to repaint. */
ZVHLR_API void ZVODSetChanging(ZVODHandle h, int16_t begin);

/* Asks the window to repaint (an Expose event, no erase). */
ZVHLR_API void ZVODChanged(ZVODHandle h);

/* Paints the window now (call it on Expose); reserved is unused. */
ZVHLR_API void ZVODDraw(ZVODHandle h, int32_t reserved);

/* Adds a face's outer contour of count points; returns the entry count minus 1 (the new face's index). */
ZVHLR_API int32_t ZVODAddContour(ZVODHandle h, int32_t count, const TXYZ *points);

/* Adds a hole to the face added last (one more entry per hole); returns the entry count minus 1. */
ZVHLR_API int32_t ZVODAddHole(ZVODHandle h, int32_t count, const TXYZ *points);

/* Sets the view: origin, X axis (right), Y axis (up), Z axis (towards the viewer), 12 doubles. */
ZVHLR_API void ZVODProjectionBaseChanged(ZVODHandle h, const double base[12]);

/* Sets the viewport in window pixels: Left, Top, Right, Bottom; the origin of the view lands in its middle. */
ZVHLR_API void ZVODSetViewPort(ZVODHandle h, const int32_t rect[4]);

/* The face drawn nearest to the viewer at window pixel (x, y from the top left): the index ZVODAddContour
   returned for it, or -1 when there is none (or the handle is unknown). */
ZVHLR_API int32_t ZVODPick(ZVODHandle h, int32_t x, int32_t y);

/* Kinds of text that reach a message handler. */
#define ZV_MESSAGE_BOX 0  /* a message the user should see (the text is given) */
#define ZV_MESSAGE_BEEP 1 /* a system beep (the text is empty) */

/* Receives every message box text and beep of the library. */
typedef void (*TZVMessageProc)(int32_t kind, const char *text, void *user);

/* Installs the process-wide message handler; NULL restores the default (one line on stderr). */
ZVHLR_API void ZVSetMessageHandler(TZVMessageProc proc, void *user);

#ifdef __cplusplus
}
#endif

#endif /* ZVHLR_H */
