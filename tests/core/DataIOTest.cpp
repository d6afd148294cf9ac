// DataIO: the byte layout of every value type, round trips, the byte budget
// (including budgets and lengths of 2^31 and more, which must not turn
// negative), and the content checks on floats, booleans and strings.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/DataIO.h"
#include "core/MemoryStream.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::DataIO;
using core::MemoryStream;
using core::Ref;

namespace {

class DataIOTest : public testing_support::EngineTest { };

using Bytes = std::vector<unsigned char>;

Bytes written(const MemoryStream& stream)
{
    return Bytes(stream.getData(), stream.getData() + stream.getSize());
}

// A DataIO reading `bytes` with the budget `budget`.
Ref<DataIO> reader(const Bytes& bytes, uint32_t budget)
{
    Ref<MemoryStream> stream = bytes.empty()
        ? Ref<MemoryStream>(VORNA3D_NEW MemoryStream("", 0, true))
        : Ref<MemoryStream>(VORNA3D_NEW MemoryStream(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<int>(bytes.size()), false));
    stream->setName("data.bin");
    return VORNA3D_NEW DataIO(Ref<core::Stream>(stream), budget);
}

Ref<DataIO> reader(const Bytes& bytes)
{
    return reader(bytes, static_cast<uint32_t>(bytes.size()));
}

// The message of the IOException `action` throws, without the name prefix.
template <class Action> std::string failure(Action action)
{
    try {
        action();
    } catch (const core::IOException& e) {
        const std::string text = e.getMessage();
        const std::string prefix = "IO Name: data.bin. Message: ";
        return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : "<unexpected> " + text;
    }
    return "<no exception>";
}

} // namespace

TEST_F(DataIOTest, WritesLittleEndianAndReadsItBack)
{
    Ref<MemoryStream> stream = VORNA3D_NEW MemoryStream();
    Ref<DataIO> out = VORNA3D_NEW DataIO(Ref<core::Stream>(stream));
    out->writeByte(0xAB);
    out->writeInt16(-2);
    out->writeUInt16(0xBEEF);
    out->writeInt32(0x11223344);
    out->writeUInt32(0xFFFFFFFEu);
    out->writeFloat32(1.0f);
    out->writeBoolean(true);
    out->writeBoolean(false);
    out->writeString("ab");
    const unsigned char raw[2] = {7, 8};
    out->writeBytes(raw, 2);
    // The expected bytes by hand: 1.0f is 0x3F800000.
    const Bytes expected = {0xAB, 0xFE, 0xFF, 0xEF, 0xBE, 0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 0xFF,
                            0xFF, 0x00, 0x00, 0x80, 0x3F, 0x01, 0x00, 'a',  'b',  0x00, 7,    8};
    EXPECT_EQ(written(*stream), expected);
    EXPECT_EQ(out->getByteCount(), expected.size());

    Ref<DataIO> in = reader(expected);
    EXPECT_EQ(in->readByte(), 0xAB);
    EXPECT_EQ(in->readInt16(), -2);
    EXPECT_EQ(in->readUInt16(), 0xBEEF);
    EXPECT_EQ(in->readInt32(), 0x11223344);
    EXPECT_EQ(in->readUInt32(), 0xFFFFFFFEu);
    EXPECT_EQ(in->readFloat32(), 1.0f);
    EXPECT_TRUE(in->readBoolean());
    EXPECT_FALSE(in->readBoolean());
    core::String text("x");
    in->readString(text); // appends
    EXPECT_TRUE(text.equals("xab"));
    core::Vector<unsigned char> tail;
    in->readBytes(tail, 2);
    EXPECT_EQ(tail.size(), 2);
    EXPECT_EQ(tail[1], 8);
    EXPECT_EQ(in->getByteCount(), 0u);
    EXPECT_EQ(failure([&] { in->readByte(); }), "Small stream buffer");

    // Extreme values survive the trip.
    Ref<MemoryStream> extremes = VORNA3D_NEW MemoryStream();
    Ref<DataIO> w = VORNA3D_NEW DataIO(Ref<core::Stream>(extremes));
    w->writeInt32(INT32_MIN);
    w->writeInt16(INT16_MIN);
    w->writeFloat32(-FLT_MAX);
    w->writeFloat32(FLT_MIN / 2); // subnormal
    Ref<DataIO> r = reader(written(*extremes));
    EXPECT_EQ(r->readInt32(), INT32_MIN);
    EXPECT_EQ(r->readInt16(), INT16_MIN);
    EXPECT_EQ(r->readFloat32(), -FLT_MAX);
    EXPECT_EQ(r->readFloat32(), FLT_MIN / 2);
}

TEST_F(DataIOTest, FloatsMustBeFiniteAndZeroIsPositive)
{
    Ref<MemoryStream> stream = VORNA3D_NEW MemoryStream();
    stream->setName("data.bin");
    Ref<DataIO> out = VORNA3D_NEW DataIO(Ref<core::Stream>(stream));
    out->writeFloat32(-0.0f);
    EXPECT_EQ(written(*stream), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(failure([&] { out->writeFloat32(std::numeric_limits<float>::quiet_NaN()); }),
              "Invalid floating point number");
    EXPECT_EQ(failure([&] { out->writeFloat32(-std::numeric_limits<float>::quiet_NaN()); }),
              "Invalid floating point number");
    EXPECT_EQ(failure([&] { out->writeFloat32(std::numeric_limits<float>::infinity()); }),
              "Invalid floating point number");
    EXPECT_EQ(failure([&] { out->writeFloat32(-std::numeric_limits<float>::infinity()); }),
              "Invalid floating point number");
    EXPECT_EQ(out->getByteCount(), 4u); // nothing written by the failures

    // +inf (00 00 80 7F), -inf and a NaN (01 00 C0 7F) are refused on reading.
    for (const Bytes& bits : {Bytes{0, 0, 0x80, 0x7F}, Bytes{0, 0, 0x80, 0xFF}, Bytes{1, 0, 0xC0, 0x7F}}) {
        Ref<DataIO> in = reader(bits);
        EXPECT_EQ(failure([&] { in->readFloat32(); }), "Invalid floating point number");
    }
}

TEST_F(DataIOTest, BooleansAndStrings)
{
    Ref<DataIO> in = reader({1, 0, 2});
    EXPECT_TRUE(in->readBoolean());
    EXPECT_FALSE(in->readBoolean());
    EXPECT_EQ(failure([&] { in->readBoolean(); }), "Deserialized boolean data not '1' or '0'.");

    // "ab" and its zero take three bytes of the budget.
    in = reader({'a', 'b', 0, 'c'});
    core::String text;
    in->readString(text);
    EXPECT_TRUE(text.equals("ab"));
    EXPECT_EQ(in->getByteCount(), 1u);
    // No zero within the budget, though the stream has one further on.
    in = reader({'a', 'b', 'c', 0}, 3);
    EXPECT_EQ(failure([&] { in->readString(text); }),
              "Small stream buffer or string does not contain terminating NULL");
    // The budget allows more than the stream holds.
    in = reader({'a', 'b'}, 10);
    EXPECT_EQ(failure([&] { in->readString(text); }), "failed to read correct amount of bytes from stream");
    // An empty string is its zero alone.
    in = reader({0});
    core::String empty;
    in->readString(empty);
    EXPECT_EQ(empty.length(), 0);
    EXPECT_EQ(in->getByteCount(), 0u);
}

TEST_F(DataIOTest, BudgetsAreUnsigned)
{
    // A budget of 2^31 and more stays a large positive number: reads
    // within the stream work, and a read past the stream's end fails on
    // the stream, not on a negative budget.
    Ref<DataIO> in = reader({1, 2, 3, 4}, 0x80000000u);
    EXPECT_EQ(in->readInt32(), 0x04030201);
    EXPECT_EQ(in->getByteCount(), 0x7FFFFFFCu);
    EXPECT_EQ(failure([&] { in->readByte(); }), "failed to read correct amount of bytes from stream");

    // A length of 2^31 or more, as a corrupt file would give it: refused
    // by the budget, or by the stream size when the budget allows it,
    // before anything is allocated.
    core::Vector<unsigned char> out;
    in = reader({1, 2, 3}, 3);
    EXPECT_EQ(failure([&] { in->readBytes(out, 0x80000000u); }), "Small stream buffer");
    EXPECT_EQ(failure([&] { in->readBytes(out, 0xFFFFFFFFu); }), "Small stream buffer");
    EXPECT_EQ(in->getByteCount(), 3u);
    in = reader({1, 2, 3}, 0xFFFFFFFFu);
    EXPECT_EQ(failure([&] { in->readBytes(out, 0x80000000u); }), "failed to read correct amount of bytes from stream");
    EXPECT_EQ(out.size(), 0);

    // Each read checks the budget before touching the stream.
    in = reader({1, 2, 3, 4, 5}, 3);
    EXPECT_EQ(failure([&] { in->readInt32(); }), "Small stream buffer");
    EXPECT_EQ(in->readUInt16(), 0x0201);
    EXPECT_EQ(failure([&] { in->readUInt16(); }), "Small stream buffer");
    EXPECT_EQ(in->readByte(), 3);
}

TEST_F(DataIOTest, FailuresAreLogged)
{
    testing_support::LogCapture log;
    Ref<DataIO> in = reader({}, 0);
    EXPECT_EQ(failure([&] { in->readByte(); }), "Small stream buffer");
    const std::string text = log.text();
    EXPECT_NE(text.find("IO error (data.bin): \"Small stream buffer\"\n"), std::string::npos) << text;
}
