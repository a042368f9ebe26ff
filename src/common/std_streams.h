#pragma once
// STD STREAMS: descriptors 0, 1 and 2 held by the standard streams before a program opens
// anything. A program started with one of them closed (`demo 2>&-`) would otherwise hand
// that number to the next file it opens (the X connection, a recording), and text meant for
// standard output or error would land inside that file. A closed one gets /dev/null opened
// for reading, so a write to it still fails as on a closed descriptor (EBADF) and is
// reported, while the number stays taken.

void std_streams_reserve();  // call first in main; nothing to undo
