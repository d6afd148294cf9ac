// PNG_Loader on Windows: the file's chunks are read from the stream and
// checked here (chunk CRCs, the header, the chunk order, the compressed
// data and its size), so that damaged files fail the same way whatever the
// Windows Imaging Component tolerates; WIC's PNG decoder then turns the
// checked file into pixels, which are brought into the same layouts the
// libpng build gives (see PNG_Loader.h).

#include "render/loaders/png/PNG_Loader.h"

#include <windows.h>
#include <wincodec.h>
#include <zlib.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/Exception.h"
#include "core/MemoryManager.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"

namespace render {

namespace {

const char* const READ_FAILED = "Could not read enought stream data";
constexpr int SIGNATURE_BYTES = 8;
const uint8_t SIGNATURE[SIGNATURE_BYTES] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

enum ColourType { GREY = 0, RGB_COLOUR = 2, PALETTE = 3, GREY_ALPHA = 4, RGB_ALPHA = 6 };

struct Header {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
};

uint32_t bigEndian(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// Reads exactly `length` bytes or throws the truncation error. A file
// stream throws for a short read where a memory stream returns less; both
// end in the same error, as in the libpng build.
void readExactly(core::Stream* stream, const core::String& name, uint8_t* dest, size_t length)
{
    while (length > 0) {
        const int part = length > size_t(INT_MAX) ? INT_MAX : static_cast<int>(length);
        bool complete = false;
        try {
            complete = stream->read(dest, part) == part;
        } catch (const core::IOException&) {
            complete = false; // the stream's exception has logged itself
        }
        if (!complete)
            throwParseError(name, READ_FAILED);
        dest += part;
        length -= static_cast<size_t>(part);
    }
}

int channelsOf(int colourType)
{
    switch (colourType) {
    case GREY:
    case PALETTE:
        return 1;
    case GREY_ALPHA:
        return 2;
    case RGB_COLOUR:
        return 3;
    default:
        return 4;
    }
}

bool validDepth(int colourType, int depth)
{
    switch (colourType) {
    case GREY:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case PALETTE:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case RGB_COLOUR:
    case GREY_ALPHA:
    case RGB_ALPHA:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

Header readHeader(const core::String& name, const uint8_t* data, uint32_t length)
{
    if (length != 13)
        throwParseError(name, "IHDR: invalid length");
    Header header;
    header.width = bigEndian(data);
    header.height = bigEndian(data + 4);
    header.bitDepth = data[8];
    header.colourType = data[9];
    header.interlace = data[12];
    if (header.width == 0 || header.width > 0x7FFFFFFFu)
        throwParseError(name, "Invalid image width in IHDR");
    if (header.height == 0 || header.height > 0x7FFFFFFFu)
        throwParseError(name, "Invalid image height in IHDR");
    if (header.width > PNG_Loader::MAX_SIDE)
        throwParseError(name, "Image width exceeds user limit in IHDR");
    if (header.height > PNG_Loader::MAX_SIDE)
        throwParseError(name, "Image height exceeds user limit in IHDR");
    if (header.colourType != GREY && header.colourType != RGB_COLOUR && header.colourType != PALETTE &&
        header.colourType != GREY_ALPHA && header.colourType != RGB_ALPHA)
        throwParseError(name, "Invalid color type in IHDR");
    if (!validDepth(header.colourType, header.bitDepth))
        throwParseError(name, "Invalid bit depth in IHDR");
    if (data[10] != 0)
        throwParseError(name, "Unknown compression method in IHDR");
    if (data[11] != 0)
        throwParseError(name, "Unknown filter method in IHDR");
    if (header.interlace > 1)
        throwParseError(name, "Unknown interlace method in IHDR");
    return header;
}

// Bytes of one filtered row of `width` pixels, the filter byte included.
uint64_t rowBytes(const Header& header, uint64_t width)
{
    const uint64_t bits = width * uint64_t(channelsOf(header.colourType)) * uint64_t(header.bitDepth);
    return 1 + (bits + 7) / 8;
}

// The size of the decompressed image data: every row of every pass with
// its filter byte.
uint64_t expectedDataSize(const Header& header)
{
    if (header.interlace == 0)
        return uint64_t(header.height) * rowBytes(header, header.width);
    static const int start[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
    static const int step[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
    uint64_t total = 0;
    for (int pass = 0; pass < 7; ++pass) {
        const uint64_t w = header.width > uint32_t(start[pass][0])
            ? (header.width - start[pass][0] + step[pass][0] - 1) / step[pass][0]
            : 0;
        const uint64_t h = header.height > uint32_t(start[pass][1])
            ? (header.height - start[pass][1] + step[pass][1] - 1) / step[pass][1]
            : 0;
        if (w > 0 && h > 0)
            total += h * rowBytes(header, w);
    }
    return total;
}

// Inflates the image data and checks that it is exactly the image's size
// with valid filter bytes (checked on non-interlaced images, where rows are
// easy to find). zlib's own checksum catches damaged data.
void checkImageData(const core::String& name, const Header& header, const std::vector<uint8_t>& compressed)
{
    const uint64_t expected = expectedDataSize(header);
    z_stream z = {};
    if (inflateInit(&z) != Z_OK)
        throwParseError(name, "zlib initialisation failed");
    z.next_in = const_cast<Bytef*>(compressed.data());
    z.avail_in = static_cast<uInt>(compressed.size());
    uint8_t buffer[16384];
    uint64_t produced = 0;
    const uint64_t row = rowBytes(header, header.width);
    int result = Z_OK;
    bool badFilter = false;
    while (result == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        const uint64_t got = sizeof buffer - z.avail_out;
        if (header.interlace == 0) {
            for (uint64_t i = 0; i < got; ++i) {
                const uint64_t at = produced + i;
                if (at % row == 0 && at < expected && buffer[i] > 4)
                    badFilter = true;
            }
        }
        produced += got;
        if (result == Z_BUF_ERROR && z.avail_in == 0)
            break; // the data ends before the stream does
        if (result == Z_BUF_ERROR && got > 0)
            result = Z_OK;
    }
    inflateEnd(&z);
    if (result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_NEED_DICT || result == Z_STREAM_ERROR)
        throwParseError(name, z.msg ? z.msg : "IDAT: incorrect data check");
    if (produced < expected || result != Z_STREAM_END)
        throwParseError(name, "Not enough image data");
    if (produced > expected)
        throwParseError(name, "Extra compressed data");
    if (badFilter)
        throwParseError(name, "bad adaptive filter value");
}

// Ancillary chunks libpng would warn about; a warning ends the load.
void checkAncillary(const core::String& name, const char* type, const uint8_t* data, uint32_t length,
                    const Header& header, uint32_t paletteEntries)
{
    if (std::memcmp(type, "sRGB", 4) == 0) {
        if (length != 1 || data[0] > 3)
            throwParseError(name, "sRGB: invalid");
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
        bool valid;
        switch (header.colourType) {
        case GREY:
            valid = length == 2;
            break;
        case RGB_COLOUR:
            valid = length == 6;
            break;
        case PALETTE:
            valid = length > 0 && length <= paletteEntries && paletteEntries > 0;
            break;
        default:
            valid = false; // the file has an alpha channel already
        }
        if (!valid)
            throwParseError(name, "tRNS: invalid");
    } else if (std::memcmp(type, "gAMA", 4) == 0) {
        if (length != 4 || bigEndian(data) == 0)
            throwParseError(name, "gAMA: invalid");
    }
}

// The file's bytes up to IEND (signature included), checked chunk by chunk.
// The compressed image data goes to `compressed`, unchecked yet.
std::vector<uint8_t> readChecked(core::Stream* stream, const core::String& name, Header& header,
                                 std::vector<uint8_t>& compressed)
{
    std::vector<uint8_t> file(SIGNATURE, SIGNATURE + SIGNATURE_BYTES);
    bool seenHeader = false;
    bool seenData = false;
    bool dataEnded = false;
    uint32_t paletteEntries = 0;
    for (;;) {
        uint8_t head[8];
        readExactly(stream, name, head, sizeof head);
        const uint32_t length = bigEndian(head);
        if (length > 0x7FFFFFFFu)
            throwParseError(name, "PNG unsigned integer out of range");
        char type[5] = {char(head[4]), char(head[5]), char(head[6]), char(head[7]), 0};
        for (int i = 0; i < 4; ++i) {
            const char c = type[i];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
                throwParseError(name, "invalid chunk type");
        }
        const size_t at = file.size();
        file.resize(at + 8 + size_t(length) + 4);
        std::memcpy(&file[at], head, 8);
        readExactly(stream, name, &file[at + 8], size_t(length) + 4);
        const uint8_t* data = &file[at + 8];
        const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0, head + 4, 4), data, length));
        if (crc != bigEndian(data + length)) {
            char message[32];
            std::snprintf(message, sizeof message, "%s: CRC error", type);
            throwParseError(name, message);
        }

        const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
        if (!seenHeader && !isHeader)
            throwParseError(name, "Missing IHDR before other chunks");
        if (isHeader) {
            if (seenHeader)
                throwParseError(name, "IHDR: out of place");
            header = readHeader(name, data, length);
            seenHeader = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (header.colourType == PALETTE && paletteEntries == 0)
                throwParseError(name, "Missing PLTE before IDAT");
            if (dataEnded)
                throwParseError(name, "Too many IDATs found");
            seenData = true;
            compressed.insert(compressed.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            if (!seenData)
                throwParseError(name, "Not enough image data");
            break;
        } else {
            if (seenData)
                dataEnded = true;
            if (std::memcmp(type, "PLTE", 4) == 0) {
                if (seenData || paletteEntries > 0)
                    throwParseError(name, "PLTE: out of place");
                if (length == 0 || length % 3 != 0 || length > 768)
                    throwParseError(name, "PLTE: invalid");
                if (header.colourType == PALETTE && length / 3 > (1u << header.bitDepth))
                    throwParseError(name, "PLTE: invalid");
                paletteEntries = length / 3;
            } else if (!(type[0] & 0x20)) {
                throwParseError(name, "unknown critical chunk");
            } else {
                checkAncillary(name, type, data, length, header, paletteEntries);
            }
        }
    }

    const int bpp = (header.colourType == RGB_COLOUR || header.colourType == PALETTE) ? 3 : 4;
    if (uint64_t(header.width) * header.height * bpp > uint64_t(INT_MAX))
        throwParseError(name, "PNG image is too large");
    return file;
}

// Releases a COM interface however the load ends.
template <class T> class ComRef {
public:
    ComRef() = default;
    ~ComRef()
    {
        if (m_ptr)
            m_ptr->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** out() { return &m_ptr; }
    T* operator->() const { return m_ptr; }
    T* get() const { return m_ptr; }

private:
    T* m_ptr = nullptr;
};

// COM for the calling thread for one load; a thread that has COM in
// another mode already is fine as it is.
class ComScope {
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) { }
    ~ComScope()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

[[noreturn]] void throwWicError(const core::String& name, const char* step, HRESULT result)
{
    char message[96];
    std::snprintf(message, sizeof message, "WIC %s failed (0x%08lX)", step, static_cast<unsigned long>(result));
    throwParseError(name, message);
}

void check(const core::String& name, const char* step, HRESULT result)
{
    if (FAILED(result))
        throwWicError(name, step, result);
}

// Decodes the checked file into `image` (width x height, RGB or RGBA).
void decode(const core::String& name, std::vector<uint8_t>& file, const Header& header, Image2D& image)
{
    ComScope com;
    if (!com.usable())
        throwParseError(name, "COM is not available");
    ComRef<IWICImagingFactory> factory;
    check(name, "factory",
          CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.out())));
    ComRef<IWICStream> stream;
    check(name, "stream", factory->CreateStream(stream.out()));
    check(name, "stream", stream->InitializeFromMemory(file.data(), static_cast<DWORD>(file.size())));
    ComRef<IWICBitmapDecoder> decoder;
    check(name, "decoder",
          CoCreateInstance(CLSID_WICPngDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                           reinterpret_cast<void**>(decoder.out())));
    check(name, "decoder", decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand));
    ComRef<IWICBitmapFrameDecode> frame;
    check(name, "frame", decoder->GetFrame(0, frame.out()));
    UINT width = 0;
    UINT height = 0;
    check(name, "size", frame->GetSize(&width, &height));
    if (width != header.width || height != header.height)
        throwParseError(name, "WIC image size differs from IHDR");

    // The decoder's own pixel format, read as it is: WIC's converters
    // differ between Windows and Wine (and round 16-bit samples), so the
    // samples are brought to 8 bits here, each keeping its high byte as
    // libpng's stripping does.
    WICPixelFormatGUID native = {};
    check(name, "format", frame->GetPixelFormat(&native));
    struct Layout {
        const GUID* format;
        int bits; // per pixel
        int kind; // 0 grey, 1 indexed, 2 BGR(A) 8-bit, 3 RGB(A) 16-bit
        int channels;
    };
    static const Layout layouts[] = {
        {&GUID_WICPixelFormatBlackWhite, 1, 0, 1},  {&GUID_WICPixelFormat2bppGray, 2, 0, 1},
        {&GUID_WICPixelFormat4bppGray, 4, 0, 1},    {&GUID_WICPixelFormat8bppGray, 8, 0, 1},
        {&GUID_WICPixelFormat16bppGray, 16, 0, 1},  {&GUID_WICPixelFormat1bppIndexed, 1, 1, 1},
        {&GUID_WICPixelFormat2bppIndexed, 2, 1, 1}, {&GUID_WICPixelFormat4bppIndexed, 4, 1, 1},
        {&GUID_WICPixelFormat8bppIndexed, 8, 1, 1}, {&GUID_WICPixelFormat24bppBGR, 24, 2, 3},
        {&GUID_WICPixelFormat32bppBGRA, 32, 2, 4},  {&GUID_WICPixelFormat32bppBGR, 32, 2, 4},
        {&GUID_WICPixelFormat48bppRGB, 48, 3, 3},   {&GUID_WICPixelFormat64bppRGBA, 64, 3, 4},
    };
    const Layout* layout = nullptr;
    for (const Layout& candidate : layouts) {
        if (IsEqualGUID(native, *candidate.format))
            layout = &candidate;
    }
    if (!layout)
        throwParseError(name, "WIC pixel format not supported");

    uint32_t palette[256] = {}; // entries past the file's palette are black
    if (layout->kind == 1) {
        ComRef<IWICPalette> wicPalette;
        check(name, "palette", factory->CreatePalette(wicPalette.out()));
        check(name, "palette", frame->CopyPalette(wicPalette.get()));
        UINT count = 0;
        check(name, "palette", wicPalette->GetColors(256, palette, &count));
    }

    const UINT stride = ((width * UINT(layout->bits) + 7) / 8 + 3) & ~3u;
    std::vector<uint8_t> raw(size_t(stride) * height);
    check(name, "pixels", frame->CopyPixels(nullptr, stride, static_cast<UINT>(raw.size()), raw.data()));

    const int bpp = Image2D::getBpp(image.getFormat());
    uint8_t* pixels = image.getPixels();
    const bool alpha = header.colourType == GREY_ALPHA || header.colourType == RGB_ALPHA;
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* row = &raw[size_t(y) * stride];
        uint8_t* to = pixels + size_t(y) * width * bpp;
        for (UINT x = 0; x < width; ++x, to += bpp) {
            uint8_t r = 0, g = 0, b = 0, a = 0xFF;
            if (layout->kind <= 1 && layout->bits < 8) {
                const UINT bit = x * UINT(layout->bits);
                const int shift = 8 - layout->bits - int(bit % 8);
                const int value = (row[bit / 8] >> shift) & ((1 << layout->bits) - 1);
                if (layout->kind == 0) {
                    r = g = b = static_cast<uint8_t>(value * 255 / ((1 << layout->bits) - 1));
                } else {
                    const uint32_t colour = palette[value];
                    r = uint8_t(colour >> 16), g = uint8_t(colour >> 8), b = uint8_t(colour);
                }
            } else if (layout->kind == 0) {
                r = g = b = layout->bits == 16 ? row[x * 2 + 1] : row[x];
            } else if (layout->kind == 1) {
                const uint32_t colour = palette[row[x]];
                r = uint8_t(colour >> 16), g = uint8_t(colour >> 8), b = uint8_t(colour);
            } else if (layout->kind == 2) {
                const uint8_t* from = row + size_t(x) * layout->channels;
                b = from[0], g = from[1], r = from[2];
                if (layout->channels == 4)
                    a = from[3];
            } else {
                // Little-endian 16-bit words: the high byte is the odd one.
                const uint8_t* from = row + size_t(x) * layout->channels * 2;
                r = from[1], g = from[3], b = from[5];
                if (layout->channels == 4)
                    a = from[7];
            }
            to[0] = r;
            to[1] = g;
            to[2] = b;
            if (bpp == 4)
                to[3] = alpha ? a : 0xFF;
        }
    }
}

} // namespace

void PNG_Loader::load(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects)
{
    ASSERT_MSG(stream, "NULL pointer");
    const core::String name = stream->getName();

    uint8_t signature[SIGNATURE_BYTES];
    if (stream->read(signature, SIGNATURE_BYTES) != SIGNATURE_BYTES)
        throwParseError(name, "Too small file!");
    ASSERT_MSG(std::memcmp(signature, SIGNATURE, SIGNATURE_BYTES) == 0, "");

    Header header;
    std::vector<uint8_t> compressed;
    std::vector<uint8_t> file = readChecked(stream, name, header, compressed);

    // Grey becomes RGBA (grey in R, G and B), as do files with alpha;
    // colour and palette files become RGB.
    const bool rgb = header.colourType == RGB_COLOUR || header.colourType == PALETTE;
    const int format = rgb ? Image2D::RGB : Image2D::RGBA;
    const int64_t bytes = int64_t(header.width) * header.height * Image2D::getBpp(format);
    const core::MemoryManager::Statistics pool = core::MemoryManager::getMemoryInfoPtr()->getStatistics();
    if (!pool.forwarding && bytes >= pool.dataBlockSize)
        throw core::MemoryManagerException("PNG_Loader: image does not fit in the memory pool");
    checkImageData(name, header, compressed);

    core::Ref<Image2D> image =
        VORNA3D_NEW Image2D(format, static_cast<int>(header.width), static_cast<int>(header.height));
    decode(name, file, header, *image);
    image->makeImmutable();
    objects.add(core::Ref<Object3D>(image));
}

} // namespace render
