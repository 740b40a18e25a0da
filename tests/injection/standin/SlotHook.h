// One method of a COM interface replaced in the object's method table. The table is shared by
// every object of that implementation, so installing once covers them all; should objects of
// another implementation bring their own table, its original is kept beside the first.
#pragma once
#include <windows.h>
#include <cstddef>
#include <utility>
#include <vector>

class SlotHook {
public:
    SlotHook(size_t slot, void* hook) : slot_(slot), hook_(hook) {}

    // Puts the hook into the method table of object (once per table).
    void install(void* object);
    // The method the hook replaced in object's table.
    void* original(void* object) const;
    template <typename Fn> Fn original(void* object) const { return reinterpret_cast<Fn>(original(object)); }

private:
    size_t slot_;                                   // index in the method table
    void* hook_;                                    // the replacing function
    std::vector<std::pair<void**, void*>> tables_;  // method table and its original entry
};

// Slot number of a method in a C method-table record, e.g. SLOT(IDirect3DDevice9Vtbl, Reset).
#define SLOT(Vtbl, Method) (offsetof(Vtbl, Method) / sizeof(void*))
