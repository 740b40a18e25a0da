#include "SlotHook.h"

void SlotHook::install(void* object)
{
    if (!object) return;
    void** table = *static_cast<void***>(object);
    for (const auto& t : tables_)
        if (t.first == table) return;
    void** entry = table + slot_;
    if (*entry == hook_) return;
    DWORD protection = 0;
    if (!VirtualProtect(entry, sizeof(void*), PAGE_READWRITE, &protection)) return;
    tables_.push_back({table, *entry});
    *entry = hook_;
    VirtualProtect(entry, sizeof(void*), protection, &protection);
    FlushInstructionCache(GetCurrentProcess(), entry, sizeof(void*));
}

void* SlotHook::original(void* object) const
{
    void** table = *static_cast<void***>(object);
    for (const auto& t : tables_)
        if (t.first == table) return t.second;
    return tables_.empty() ? nullptr : tables_.front().second;
}
