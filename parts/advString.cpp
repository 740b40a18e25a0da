#include "advString.h"
#include <cstring>

advString::advString()
{
    initText();
}

advString::advString(const char* source)
{
    initText();
    if (!source)
        return;
    // Look for the terminator within the capacity only: a longer text is never read past it.
    const void* end = std::memchr(source, 0, Capacity);
    if (!end)
        return;
    length = (unsigned short)((const char*)end - source);
    std::memcpy(text, source, length + 1);
}

advString::advString(unsigned short n)
{
    initText();
    if (n >= Capacity)
        return;
    std::memset(text, 0, n + 1);
    length = n;
}

advString::advString(const advString& other)
{
    initText();
    *this = other;
}

advString& advString::operator=(const advString& other)
{
    if (this == &other)
        return *this;
    if (other.length >= Capacity) {
        initText();
        return *this;
    }
    std::memcpy(text, other.text, other.length);
    text[other.length] = 0;
    length = other.length;
    return *this;
}

advString::~advString()
{
    length = 0;
}

void advString::initText()
{
    text[0] = 0;
    length = 0;
}

unsigned short advString::AnnaPituus() const
{
    return length;
}

char* advString::GetString()
{
    return text;
}

const char* advString::GetString() const
{
    return text;
}

// Index i clamped to the string: the last character past the length, the terminator at it.
// On the empty string every index gives the terminator (text[0]). A length that is not below
// the capacity (a string whose bytes were overwritten) is taken as the longest one, so no index
// ever leaves the object.
unsigned short advString::indexFor(unsigned short i) const
{
    const unsigned short n = length < Capacity ? length : (unsigned short)(Capacity - 1);
    if (i <= n)
        return i;
    return n == 0 ? 0 : (unsigned short)(n - 1);
}

char& advString::operator[](unsigned short i)
{
    return text[indexFor(i)];
}

char advString::operator[](unsigned short i) const
{
    return text[indexFor(i)];
}

advString advString::operator+(const advString& other) const
{
    // Summed in int: a 16-bit sum could wrap round below the capacity and copy far too much.
    const int total = int(length) + int(other.length);
    if (length >= Capacity || other.length >= Capacity || total >= Capacity)
        return advString();
    advString result((unsigned short)total);
    std::memcpy(result.text, text, length);
    std::memcpy(result.text + length, other.text, other.length);
    result.text[total] = 0;
    return result;
}

advString advString::operator+(const advString& other)
{
    return static_cast<const advString&>(*this) + other;
}

advString& advString::operator+=(const advString& other)
{
    // Through a temporary so that appending a string to itself reads the original characters.
    *this = *this + other;
    return *this;
}
