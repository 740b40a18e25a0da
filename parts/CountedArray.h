// Arrays that know their own length. A few classes of this library own an array through a
// public pointer beside a public count that clients may write; the classes have no room for
// another field, so the length an array was made with is kept in a small header in front of its
// first element. Loops over such an array stop at the smaller of the count and that length
// (WithinLength), so a count set too high reads and writes nothing past the array.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>

namespace counted {

// In front of the elements; as large as their alignment, so that they stay aligned.
template <class T>
struct alignas(alignof(T) > alignof(std::size_t) ? alignof(T) : alignof(std::size_t)) Header {
    std::size_t length; // elements made
};

template <class T> Header<T>* HeaderOf(T* items)
{
    return reinterpret_cast<Header<T>*>(items) - 1;
}

} // namespace counted

// n value-initialised elements behind a header holding n; null when the memory cannot be had.
// Free with DeleteCountedArray only.
template <class T> T* NewCountedArray(std::size_t n)
{
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "the allocation aligns to the default only");
    using Header = counted::Header<T>;
    if (n > (SIZE_MAX - sizeof(Header)) / sizeof(T)) return nullptr;
    void* block = ::operator new(sizeof(Header) + sizeof(T) * n, std::nothrow);
    if (!block) return nullptr;
    T* items = reinterpret_cast<T*>(new (block) Header{n} + 1);
    for (std::size_t i = 0; i < n; ++i) new (items + i) T();
    return items;
}

// The number of elements the array was made with; 0 for none.
template <class T> std::size_t CountedLength(const T* items)
{
    return items ? counted::HeaderOf(const_cast<T*>(items))->length : 0;
}

// Destroys the elements, frees the array and sets the pointer to null.
template <class T> void DeleteCountedArray(T*& items)
{
    if (!items) return;
    counted::Header<T>* header = counted::HeaderOf(items);
    for (std::size_t i = header->length; i > 0; --i) items[i - 1].~T();
    ::operator delete(header);
    items = nullptr;
}

// How many elements a loop over count of them may visit: count, but never past the array's
// length, and 0 for a count below 1.
template <class T, class N> N WithinLength(const T* items, N count)
{
    if (count <= 0) return 0;
    const std::size_t length = CountedLength(items);
    return static_cast<std::size_t>(count) < length ? count : static_cast<N>(length);
}
