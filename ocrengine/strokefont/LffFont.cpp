#include "ocrengine/strokefont/LffFont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxInclusionDepth = 8;  // glyphs that include each other in a loop stop here

std::string trimmed(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool parseNumber(const std::string& s, double& v)
{
    const std::string t = trimmed(s);
    if (t.empty())
        return false;
    char* end = nullptr;
    v = std::strtod(t.c_str(), &end);
    return end && *end == '\0' && std::isfinite(v);
}

// The arc from a to b whose bulge is given, as points after a up to and including b.
void appendArc(const StrokePoint& a, const StrokePoint& b, double bulge, StrokePolyline& out)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double chord = std::hypot(dx, dy);
    if (chord <= 0 || std::abs(bulge) < 1e-9) {
        out.push_back(b);
        return;
    }
    const double sweep = 4 * std::atan(bulge);
    // The centre lies on the chord's normal; left of a->b for a counter-clockwise arc.
    const double offset = chord * (1 - bulge * bulge) / (4 * bulge);
    const double cx = (a.x + b.x) / 2 - dy / chord * offset;
    const double cy = (a.y + b.y) / 2 + dx / chord * offset;
    const double radius = std::hypot(a.x - cx, a.y - cy);
    const double start = std::atan2(a.y - cy, a.x - cx);
    const int steps = std::max(2, int(std::ceil(std::abs(sweep) / (kPi / 16))));
    for (int i = 1; i < steps; ++i) {
        const double t = start + sweep * i / steps;
        out.push_back({cx + radius * std::cos(t), cy + radius * std::sin(t)});
    }
    out.push_back(b);
}

}  // namespace

bool LffFont::load(const std::string& path, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return loadFromText(text.str(), error);
}

bool LffFont::loadFromText(const std::string& text, std::string* error)
{
    glyphs_.clear();
    std::istringstream in(text);
    std::string raw;
    Glyph* current = nullptr;
    while (std::getline(in, raw)) {
        const std::string line = trimmed(raw);
        if (line.empty())
            continue;
        if (line[0] == '#') {
            const auto colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            const std::string name = trimmed(line.substr(1, colon - 1));
            double v = 0;
            if (name == "LetterSpacing" && parseNumber(line.substr(colon + 1), v))
                letterSpacing_ = v;
            else if (name == "WordSpacing" && parseNumber(line.substr(colon + 1), v))
                wordSpacing_ = v;
            continue;
        }
        if (line[0] == '[') {
            const auto close = line.find(']');
            char* end = nullptr;
            const std::string hex = line.substr(1, close == std::string::npos ? 0 : close - 1);
            const unsigned long code = std::strtoul(hex.c_str(), &end, 16);
            current = hex.empty() || *end != '\0' || code > 0x10FFFF ? nullptr : &glyphs_[char32_t(code)];
            if (current)
                *current = Glyph{};
            continue;
        }
        if (!current)
            continue;
        if (line[0] == 'C') {
            char* end = nullptr;
            const unsigned long code = std::strtoul(line.c_str() + 1, &end, 16);
            if (end != line.c_str() + 1 && code <= 0x10FFFF)
                current->includes.push_back(char32_t(code));
            continue;
        }
        std::vector<Vertex> poly;
        std::istringstream vertices(line);
        std::string item;
        bool ok = true;
        while (ok && std::getline(vertices, item, ';')) {
            std::istringstream fields(item);
            std::string f;
            std::vector<std::string> parts;
            while (std::getline(fields, f, ','))
                parts.push_back(f);
            Vertex v;
            ok = parts.size() >= 2 && parseNumber(parts[0], v.x) && parseNumber(parts[1], v.y);
            for (size_t k = 2; ok && k < parts.size(); ++k) {
                const std::string p = trimmed(parts[k]);
                ok = !p.empty() && (p[0] != 'A' || parseNumber(p.substr(1), v.bulge));
            }
            if (ok)
                poly.push_back(v);
        }
        if (ok && !poly.empty())
            current->lines.push_back(std::move(poly));
    }
    if (glyphs_.empty()) {
        if (error)
            *error = "no glyphs";
        return false;
    }
    return true;
}

bool LffFont::hasGlyph(char32_t c) const
{
    return glyphs_.count(c) != 0;
}

void LffFont::collect(char32_t c, int depth, std::vector<StrokePolyline>& out) const
{
    const auto it = glyphs_.find(c);
    if (it == glyphs_.end() || depth > kMaxInclusionDepth)
        return;
    for (char32_t inc : it->second.includes)
        collect(inc, depth + 1, out);
    for (const auto& line : it->second.lines) {
        StrokePolyline poly{{line[0].x, line[0].y}};
        for (size_t i = 1; i < line.size(); ++i)
            appendArc(poly.back(), {line[i].x, line[i].y}, line[i].bulge, poly);
        out.push_back(std::move(poly));
    }
}

std::vector<StrokePolyline> LffFont::strokes(char32_t c) const
{
    std::vector<StrokePolyline> out;
    collect(c, 0, out);
    return out;
}

double LffFont::advance(char32_t c) const
{
    double right = 0;
    for (const StrokePolyline& p : strokes(c))
        for (const StrokePoint& v : p)
            right = std::max(right, v.x);
    return right + letterSpacing_;
}

std::vector<StrokePolyline> layoutStrokeText(const LffFont& font, const LffFont* latin, const std::u32string& text,
                                             double advanceScale, double* width)
{
    std::vector<StrokePolyline> out;
    double x = 0, right = 0;
    for (char32_t c : text) {
        if (c == U' ') {
            x += (latin ? *latin : font).wordSpacing();
            continue;
        }
        const LffFont& f = latin && c < 0x80 && latin->hasGlyph(c) ? *latin : font;
        if (!f.hasGlyph(c))
            continue;
        for (StrokePolyline p : f.strokes(c)) {
            for (StrokePoint& v : p) {
                v.x += x;
                right = std::max(right, v.x);
            }
            out.push_back(std::move(p));
        }
        x += f.advance(c) * advanceScale;
    }
    if (width)
        *width = right;
    return out;
}
