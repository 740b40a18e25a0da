#include "textCache.h"
#include <new>

textCache::textCache() : ready(false), entries(nullptr), entryCount(0) {}

textCache::~textCache()
{
    delete[] entries;
    entries = nullptr;
    entryCount = 0;
}

void textCache::init(int n)
{
    if (n < 0) n = 0;
    if (!entries) {
        entries = new (std::nothrow) textParams[n > 0 ? n : 1];
        entryCount = entries ? n : 0;
    }
    const int count = n < entryCount ? n : entryCount;
    for (int i = 0; i < count; ++i) entries[i].text.initText();
    ready = true;
}
