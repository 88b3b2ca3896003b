#pragma once
// LibreCAD stroke fonts (.lff): plain text, one glyph per "[XXXX]" block (the
// code point in hex), each following line a polyline "x,y;x,y;..." in font
// units with y up; a vertex may carry ",A<bulge>" (the segment ending there is
// an arc, bulge = tan(sweep / 4), positive counter-clockwise) and a line
// "C<hex>" includes another glyph's strokes. Header comments give the letter
// and word spacing. Capital letters are 9 units high.
#include <map>
#include <string>
#include <vector>

struct StrokePoint {
    double x = 0, y = 0;
};
using StrokePolyline = std::vector<StrokePoint>;

class LffFont {
public:
    // False with a reason when the file cannot be read or holds no glyph.
    bool load(const std::string& path, std::string* error = nullptr);
    bool loadFromText(const std::string& text, std::string* error = nullptr);

    bool hasGlyph(char32_t c) const;
    // The glyph's strokes, inclusions resolved and arcs flattened into short
    // segments; empty when the font lacks it.
    std::vector<StrokePolyline> strokes(char32_t c) const;
    // Horizontal advance of a glyph in font units: its rightmost point plus the letter spacing.
    double advance(char32_t c) const;

    double letterSpacing() const { return letterSpacing_; }
    double wordSpacing() const { return wordSpacing_; }
    size_t glyphCount() const { return glyphs_.size(); }

    static constexpr double kCapHeight = 9.0;

private:
    struct Vertex {
        double x = 0, y = 0, bulge = 0;
    };
    struct Glyph {
        std::vector<std::vector<Vertex>> lines;
        std::vector<char32_t> includes;
    };
    void collect(char32_t c, int depth, std::vector<StrokePolyline>& out) const;

    std::map<char32_t, Glyph> glyphs_;
    double letterSpacing_ = 3;
    double wordSpacing_ = 6.75;
};

// A line of text laid out left to right from the origin on the baseline, in
// font units (y up), as a CAD draws SHX text: ASCII from the Latin font when
// one is given and has the glyph (like txt.shx), everything else from font (the
// big font). Characters neither has are skipped; blanks advance by the word
// spacing (the Latin font's when given); advanceScale widens or narrows the pitch of the characters.
std::vector<StrokePolyline> layoutStrokeText(const LffFont& font, const LffFont* latin, const std::u32string& text,
                                             double advanceScale = 1.0, double* width = nullptr);
