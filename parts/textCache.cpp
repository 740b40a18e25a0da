#include "textCache.h"
#include <new>

namespace {

// The entries are allocated behind this header, which keeps their count (the class itself has
// no room for it). It is as large as the entries' alignment, so that they stay aligned.
struct alignas(textParams) EntriesHeader {
    int count;
};

EntriesHeader* HeaderOf(textParams* entries)
{
    return entries ? reinterpret_cast<EntriesHeader*>(entries) - 1 : nullptr;
}

// n constructed entries behind a header holding n; null when the memory cannot be had.
textParams* MakeEntries(int n)
{
    void* block = ::operator new(sizeof(EntriesHeader) + sizeof(textParams) * size_t(n), std::nothrow);
    if (!block) return nullptr;
    EntriesHeader* header = new (block) EntriesHeader{n};
    textParams* entries = reinterpret_cast<textParams*>(header + 1);
    for (int i = 0; i < n; ++i) new (entries + i) textParams();
    return entries;
}

void FreeEntries(textParams* entries)
{
    EntriesHeader* header = HeaderOf(entries);
    if (!header) return;
    for (int i = header->count - 1; i >= 0; --i) entries[i].~textParams();
    ::operator delete(header);
}

} // namespace

textCache::textCache() : ready(false), entries(nullptr) {}

textCache::~textCache()
{
    FreeEntries(entries);
    entries = nullptr;
}

void textCache::init(int n)
{
    if (n < 0) n = 0;
    if (!entries) entries = MakeEntries(n);
    const int made = EntryCount();
    const int count = n < made ? n : made;
    for (int i = 0; i < count; ++i) entries[i].text.initText();
    ready = true;
}

void textCache::RenderText(OXED3D*, int, bool) {}

void textCache::RenderAllText(OXED3D*) {}

int textCache::EntryCount() const
{
    const EntriesHeader* header = HeaderOf(entries);
    return header ? header->count : 0;
}
