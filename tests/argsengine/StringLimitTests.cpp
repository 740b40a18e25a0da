// The engine string at and past its capacity: copies, assignments, concatenation (also of a
// string with itself), indexing at and after the length, a length field that was overwritten,
// and the strings the menu kit keeps.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "advString.h"
#include "simpleMenu.h"
#include "textCache.h"
#include "textParams.h"

namespace {

const int Cap = advString::Capacity;

std::string Text(size_t n, char c = 'x') { return std::string(n, c); }

// n characters, the last one 'Z', so that "the last character" is recognisable.
std::string Marked(size_t n)
{
    std::string s(n, 'a');
    if (n) s[n - 1] = 'Z';
    return s;
}

// Overwrites a string's bytes as a stray write into it would: the text without any terminator
// and the given number in its length field (which follows the 1024 text bytes).
void Overwrite(advString& s, unsigned short length, char fill)
{
    unsigned char raw[sizeof(advString)] = {};
    std::memset(raw, fill, Cap);
    std::memcpy(raw + Cap, &length, sizeof length);
    std::memcpy(static_cast<void*>(&s), raw, sizeof raw);
}

// True when p points into the object s.
bool Inside(const advString& s, const char* p)
{
    const char* begin = reinterpret_cast<const char*>(&s);
    return p >= begin && p < begin + Cap;
}

} // namespace

TEST(StringLimits, CopiesAndAssignmentsKeepTheLongestStringAndRefuseLongerTexts)
{
    for (size_t n : {size_t(Cap - 2), size_t(Cap - 1)}) {
        const std::string text = Marked(n);
        advString made(text.c_str());
        advString copied(made);
        advString assigned("short");
        assigned = made;
        for (advString* s : {&made, &copied, &assigned}) {
            EXPECT_EQ(s->AnnaPituus(), n);
            EXPECT_EQ(std::string(s->GetString()), text);
        }
    }
    for (size_t n : {size_t(Cap), size_t(Cap + 1), size_t(100000)}) {
        const std::string text = Text(n);
        advString assigned("was here");
        assigned = text.c_str(); // through the constructor from a text
        EXPECT_EQ(assigned.AnnaPituus(), 0) << n;
        EXPECT_STREQ(assigned.GetString(), "") << n;
        advString copied(advString(text.c_str()));
        EXPECT_EQ(copied.AnnaPituus(), 0) << n;
    }
    // The longest string assigned over itself stays as it is.
    advString longest(Marked(Cap - 1).c_str());
    advString& same = longest;
    longest = same;
    EXPECT_EQ(longest.AnnaPituus(), Cap - 1);
    EXPECT_EQ(longest[Cap - 2], 'Z');
}

TEST(StringLimits, OverwrittenLengthIsNeverTrustedByCopyConcatenationOrIndex)
{
    for (unsigned short bad : {(unsigned short)Cap, (unsigned short)65535}) {
        advString broken;
        Overwrite(broken, bad, 'q');

        advString copied(broken);
        EXPECT_EQ(copied.AnnaPituus(), 0) << bad;
        EXPECT_STREQ(copied.GetString(), "") << bad;
        advString assigned("abc");
        assigned = broken;
        EXPECT_EQ(assigned.AnnaPituus(), 0) << bad;

        // A 16-bit sum of 65535 and 2 would wrap round to 1 and copy 65535 bytes into a result
        // of 1028: the result must be the empty string instead.
        advString two("de");
        advString left = broken + two;
        advString right = two + broken;
        EXPECT_EQ(left.AnnaPituus(), 0) << bad;
        EXPECT_EQ(right.AnnaPituus(), 0) << bad;
        EXPECT_STREQ(right.GetString(), "") << bad;
        EXPECT_STREQ(two.GetString(), "de") << "the operand is unchanged";
        two += broken;
        EXPECT_EQ(two.AnnaPituus(), 0) << bad;

        // Every index stays inside the object.
        for (unsigned short i : {(unsigned short)0, (unsigned short)(Cap - 1), (unsigned short)Cap,
                                 (unsigned short)2000, (unsigned short)65535}) {
            EXPECT_TRUE(Inside(broken, &broken[i])) << bad << " " << i;
        }
        const advString& view = broken;
        EXPECT_EQ(view[65535], 'q');
    }
}

TEST(StringLimits, ConcatenationAtTheLimitAndOfAStringWithItself)
{
    const std::string a1022 = Marked(Cap - 2);
    advString s1022(a1022.c_str()), one("!"), empty, s1023(Marked(Cap - 1).c_str());

    advString fits = s1022 + one;
    EXPECT_EQ(fits.AnnaPituus(), Cap - 1);
    EXPECT_EQ(std::string(fits.GetString()), a1022 + "!");
    EXPECT_EQ((s1023 + empty).AnnaPituus(), Cap - 1);
    EXPECT_EQ((empty + s1023).AnnaPituus(), Cap - 1);

    advString over = s1023 + one;
    EXPECT_EQ(over.AnnaPituus(), 0);
    EXPECT_STREQ(over.GetString(), "");
    EXPECT_EQ(s1023.AnnaPituus(), Cap - 1) << "operands are unchanged";
    EXPECT_EQ(one.AnnaPituus(), 1);
    EXPECT_EQ((s1023 + s1023).AnnaPituus(), 0);

    // Appending at the limit: the string that reaches 1024 becomes empty.
    advString grow(a1022.c_str());
    grow += one;
    EXPECT_EQ(grow.AnnaPituus(), Cap - 1);
    grow += one;
    EXPECT_EQ(grow.AnnaPituus(), 0);
    EXPECT_STREQ(grow.GetString(), "");

    // A string with itself: 511 twice fits, 512 twice is 1024 and does not.
    const std::string h511 = Marked(511);
    advString doubled(h511.c_str());
    doubled += doubled;
    EXPECT_EQ(doubled.AnnaPituus(), 1022);
    EXPECT_EQ(std::string(doubled.GetString()), h511 + h511);
    advString sum(h511.c_str());
    sum = sum + sum;
    EXPECT_EQ(std::string(sum.GetString()), h511 + h511);
    advString tooMuch(Marked(512).c_str());
    tooMuch += tooMuch;
    EXPECT_EQ(tooMuch.AnnaPituus(), 0);
    advString longest(Marked(Cap - 1).c_str());
    longest += longest;
    EXPECT_EQ(longest.AnnaPituus(), 0);
}

TEST(StringLimits, IndexAtAndAfterTheLengthOfTheLongestString)
{
    advString s(Marked(Cap - 1).c_str());
    EXPECT_EQ(s[Cap - 2], 'Z');
    EXPECT_EQ(s[Cap - 1], '\0') << "the terminator";
    EXPECT_EQ(s[Cap], 'Z');
    EXPECT_EQ(s[65535], 'Z');
    EXPECT_EQ(&s[65535], &s[Cap - 2]);

    // A write past the length lands on the last character; the terminator stays.
    s[60000] = 'Q';
    EXPECT_EQ(s[Cap - 2], 'Q');
    EXPECT_EQ(s.GetString()[Cap - 1], '\0');
    EXPECT_EQ(s.AnnaPituus(), Cap - 1);
    EXPECT_EQ(strlen(s.GetString()), size_t(Cap - 1));

    const advString& view = s;
    EXPECT_EQ(view[Cap], 'Q');
    EXPECT_EQ(view[Cap - 1], '\0');
}

TEST(StringLimits, MenuEntriesKeepTheLongestTextsAndRefuseLongerOnes)
{
    const std::string longest = Marked(Cap - 1);
    textParams entry;
    entry.text = advString(longest.c_str());
    entry.fontName = advString(longest.c_str());
    textParams copy(entry);
    textParams assigned;
    assigned = entry;
    for (textParams* t : {&copy, &assigned}) {
        EXPECT_EQ(std::string(t->text.GetString()), longest);
        EXPECT_EQ(std::string(t->fontName.GetString()), longest);
    }
    entry.text = advString(Text(Cap).c_str());
    EXPECT_EQ(entry.text.AnnaPituus(), 0);

    simpleMenu menu(2, 0);
    menu.items[1].text = advString(longest.c_str());
    menuItem item(menu.items[1]);
    EXPECT_EQ(item.text.AnnaPituus(), Cap - 1);
    menu.items[0] = item;
    EXPECT_EQ(std::string(menu.items[0].text.GetString()), longest);
    EXPECT_STREQ(menu.items[0].fontName.GetString(), "arial");

    textCache cache;
    cache.init(2);
    cache.entries[0].text = advString(longest.c_str());
    cache.entries[1].text = cache.entries[0].text + advString("!");
    EXPECT_EQ(cache.entries[1].text.AnnaPituus(), 0) << "1024 characters do not fit an entry";
    cache.init(2);
    EXPECT_EQ(cache.entries[0].text.AnnaPituus(), 0);
}
