// textCache: a fixed array of text entries, made once at the first init.
#pragma once
#include "PelmoraPartsApi.h"
#include "textParams.h"

class OXED3D;

class PELMORA_PARTS_API textCache {
public:
    textCache();  // not ready, no entries
    ~textCache(); // frees the entries
    textCache(const textCache&) = delete; // owns its entries
    textCache& operator=(const textCache&) = delete;

    // First call: makes n entries. Every call: empties the text of the first n entries (never
    // more than were made at the first call), then the cache is ready.
    void init(int n);
    void RenderText(OXED3D*, int, bool); // draws nothing
    void RenderAllText(OXED3D*);         // draws nothing
    // The number of entries made at the first init (0 before it). The count lives in a small
    // header in front of the entries' own allocation, so the class keeps its two fields.
    int EntryCount() const;

    bool ready;           // init has run
    textParams* entries;  // EntryCount() entries, owned
};

static_assert(sizeof(textCache) == 16, "clients embed textCache: a flag and a pointer");
