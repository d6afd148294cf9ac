// String: 16-bit storage layout, sharing and copy on write, searching,
// conversions to and from 8-bit and 16-bit data, hashing and format.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/CharCoding.h"
#include "core/Exception.h"
#include "core/String.h"
#include "tests/core/CoreTestUtil.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::CharCoding;
using core::String;
using core::StringIndexOutOfBoundsException;
using core::UnsupportedCharacterSetException;
using core_test::poolStats;

namespace {

class StringTest : public testing_support::EngineTest { };

// The code units of `s`, for comparisons.
std::u16string units(const String& s)
{
    std::u16string out;
    for (int i = 0; i < s.length(); ++i)
        out += static_cast<char16_t>(s.charAt(i));
    return out;
}

} // namespace

TEST_F(StringTest, StorageLayoutSizesAndHash)
{
    String empty("");
    EXPECT_EQ(empty.length(), 0);
    EXPECT_EQ(empty.getAllocatedSize(), 4); // mark + terminator
    EXPECT_STREQ(empty.getASCII(), "");
    EXPECT_EQ(empty.getHash(), 0);
    EXPECT_EQ(String().length(), 0);

    String abc("abc");
    EXPECT_EQ(abc.length(), 3);
    EXPECT_EQ(abc.getAllocatedSize(), 10);
    EXPECT_EQ(abc.getHash(), 97 + 98 + 99);
    unsigned char bytes[10];
    abc.getData(bytes, sizeof bytes);
    const unsigned char expected[10] = {0xFF, 0xFE, 'a', 0, 'b', 0, 'c', 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, expected, 10), 0);
    EXPECT_EQ(assertionText([&] { abc.charAt(3); }), " (index < length()) && ( index>=0 ) ");
    EXPECT_EQ(assertionText([&] { abc.charAt(-1); }), " (index < length()) && ( index>=0 ) ");
    EXPECT_EQ(assertionText([&] { String(static_cast<const char*>(nullptr)); }), "NULL string in String constructor");
}

TEST_F(StringTest, HighBytesRoundTripAndHashAsSignedOnEveryPlatform)
{
    String high("\xE9\x80\xFF");
    EXPECT_EQ(units(high), (std::u16string{0xE9, 0x80, 0xFF}));
    EXPECT_STREQ(high.getASCII(), "\xE9\x80\xFF");
    // Signed bytes by hand: 0xE9 = -23, 0x80 = -128, 0xFF = -1.
    EXPECT_EQ(high.getHash(), -152);

    // Units above 0xFF keep only their low byte in the 8-bit form.
    String wide("ab");
    wide.setCharAt(0, 0x263A);
    EXPECT_STREQ(wide.getASCII(),
                 "\x3A"
                 "b");
    EXPECT_EQ(wide.getHash(), 0x3A + 'b');
}

TEST_F(StringTest, CopiesShareUntilAppendCopiesOnWrite)
{
    String a("abc");
    String b = a;
    b.setCharAt(0, 'x');
    EXPECT_TRUE(a.equals("xbc")) << "setCharAt changes the shared storage";
    EXPECT_EQ(a.getHash(), 'x' + 'b' + 'c') << "the cached hash follows the change";
    EXPECT_THROW(a.setCharAt(3, 'y'), StringIndexOutOfBoundsException);
    EXPECT_THROW(a.setCharAt(-1, 'y'), StringIndexOutOfBoundsException);

    String c = a;
    a += "de";
    a += String("f");
    EXPECT_TRUE(a.equals("xbcdef"));
    EXPECT_TRUE(b.equals("xbc")) << "earlier copies keep the old text";
    EXPECT_TRUE(c.equals("xbc"));

    EXPECT_EQ(assertionText([&] { a += a; }), " 0 ");
    String sharing = a;
    EXPECT_EQ(assertionText([&] { a += sharing; }), " 0 ");
    EXPECT_TRUE(a.equals("xbcdef"));

    EXPECT_TRUE((a + a).equals("xbcdefxbcdef")) << "+ builds fresh storage";
    EXPECT_TRUE((b + String("")).equals("xbc"));
    EXPECT_TRUE(a.equals("xbcdef"));

    // Appending to shared storage leaves it (and texts taken from it) alone;
    // unshared storage may grow in place.
    const char* before = sharing.getASCII();
    a += "g";
    EXPECT_STREQ(before, "xbcdef");
    EXPECT_TRUE(a.equals("xbcdefg"));
    String solo("solo");
    solo += "ist";
    solo += String("s");
    EXPECT_TRUE(solo.equals("soloists"));
}

TEST_F(StringTest, SubstringIncludesTheEndIndex)
{
    String s("abcdef");
    EXPECT_TRUE(s.substring(1, 3).equals("bcd"));
    EXPECT_TRUE(s.substring(4).equals("ef"));
    EXPECT_TRUE(s.substring(0, 5).equals("abcdef"));
    EXPECT_EQ(assertionText([&] { s.substring(2, 2); }), " endIndex > startIndex ");
    EXPECT_EQ(assertionText([&] { s.substring(5); }), " endIndex > startIndex ");
    EXPECT_EQ(assertionText([&] { s.substring(2, 6); }), " (0 <= endIndex) && (endIndex < this->length()) ");
    EXPECT_EQ(assertionText([&] { s.substring(-1, 2); }), " (0 <= startIndex) && (startIndex < this->length()) ");
}

TEST_F(StringTest, SearchingForCharacters)
{
    String empty("");
    EXPECT_EQ(empty.indexOf('a', 0), -1);
    EXPECT_EQ(empty.indexOf('a', 7), -1) << "no check on an empty string";
    EXPECT_EQ(empty.lastIndexOf('a'), -1);

    String path("dir/sub/file");
    EXPECT_EQ(path.indexOf('/'), 3);
    EXPECT_EQ(path.indexOf('/', 4), 7);
    EXPECT_EQ(path.indexOf('x'), -1);
    EXPECT_EQ(path.lastIndexOf('/', 11), 7);
    EXPECT_EQ(path.lastIndexOf('/', 6), 3);
    EXPECT_EQ(path.lastIndexOf('d', 0), 0);
    EXPECT_EQ(path.lastIndexOf('/'), 7);
    EXPECT_EQ(assertionText([&] { path.lastIndexOf('/', path.length()); }),
              " (0 <= fromIndex) && (fromIndex < this->length()) ");
    EXPECT_EQ(assertionText([&] { path.indexOf('/', path.length()); }),
              " (0 <= startIndex) && (startIndex < this->length()) ");
    EXPECT_EQ(assertionText([&] { path.indexOf('/', -1); }), " (0 <= startIndex) && (startIndex < this->length()) ");
}

TEST_F(StringTest, ComparisonsUseUnsignedBytesAndCodeUnits)
{
    String abc("abc");
    EXPECT_EQ(abc.compareTo("abc"), 0);
    EXPECT_EQ(abc.compareTo("abd"), -1);
    EXPECT_EQ(abc.compareTo("abb"), 1);
    EXPECT_EQ(abc.compareTo("ab"), 1);
    EXPECT_EQ(abc.compareTo("abcd"), -1);
    EXPECT_EQ(String("\xE9").compareTo("a"), 1) << "0xE9 is above 'a' as unsigned";
    EXPECT_TRUE(abc.equals("abc"));
    EXPECT_FALSE(abc.equals(""));
    EXPECT_EQ(assertionText([&] { abc.compareTo(nullptr); }), " str != 0 ");
    EXPECT_EQ(assertionText([&] { abc.equals(static_cast<const char*>(nullptr)); }), " str != 0 ");

    // Different storage, same units; same low bytes but different units.
    EXPECT_TRUE(abc.equals(String("abc")));
    EXPECT_TRUE(abc == String("abc"));
    String wide("abc");
    wide.setCharAt(1, 0x162); // low byte 'b'
    EXPECT_EQ(wide.getHash(), abc.getHash());
    EXPECT_FALSE(abc.equals(wide));
    EXPECT_FALSE(abc.equals(String("ab")));
}

TEST_F(StringTest, PrefixesAndRegions)
{
    String name("data/font.png");
    EXPECT_TRUE(name.startsWith(String("data/")));
    EXPECT_TRUE(name.startsWith(name));
    EXPECT_FALSE(name.startsWith(String("data/font.png2")));
    EXPECT_FALSE(name.startsWith(String("date")));
    EXPECT_TRUE(name.startsWith(String(""))) << "every string begins with the empty one";
    EXPECT_TRUE(String("").startsWith(String("")));
    EXPECT_FALSE(String("").startsWith(String("a")));

    String other("font");
    EXPECT_TRUE(name.regionMatches(5, other, 0, 4));
    EXPECT_FALSE(name.regionMatches(5, other, 1, 4)) << "runs past the other string";
    EXPECT_FALSE(name.regionMatches(12, other, 0, 4)) << "runs past this string";
    EXPECT_FALSE(name.regionMatches(12, other, 0, INT_MAX)) << "offset + length must not wrap";
    EXPECT_EQ(assertionText([&] { name.regionMatches(0, other, 0, 0); }), " lengthToCompare > 0 ");
    EXPECT_EQ(assertionText([&] { name.regionMatches(13, other, 0, 1); }),
              " (0 <= thisOffset) && (thisOffset < this->length()) ");
    EXPECT_EQ(assertionText([&] { name.regionMatches(0, other, 4, 1); }),
              " (0 <= otherOffset) && (otherOffset < otherString.length()) ");
}

TEST_F(StringTest, ToASCIIAndGetDataNeedRoomForTheTerminator)
{
    String s("hello");
    char exact[6];
    s.toASCII(exact, 6);
    EXPECT_STREQ(exact, "hello");
    char small[5];
    EXPECT_THROW(s.toASCII(small, 5), StringIndexOutOfBoundsException);
    EXPECT_EQ(assertionText([&] { s.toASCII(small, 0); }), " bufSize > 0 ");
    EXPECT_EQ(assertionText([&] { s.toASCII(nullptr, 5); }), " strBuffer != 0 ");

    unsigned char data[14];
    s.getData(data, 14);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[12], 0);
    EXPECT_THROW(s.getData(data, 13), StringIndexOutOfBoundsException);
    EXPECT_EQ(assertionText([&] { s.getData(nullptr, 14); }), " data ");
}

TEST_F(StringTest, SettingSixteenBitData)
{
    String s("x");
    String sharer = s;

    // Marked data with its terminator is taken as it is.
    const unsigned short marked[] = {CharCoding::MARK, 'h', 'i', 0};
    s.setData(marked, sizeof marked);
    EXPECT_TRUE(s.equals("hi"));
    EXPECT_TRUE(sharer.equals("hi")) << "stored in the shared storage";
    EXPECT_EQ(s.getAllocatedSize(), 8);

    // Marked data without a terminator keeps all its characters, and the
    // 8-bit form still ends (a strlen must stop at the length).
    const unsigned short unterminated[] = {CharCoding::MARK, 'o', 'k'};
    s.setData(unterminated, sizeof unterminated);
    EXPECT_EQ(s.length(), 2);
    EXPECT_EQ(std::strlen(s.getASCII()), 2u);
    EXPECT_STREQ(s.getASCII(), "ok");

    // Unmarked data gets the mark in front; its last character is kept
    // when there is no terminator.
    const unsigned short plain[] = {'a', 'b', 0};
    s.setData(plain, sizeof plain);
    EXPECT_TRUE(s.equals("ab"));
    const unsigned short plainNoEnd[] = {'a', 'b'};
    s.setData(plainNoEnd, sizeof plainNoEnd);
    EXPECT_TRUE(s.equals("ab"));

    // The form getData writes reads back, the empty string included.
    String empty("");
    unsigned char emptyData[4];
    empty.getData(emptyData, 4);
    s.setData(emptyData, 4);
    EXPECT_EQ(s.length(), 0);
    String round("round trip");
    unsigned char roundData[64];
    round.getData(roundData, 64);
    s.setData(roundData, round.getAllocatedSize());
    EXPECT_TRUE(s.equals(round));

    // Data at an odd address.
    unsigned char oddBuffer[9] = {0, 0xFF, 0xFE, 'z', 0, 'y', 0, 0, 0};
    s.setData(oddBuffer + 1, 8);
    EXPECT_TRUE(s.equals("zy"));

    // The zero-terminated form counts up to its terminator.
    const unsigned short terminated[] = {'q', 'r', 's', 0, 'X'};
    s.setData(terminated);
    EXPECT_TRUE(s.equals("qrs"));

    const unsigned char swapped[] = {0xFE, 0xFF, 0, 'a', 0, 0};
    EXPECT_EQ(assertionText([&] { s.setData(swapped, 6); }), "No implementation");
    const unsigned char three[] = {'a', 0, 'b'};
    EXPECT_THROW(s.setData(three, 3), UnsupportedCharacterSetException);
    EXPECT_THROW(s.setData(three, 1), UnsupportedCharacterSetException);
    EXPECT_EQ(assertionText([&] { s.setData(three, 0); }), " lenInBytes > 0 ");
    EXPECT_EQ(assertionText([&] { s.setData(static_cast<const void*>(nullptr), 2); }), " data != 0 ");
    EXPECT_EQ(assertionText([&] { s.setData(static_cast<const unsigned short*>(nullptr)); }), " data != 0 ");
    EXPECT_TRUE(s.equals("qrs")) << "rejected data leaves the text alone";
}

TEST_F(StringTest, FormatWritesTheSharedStorageAndCutsLongResults)
{
    String s;
    String sharer = s;
    s.format("%s-%d-%c", "id", 42, 'z');
    EXPECT_TRUE(s.equals("id-42-z"));
    EXPECT_TRUE(sharer.equals("id-42-z"));
    EXPECT_EQ(assertionText([&] { s.format(nullptr); }), " formatter != 0 ");

    // Formatting from the string's own 8-bit form.
    s.format("<%s>", s.getASCII());
    EXPECT_TRUE(s.equals("<id-42-z>"));

    std::string longText(3000, 'w');
    testing_support::LogCapture log;
    s.format("%s!", longText.c_str());
    const std::string printed = log.text();
    EXPECT_EQ(s.length(), String::MAX_FORMAT_LENGTH);
    EXPECT_EQ(s.charAt(String::MAX_FORMAT_LENGTH - 1), 'w');
    EXPECT_NE(printed.find("WARNING |String::format: result of 3001 characters cut to 2047"), std::string::npos)
        << printed;

    // Reformatting a same-sized line, as a per-frame overlay does, allocates nothing.
    String line;
    line.format("fps %4d", 60);
    (void)line.getHash();
    const int allocations = poolStats().allocationCount;
    for (int frame = 0; frame < 100; ++frame) {
        line.format("fps %4d", frame);
        (void)line.getASCII();
    }
    EXPECT_EQ(poolStats().allocationCount, allocations);
    EXPECT_TRUE(line.equals("fps   99"));
}

TEST_F(StringTest, IOExceptionTakesAStringName)
{
    testing_support::LogCapture log;
    try {
        throw core::IOException("broken header", String("sulvanto.dat"));
    } catch (const core::IOException& e) {
        EXPECT_STREQ(e.getMessage(), "IO Name: sulvanto.dat. Message: broken header");
    }
    EXPECT_NE(log.text().find("IOException: IO Name: sulvanto.dat. Message: broken header"), std::string::npos);
}
