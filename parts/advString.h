// advString: the engine's fixed-capacity string. The characters live inside the object (it never
// allocates), so it can be passed by value between the game and the engine libraries.
#pragma once
#include "PelmoraPartsApi.h"

class PELMORA_PARTS_API advString {
public:
    static constexpr unsigned short Capacity = 1024; // bytes in text; the longest string is Capacity - 1

    advString();                                 // the empty string
    advString(const char* source);               // copy of a NUL-terminated text; too long or null: empty
    advString(const advString& other);
    advString& operator=(const advString& other);
    ~advString();

    void initText();                             // makes the string empty

    unsigned short AnnaPituus() const;           // the length in characters
    char* GetString();                           // the text buffer itself
    const char* GetString() const;

    // The character at i. Past the length: the last character; at the length: the terminator.
    char& operator[](unsigned short i);
    char operator[](unsigned short i) const;

    // Concatenation; a result that would not fit (1024 characters or more) is the empty string.
    advString operator+(const advString& other);
    // The same for a constant left side (this form was exported first; both are kept).
    advString operator+(const advString& other) const;
    advString& operator+=(const advString& other);

private:
    explicit advString(unsigned short n);        // n NUL characters (below Capacity), else empty
    unsigned short indexFor(unsigned short i) const;

    alignas(4) char text[Capacity];              // the characters, NUL-terminated within length + 1 bytes
    unsigned short length;                       // number of characters, always below Capacity
};

static_assert(sizeof(advString) == 1028, "advString is copied whole between modules: keep its size");
