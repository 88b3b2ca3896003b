#include "ocrengine/TextBlocks.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr int kMinInk = 60;          // an ink level below this is anti-aliasing or noise
constexpr double kJoinGap = 0.8;     // components nearer than this many character sizes join
// Groups (glyphs, words) nearer than this many of their heights join: the blank
// of stroke fonts like txt.shx is about one capital height wide.
constexpr double kGroupJoinGap = 1.25;
constexpr double kRuleLength = 5.0;  // a thin component this many characters long is a rule

struct Component {
    int left, top, right, bottom;
    int pixels;
    int extent() const { return std::max(right - left, bottom - top) + 1; }
    int thickness() const { return std::min(right - left, bottom - top) + 1; }
};

struct UnionFind {
    std::vector<int> parent;
    explicit UnionFind(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int a)
    {
        while (parent[size_t(a)] != a)
            a = parent[size_t(a)] = parent[size_t(parent[size_t(a)])];
        return a;
    }
    void join(int a, int b) { parent[size_t(find(a))] = find(b); }
};

// 8-connected labelling of ink pixels; returns labels (-1 background) and components.
std::vector<int> label(const InkImage& img, std::vector<Component>& comps)
{
    const int w = img.width, h = img.height;
    std::vector<int> lab(size_t(w) * size_t(h), -1);
    std::vector<int> stack;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            if (lab[i] != -1 || img.ink[i] < kMinInk)
                continue;
            const int id = int(comps.size());
            Component c{x, y, x, y, 0};
            lab[i] = id;
            stack.assign(1, int(i));
            while (!stack.empty()) {
                const int p = stack.back();
                stack.pop_back();
                const int px = p % w, py = p / w;
                ++c.pixels;
                c.left = std::min(c.left, px);
                c.right = std::max(c.right, px);
                c.top = std::min(c.top, py);
                c.bottom = std::max(c.bottom, py);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                            continue;
                        const size_t n = size_t(ny) * size_t(w) + size_t(nx);
                        if (lab[n] == -1 && img.ink[n] >= kMinInk) {
                            lab[n] = id;
                            stack.push_back(int(n));
                        }
                    }
            }
            comps.push_back(c);
        }
    return lab;
}

// Character size of a set of components: the upper quartile of their extents,
// so that dots, strokes and radicals broken off a glyph do not pull it down.
double characterSize(std::vector<double> v)
{
    if (v.empty())
        return 0;
    const size_t k = v.size() * 3 / 4;
    std::nth_element(v.begin(), v.begin() + long(k), v.end());
    return v[k];
}

int gapBetween(const Component& a, const Component& b)
{
    const int gx = std::max({0, b.left - a.right - 1, a.left - b.right - 1});
    const int gy = std::max({0, b.top - a.bottom - 1, a.top - b.bottom - 1});
    return std::max(gx, gy);
}

int overlap(int lo1, int hi1, int lo2, int hi2)
{
    return std::min(hi1, hi2) - std::max(lo1, lo2) + 1;
}

// Two groups side by side on one row, or two glyph-like groups one above the
// other in one column: the wider join applies only along a line, never between
// the rows of a paragraph.
bool alongOneLine(const Component& a, const Component& b)
{
    const int ha = a.bottom - a.top + 1, hb = b.bottom - b.top + 1;
    const int wa = a.right - a.left + 1, wb = b.right - b.left + 1;
    const bool sameRow = overlap(a.top, a.bottom, b.top, b.bottom) >= std::min(ha, hb) / 2;
    const bool glyphs = wa <= 1.5 * ha && wb <= 1.5 * hb;
    const bool sameColumn = glyphs && overlap(a.left, a.right, b.left, b.right) >= std::min(wa, wb) / 2;
    return sameRow || sameColumn;
}

// Lettering drawn as strokes falls into many small components (a kanji into
// its strokes), so the first join, by component size, leaves words in pieces.
// The groups it made are joined again by their own size: a glyph's extent
// measures the text better than its strokes do. The size taken is capped near
// the median group so that large graphics do not reach out to the text.
void joinByGroupSize(const std::vector<Component>& comps, const std::vector<int>& order, UnionFind& uf)
{
    std::vector<Component> group(comps.size(), Component{0, 0, -1, -1, 0});
    std::vector<int> roots;
    for (int i : order) {
        const int r = uf.find(i);
        Component& g = group[size_t(r)];
        const Component& c = comps[size_t(i)];
        if (g.right < 0) {
            g = c;
            roots.push_back(r);
        } else {
            g = {std::min(g.left, c.left), std::min(g.top, c.top), std::max(g.right, c.right),
                 std::max(g.bottom, c.bottom), g.pixels + c.pixels};
        }
    }
    std::vector<double> thickness;
    for (int r : roots)
        thickness.push_back(group[size_t(r)].thickness());
    if (thickness.size() < 2)
        return;
    std::nth_element(thickness.begin(), thickness.begin() + long(thickness.size() / 2), thickness.end());
    const double cap = 1.5 * thickness[thickness.size() / 2];
    std::sort(roots.begin(), roots.end(), [&](int a, int b) { return group[size_t(a)].left < group[size_t(b)].left; });
    for (size_t a = 0; a < roots.size(); ++a) {
        const Component& ga = group[size_t(roots[a])];
        for (size_t b = a + 1; b < roots.size(); ++b) {
            const Component& gb = group[size_t(roots[b])];
            if (gb.left - ga.right - 1 > kGroupJoinGap * cap)
                break;
            const double size = std::min(cap, double(std::max(ga.thickness(), gb.thickness())));
            if (gapBetween(ga, gb) <= (alongOneLine(ga, gb) ? kGroupJoinGap : kJoinGap) * size)
                uf.join(roots[a], roots[b]);
        }
    }
}

}  // namespace

TextLayout findTextBlocks(const InkImage& image)
{
    TextLayout layout;
    std::vector<Component> comps;
    const std::vector<int> lab = label(image, comps);

    std::vector<double> sizes;
    for (const Component& c : comps)
        if (c.pixels >= 4)
            sizes.push_back(c.extent());
    const double typical = std::max(4.0, characterSize(sizes));

    // Specks, and long thin rules or frames (dimension lines, grid) are not lettering.
    std::vector<bool> keep(comps.size());
    for (size_t i = 0; i < comps.size(); ++i) {
        const Component& c = comps[i];
        const double fill = double(c.pixels) / (double(c.right - c.left + 1) * (c.bottom - c.top + 1));
        const bool speck = c.pixels < 3 && c.extent() < typical / 3;
        const bool rule = c.extent() > kRuleLength * typical && (c.thickness() < typical / 3 || fill < 0.08);
        keep[i] = !speck && !rule;
    }

    // Join neighbours: sort by left edge and compare within a sweeping window.
    std::vector<int> order;
    for (size_t i = 0; i < comps.size(); ++i)
        if (keep[i])
            order.push_back(int(i));
    std::sort(order.begin(), order.end(), [&](int a, int b) { return comps[size_t(a)].left < comps[size_t(b)].left; });
    // Large lettering joins over proportionally larger gaps.
    double widest = typical;
    for (int i : order)
        widest = std::max(widest, double(comps[size_t(i)].thickness()));
    UnionFind uf(comps.size());
    for (size_t a = 0; a < order.size(); ++a) {
        const Component& ca = comps[size_t(order[a])];
        for (size_t b = a + 1; b < order.size(); ++b) {
            const Component& cb = comps[size_t(order[b])];
            if (cb.left - ca.right - 1 > kJoinGap * widest)
                break;  // every later component starts further right still
            const double reach = kJoinGap * std::max({typical, double(ca.thickness()), double(cb.thickness())});
            if (gapBetween(ca, cb) <= reach)
                uf.join(order[a], order[b]);
        }
    }

    joinByGroupSize(comps, order, uf);

    std::vector<int> blockOfRoot(comps.size(), -1);
    std::vector<std::vector<double>> blockSizes;
    std::vector<int> compBlock(comps.size(), -2);
    for (int i : order) {
        const int root = uf.find(i);
        if (blockOfRoot[size_t(root)] < 0) {
            blockOfRoot[size_t(root)] = int(layout.blocks.size());
            const Component& c = comps[size_t(i)];
            layout.blocks.push_back({c.left, c.top, c.right, c.bottom, 0, {}, {}});
            blockSizes.emplace_back();
        }
        const int b = blockOfRoot[size_t(root)];
        compBlock[size_t(i)] = b;
        TextBlock& blk = layout.blocks[size_t(b)];
        const Component& c = comps[size_t(i)];
        blk.left = std::min(blk.left, c.left);
        blk.top = std::min(blk.top, c.top);
        blk.right = std::max(blk.right, c.right);
        blk.bottom = std::max(blk.bottom, c.bottom);
        if (c.pixels >= 4)
            blockSizes[size_t(b)].push_back(c.extent());
    }
    for (size_t b = 0; b < layout.blocks.size(); ++b)
        layout.blocks[b].charSize = blockSizes[b].empty() ? typical : characterSize(blockSizes[b]);

    layout.blockOf.assign(lab.size(), -1);
    for (size_t p = 0; p < lab.size(); ++p) {
        if (lab[p] < 0)
            continue;
        const int b = compBlock[size_t(lab[p])];
        layout.blockOf[p] = b;
        if (b >= 0) {
            layout.blocks[size_t(b)].xs.push_back(int(p % size_t(image.width)));
            layout.blocks[size_t(b)].ys.push_back(int(p / size_t(image.width)));
        }
    }

    // Reading order; blockOf is renumbered to match.
    std::vector<int> perm(layout.blocks.size());
    std::iota(perm.begin(), perm.end(), 0);
    std::sort(perm.begin(), perm.end(), [&](int a, int b) {
        const TextBlock& A = layout.blocks[size_t(a)];
        const TextBlock& B = layout.blocks[size_t(b)];
        return A.top != B.top ? A.top < B.top : A.left < B.left;
    });
    std::vector<int> rank(perm.size());
    std::vector<TextBlock> sorted;
    for (size_t i = 0; i < perm.size(); ++i) {
        rank[size_t(perm[i])] = int(i);
        sorted.push_back(std::move(layout.blocks[size_t(perm[i])]));
    }
    layout.blocks = std::move(sorted);
    for (int& b : layout.blockOf)
        if (b >= 0)
            b = rank[size_t(b)];
    return layout;
}
