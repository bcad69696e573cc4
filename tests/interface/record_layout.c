/* The settings record keeps its documented layout on every target: compiled
   for 32-bit x86 it is the 48-byte record with 4-byte callbacks. */
#include <stddef.h>

#include "zvhlr.h"

#define P ((int)sizeof(void *))
_Static_assert(offsetof(TZVSDData, DepthProc) == 0, "DepthProc");
_Static_assert(offsetof(TZVSDData, ProjectProc) == P, "ProjectProc");
_Static_assert(offsetof(TZVSDData, InterpolateProc) == 2 * P, "InterpolateProc");
_Static_assert(offsetof(TZVSDData, LineToProc) == 3 * P, "LineToProc");
_Static_assert(offsetof(TZVSDData, MoveToProc) == 4 * P, "MoveToProc");
_Static_assert(offsetof(TZVSDData, QueryAbortProc) == 5 * P, "QueryAbortProc");
_Static_assert(offsetof(TZVSDData, BeginProc) == 6 * P, "BeginProc");
_Static_assert(offsetof(TZVSDData, EndProc) == 7 * P, "EndProc");
_Static_assert(offsetof(TZVSDData, FrontPositiveFlag) == 8 * P, "FrontPositiveFlag");
_Static_assert(offsetof(TZVSDData, DrawHiddenFlag) == 8 * P + 2, "DrawHiddenFlag");
_Static_assert(offsetof(TZVSDData, HostValue1) == 8 * P + 4, "HostValue1");
_Static_assert(offsetof(TZVSDData, HostValue2) == 8 * P + 8, "HostValue2");
_Static_assert(offsetof(TZVSDData, ItemCount) == 8 * P + 12, "ItemCount");
_Static_assert(sizeof(TZVSDData) == (P == 4 ? 48 : 80), "record size");
_Static_assert(sizeof(TXYZ) == 24 && sizeof(TXY) == 16 && sizeof(TPlane) == 48, "point records");
#if defined(__i386__)
_Static_assert(sizeof(TZVSDData) == 48, "the 32-bit record is 48 bytes");
#endif

int main(void) { return 0; }
