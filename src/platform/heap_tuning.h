// How a short-lived command sets up the C heap for many picture-sized blocks.
#pragma once

namespace zel {

// Picture blocks below 32 MiB come from one heap and go back to it when freed, so that a
// block freed while loading (a frame as read, once composed) is reused for the next one
// instead of new pages being mapped and faulted in for every frame. Larger blocks are
// still mapped on their own and untouched pages of a calloc'd block stay unbacked. The heap
// grows by a large step at once, asked to be backed by transparent huge pages, so that the
// frames of a long animation cost few page faults. Call once, first thing in main, before
// any other thread starts.
void KeepPictureBlocksInHeap();

// Hands the heap's free pages back to the system. A long-lived process calls it once a large
// document has gone: the heap above keeps freed picture blocks for reuse and returns them
// on its own only when tens of megabytes lie free at its very top.
void GiveBackFreeMemory();

}  // namespace zel
