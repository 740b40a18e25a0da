// advString: capacity limits, copying, indexing and concatenation.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "advString.h"

namespace {

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST(AdvString, LayoutIsTheSharedOne)
{
    EXPECT_EQ(sizeof(advString), 1028u);
    advString s;
    // The text buffer starts the object: modules that pass it by value agree on this.
    EXPECT_EQ((void*)s.GetString(), (void*)&s);
}

TEST(AdvString, DefaultAndInitTextAreEmpty)
{
    advString s;
    EXPECT_EQ(s.AnnaPituus(), 0);
    EXPECT_STREQ(s.GetString(), "");
    advString t("hello");
    t.initText();
    EXPECT_EQ(t.AnnaPituus(), 0);
    EXPECT_STREQ(t.GetString(), "");
}

TEST(AdvString, TextsAtAndPastCapacity)
{
    std::string longest = Repeat('x', 1023);
    advString kept(longest.c_str());
    EXPECT_EQ(kept.AnnaPituus(), 1023);
    EXPECT_EQ(std::string(kept.GetString()), longest);

    std::string tooLong = Repeat('y', 1024);
    advString cut(tooLong.c_str());
    EXPECT_EQ(cut.AnnaPituus(), 0);
    EXPECT_STREQ(cut.GetString(), "");

    std::string muchTooLong = Repeat('z', 5000);
    advString cut2(muchTooLong.c_str());
    EXPECT_EQ(cut2.AnnaPituus(), 0);

    advString fromNull((const char*)nullptr);
    EXPECT_EQ(fromNull.AnnaPituus(), 0);
    EXPECT_STREQ(fromNull.GetString(), "");
}

TEST(AdvString, CopyAndAssignment)
{
    advString a("abc");
    advString b(a);
    EXPECT_STREQ(b.GetString(), "abc");
    EXPECT_EQ(b.AnnaPituus(), 3);
    EXPECT_NE(a.GetString(), b.GetString());

    advString c("a much longer text than abc");
    c = a;
    EXPECT_STREQ(c.GetString(), "abc");
    EXPECT_EQ(c.AnnaPituus(), 3);

    advString& self = c;
    c = self;
    EXPECT_STREQ(c.GetString(), "abc");
    EXPECT_EQ(c.AnnaPituus(), 3);
}

TEST(AdvString, IndexingClampsToTheString)
{
    advString s("abc");
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s[2], 'c');
    EXPECT_EQ(s[3], '\0');   // the terminator
    EXPECT_EQ(s[10], 'c');   // past the length: the last character
    EXPECT_EQ(s[65535], 'c');
    const advString& cs = s;
    EXPECT_EQ(cs[10], 'c');
    EXPECT_EQ(cs[1], 'b');

    s[1] = 'X';
    EXPECT_STREQ(s.GetString(), "aXc");
    s[50] = 'Z'; // writes the last character, nothing past it
    EXPECT_STREQ(s.GetString(), "aXZ");

    // Every index of the empty string refers to its terminator, inside the object.
    advString empty;
    EXPECT_EQ(empty[0], '\0');
    EXPECT_EQ(empty[7], '\0');
    EXPECT_EQ(&empty[7], empty.GetString());
}

TEST(AdvString, Concatenation)
{
    advString abc("abc"), de("de");
    advString sum = abc + de;
    EXPECT_STREQ(sum.GetString(), "abcde");
    EXPECT_EQ(sum.AnnaPituus(), 5);
    EXPECT_STREQ(abc.GetString(), "abc"); // operands unchanged

    advString empty;
    EXPECT_STREQ((empty + abc).GetString(), "abc");
    EXPECT_STREQ((abc + empty).GetString(), "abc");

    abc += de;
    EXPECT_STREQ(abc.GetString(), "abcde");
    EXPECT_EQ(abc.AnnaPituus(), 5);

    advString self("xy");
    self += self;
    EXPECT_STREQ(self.GetString(), "xyxy");
    EXPECT_EQ(self.AnnaPituus(), 4);
}

TEST(AdvString, ConcatenationAtCapacity)
{
    std::string s600 = Repeat('a', 600), s500 = Repeat('b', 500);
    advString a(s600.c_str()), b(s500.c_str());
    advString tooLong = a + b;
    EXPECT_EQ(tooLong.AnnaPituus(), 0);
    EXPECT_STREQ(tooLong.GetString(), "");

    a += b;
    EXPECT_EQ(a.AnnaPituus(), 0);
    EXPECT_STREQ(a.GetString(), "");

    // 1023 in total still fits; 1024 does not.
    std::string s523 = Repeat('c', 523), s524 = Repeat('d', 524);
    advString fits = advString(s500.c_str()) + advString(s523.c_str());
    EXPECT_EQ(fits.AnnaPituus(), 1023);
    EXPECT_EQ(std::string(fits.GetString()), s500 + s523);
    advString over = advString(s500.c_str()) + advString(s524.c_str());
    EXPECT_EQ(over.AnnaPituus(), 0);
}

} // namespace
