// Growth of the managers' record lists (materials, textures, skins, static and index buffers):
// plain blocks from malloc/realloc, grown in steps so that adding one record seldom moves them.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdlib>

// Records a list grows by whenever one is added at a multiple of it.
const UINT OXE_LIST_GROW_STEP = 50;

// Makes room for the record about to be added at index count: when count is a multiple of the
// step, the block is reallocated to count + step records (the records already there are kept;
// T must be copyable as bytes). Returns false, and leaves the list as it was, when the block
// could not be grown.
template <typename T> bool OXEGrowList(T*& list, UINT count)
{
    if (count % OXE_LIST_GROW_STEP != 0) return true;
    T* grown = static_cast<T*>(realloc(list, sizeof(T) * (size_t(count) + OXE_LIST_GROW_STEP)));
    if (!grown) return false;
    list = grown;
    return true;
}
