#include "textCache.h"
#include "CountedArray.h"

textCache::textCache() : ready(false), entries(nullptr) {}

textCache::~textCache()
{
    DeleteCountedArray(entries);
}

void textCache::init(int n)
{
    if (n < 0) n = 0;
    if (!entries) entries = NewCountedArray<textParams>(size_t(n));
    const int count = WithinLength(entries, n);
    for (int i = 0; i < count; ++i) entries[i].text.initText();
    ready = true;
}

void textCache::RenderText(OXED3D*, int, bool) {}

void textCache::RenderAllText(OXED3D*) {}

int textCache::EntryCount() const
{
    return int(CountedLength(entries));
}
