/// \file
/// advString: the engine's fixed-capacity string.
#pragma once
#include "PelmoraPartsApi.h"

/// The engine's fixed-capacity string of single-byte characters (Windows-1252), at most 1023 long.
///
/// The characters live inside the object (1028 bytes; it never allocates), so it is passed by
/// value between the game and the engine libraries. Create it on the stack or as a member, copy
/// it freely; it owns no resource and has nothing to do over a device reset. Note: a text or
/// concatenation of 1024 characters or more gives the empty string, not a cut one.
class PELMORA_PARTS_API advString {
public:
    static constexpr unsigned short Capacity = 1024; ///< bytes in text; the longest string is Capacity - 1

    /// The empty string.
    advString();
    /// Copy of a NUL-terminated text; a text of 1024 characters or more, or null, gives the empty string.
    advString(const char* source);
    /// Copy of another string (a source length of 1024 or more gives the empty string).
    advString(const advString& other);
    /// Copy of another string; assignment to itself does nothing.
    advString& operator=(const advString& other);
    /// Sets the length to 0.
    ~advString();

    /// Makes the string empty.
    void initText();

    /// The length in characters.
    unsigned short AnnaPituus() const;
    /// The text buffer itself (NUL-terminated, Capacity bytes, owned by the string).
    ///
    /// Note: writing through it does not change the length; keep the two in step yourself.
    char* GetString();
    /// The text buffer itself, read-only.
    const char* GetString() const;

    /// The character at i. Past the length: the last character; at the length: the terminator.
    ///
    /// Note: no index is refused: an index past the end of "abc" gives 'c'; on the empty string
    /// every index gives the terminator.
    char& operator[](unsigned short i);
    /// The character at i by value, with the same clamping as the non-constant form.
    char operator[](unsigned short i) const;

    /// Concatenation; a result that would not fit (1024 characters or more) is the empty string.
    advString operator+(const advString& other);
    /// The same for a constant left side (this form was exported first; both are kept).
    advString operator+(const advString& other) const;
    /// Appends other; when the sum reaches 1024 characters the string becomes empty.
    advString& operator+=(const advString& other);

private:
    explicit advString(unsigned short n);        // n NUL characters (below Capacity), else empty
    unsigned short indexFor(unsigned short i) const;

    alignas(4) char text[Capacity];              // the characters, NUL-terminated within length + 1 bytes
    unsigned short length;                       // number of characters, always below Capacity
};

static_assert(sizeof(advString) == 1028, "advString is copied whole between modules: keep its size");
