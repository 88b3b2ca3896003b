#include "ocrengine/HalfWeights.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Protocol buffer wire format, only as far as needed here.
enum WireType { kVarint = 0, kFixed64 = 1, kBytes = 2, kFixed32 = 5 };
constexpr uint64_t kModelGraph = 7, kGraphInitializer = 5, kTensorDataType = 2, kTensorRawData = 9;
constexpr uint64_t kFloat = 1, kFloat16 = 10;

struct Reader {
    const unsigned char* p;
    const unsigned char* end;
    bool ok = true;

    uint64_t varint()
    {
        uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (p >= end) {
                ok = false;
                return 0;
            }
            const unsigned char b = *p++;
            v |= uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80))
                return v;
        }
        ok = false;
        return 0;
    }
    // Skips a field's value; returns its bytes (for a length-delimited field, only the payload).
    std::string value(int wire)
    {
        const unsigned char* start = p;
        size_t n = 0;
        switch (wire) {
        case kVarint: varint(); return std::string(reinterpret_cast<const char*>(start), size_t(p - start));
        case kFixed64: n = 8; break;
        case kFixed32: n = 4; break;
        case kBytes: n = size_t(varint()); start = p; break;
        default: ok = false; return {};
        }
        if (!ok || size_t(end - p) < n) {
            ok = false;
            return {};
        }
        p += n;
        return std::string(reinterpret_cast<const char*>(start), n);
    }
};

void putVarint(std::string& out, uint64_t v)
{
    while (v >= 0x80) {
        out += char((v & 0x7F) | 0x80);
        v >>= 7;
    }
    out += char(v);
}

void putBytes(std::string& out, uint64_t field, const std::string& payload)
{
    putVarint(out, field << 3 | kBytes);
    putVarint(out, payload.size());
    out += payload;
}

// Rewrites a message: fields named in `nested` are rewritten by `inner`, the rest copied.
template <typename Inner>
bool rewrite(const std::string& in, uint64_t nestedField, Inner inner, std::string& out)
{
    Reader r{reinterpret_cast<const unsigned char*>(in.data()), reinterpret_cast<const unsigned char*>(in.data()) + in.size()};
    while (r.ok && r.p < r.end) {
        const unsigned char* fieldStart = r.p;
        const uint64_t key = r.varint();
        const int wire = int(key & 7);
        const std::string v = r.value(wire);
        if (!r.ok)
            return false;
        if ((key >> 3) == nestedField && wire == kBytes) {
            std::string rewritten;
            if (!inner(v, rewritten))
                return false;
            putBytes(out, nestedField, rewritten);
        } else {
            out.append(reinterpret_cast<const char*>(fieldStart), size_t(r.p - fieldStart));
        }
    }
    return r.ok;
}

bool widenTensor(const std::string& in, std::string& out)
{
    Reader r{reinterpret_cast<const unsigned char*>(in.data()), reinterpret_cast<const unsigned char*>(in.data()) + in.size()};
    uint64_t type = 0;
    std::string raw, rest;
    while (r.ok && r.p < r.end) {
        const unsigned char* fieldStart = r.p;
        const uint64_t key = r.varint();
        const std::string v = r.value(int(key & 7));
        if (!r.ok)
            return false;
        if (key == (kTensorDataType << 3 | kVarint)) {
            Reader vr{reinterpret_cast<const unsigned char*>(v.data()), reinterpret_cast<const unsigned char*>(v.data()) + v.size()};
            type = vr.varint();
        } else if (key == (kTensorRawData << 3 | kBytes)) {
            raw = v;
        } else {
            rest.append(reinterpret_cast<const char*>(fieldStart), size_t(r.p - fieldStart));
        }
    }
    if (!r.ok)
        return false;
    out = rest;
    if (type == kFloat16) {
        if (raw.size() % 2)
            return false;
        std::string wide(raw.size() * 2, '\0');
        for (size_t i = 0; i < raw.size() / 2; ++i) {
            uint16_t h = 0;
            std::memcpy(&h, raw.data() + 2 * i, 2);
            const float f = halfToFloat(h);
            std::memcpy(wide.data() + 4 * i, &f, 4);
        }
        raw = std::move(wide);
        type = kFloat;
    }
    putVarint(out, kTensorDataType << 3 | kVarint);
    putVarint(out, type);
    if (!raw.empty() || type == kFloat)
        putBytes(out, kTensorRawData, raw);
    return true;
}

}  // namespace

float halfToFloat(unsigned short h)
{
    const int sign = (h >> 15) & 1, exponent = (h >> 10) & 0x1F, mantissa = h & 0x3FF;
    float v;
    if (exponent == 0)
        v = std::ldexp(float(mantissa), -24);
    else if (exponent == 31)
        v = mantissa ? NAN : INFINITY;
    else
        v = std::ldexp(float(mantissa | 0x400), exponent - 25);
    return sign ? -v : v;
}

std::vector<char> widenHalfWeights(const std::vector<char>& onnx)
{
    std::string out;
    const bool ok = rewrite(std::string(onnx.begin(), onnx.end()), kModelGraph,
                            [](const std::string& graph, std::string& g) {
                                return rewrite(graph, kGraphInitializer, widenTensor, g);
                            },
                            out);
    return ok ? std::vector<char>(out.begin(), out.end()) : std::vector<char>();
}
