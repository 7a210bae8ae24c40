// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#ifdef __GLIBC__
#include <malloc.h>
#endif

// A line that streams without pause makes the window build and drop buffers
// of a few hundred kilobytes many times a second (the trace of the receive
// buffer). Such buffers are mapped and returned to the system each time, so
// that the memory they held goes back once the flood is over; glibc would
// otherwise raise its threshold and keep them in the heap for good.
inline void returnLargeBuffersToSystem()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}
