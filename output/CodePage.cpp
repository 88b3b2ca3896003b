#include "output/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

// One conversion descriptor for one call; closed on every exit path.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Iconv() { iconv_close(m_cd); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts in[0..inLen) into out; on an unconvertible or incomplete
    // sequence calls onBad(bytes left), which returns how many input bytes to
    // skip, and continues.
    template <typename OnBad>
    void run(const char* in, size_t inLen, QByteArray& out, OnBad onBad) {
        char* src = const_cast<char*>(in);
        size_t left = inLen;
        char buf[4096];
        while (left > 0) {
            char* dst = buf;
            size_t room = sizeof buf;
            const size_t rc = iconv(m_cd, &src, &left, &dst, &room);
            out.append(buf, dst - buf);
            if (rc != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (truncated sequence at the end).
            const size_t skip = std::min(onBad(src, left, out), left);
            src += skip;
            left -= skip;
        }
        char* dst = buf;
        size_t room = sizeof buf;
        iconv(m_cd, nullptr, nullptr, &dst, &room);
        out.append(buf, dst - buf);
    }

private:
    iconv_t m_cd;
};

}  // namespace

QByteArray toCp932(const QString& text) {
    QByteArray out;
    if (text.isEmpty()) return out;
    Iconv cd("CP932", "UTF-16LE");
    const auto* units = reinterpret_cast<const char*>(text.utf16());
    cd.run(units, size_t(text.size()) * 2, out, [](const char* at, size_t left, QByteArray& o) {
        o.append('?');
        // Skip the whole code point: a valid surrogate pair is 4 bytes.
        if (left >= 4) {
            const auto hi = char16_t(uchar(at[0]) | (uchar(at[1]) << 8));
            const auto lo = char16_t(uchar(at[2]) | (uchar(at[3]) << 8));
            if (QChar::isHighSurrogate(hi) && QChar::isLowSurrogate(lo)) return size_t(4);
        }
        return size_t(2);
    });
    return out;
}

QString fromCp932(const QByteArray& bytes) {
    QByteArray utf16;
    if (bytes.isEmpty()) return {};
    Iconv cd("UTF-16LE", "CP932");
    cd.run(bytes.constData(), size_t(bytes.size()), utf16, [](const char*, size_t, QByteArray& o) {
        o.append("\xFD\xFF", 2);
        return size_t(1);
    });
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.constData()), utf16.size() / 2);
}
