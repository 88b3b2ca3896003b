#include "ocrengine/LineText.h"

namespace {

std::u32string decode(const std::string& s)
{
    std::u32string out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        bool ok = n >= 0 && i + size_t(n) < s.size();
        char32_t cp = n <= 0 ? c : char32_t(c & (0x3F >> n));
        for (int k = 1; ok && k <= n; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + size_t(k)]);
            ok = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {  // malformed byte: dropped
            ++i;
            continue;
        }
        out.push_back(cp);
        i += size_t(n) + 1;
    }
    return out;
}

std::string encode(const std::u32string& s)
{
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool isCjk(char32_t c)
{
    return (c >= 0x3000 && c <= 0x30FF)     // CJK punctuation, hiragana, katakana
        || (c >= 0x3400 && c <= 0x4DBF)     // extension A
        || (c >= 0x4E00 && c <= 0x9FFF)     // unified ideographs
        || (c >= 0xF900 && c <= 0xFAFF)     // compatibility ideographs
        || (c >= 0xFF00 && c <= 0xFFEF);    // full-width forms
}

bool isBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == 0x3000; }

}  // namespace

std::string cleanLineText(const std::string& utf8)
{
    const std::u32string in = decode(utf8);
    std::u32string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (!isBlank(in[i])) {
            out.push_back(in[i]);
            continue;
        }
        size_t j = i;
        while (j < in.size() && isBlank(in[j]))
            ++j;
        const bool inside = !out.empty() && j < in.size();
        if (inside && !(isCjk(out.back()) && isCjk(in[j])))
            out.push_back(U' ');
        i = j - 1;
    }
    return encode(out);
}

bool looksLikeGraphics(const std::string& utf8)
{
    static const std::u32string marks = U"()（）[]［］{}｛｝/／\\＼|｜¦-－‐ー一―_＿・.,，．、。'\"`´~～<>＜＞〈〉へくノ〇○◯◎Oo";
    const std::u32string text = decode(utf8);
    bool any = false;
    for (char32_t c : text) {
        if (isBlank(c))
            continue;
        if (marks.find(c) == std::u32string::npos)
            return false;
        any = true;
    }
    return any;
}
