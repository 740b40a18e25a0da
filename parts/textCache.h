/// \file
/// textCache: a fixed array of text entries.
#pragma once
#include "PelmoraPartsApi.h"
#include "textParams.h"

class OXED3D;

/// A fixed array of text entries, made once at the first init.
///
/// Use: construct, init(n) (again to empty the texts), fill the entries. It owns the entries and
/// frees them in its destructor; it draws nothing.
class PELMORA_PARTS_API textCache {
public:
    /// Not ready, no entries.
    textCache();
    /// Frees the entries.
    ~textCache();
    textCache(const textCache&) = delete;            ///< not copied: it owns its entries
    textCache& operator=(const textCache&) = delete; ///< not assigned: it owns its entries

    /// First call: makes n entries (none for n below 0). Every call: empties the text of the
    /// first n entries, then the cache is ready.
    ///
    /// Note: the array keeps the size of the first call: a later, larger n empties only the
    /// entries made then (see EntryCount).
    void init(int n);
    /// Draws nothing.
    void RenderText(OXED3D*, int, bool);
    /// Draws nothing.
    void RenderAllText(OXED3D*);
    /// The number of entries made at the first init (0 before it). The count lives in a small
    /// header in front of the entries' own allocation, so the class keeps its two fields.
    int EntryCount() const;

    bool ready;           ///< init has run
    textParams* entries;  ///< EntryCount() entries, owned
};

static_assert(sizeof(textCache) == 16, "clients embed textCache: a flag and a pointer");
