#include "app/reference_dxf.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

// Drawing files are in mm; anything beyond a million kilometres is damage.
constexpr double kMaxFileCoordinate = 1e12;
// Blocks placed inside blocks, deeper than any drawing nests them; also
// what stops a block that (through others) places itself.
constexpr int kMaxBlockDepth = 16;
// Straight pieces looked at in one drawing at most (arrays of inserts can
// ask for millions); far beyond the lines the list keeps.
constexpr long kMaxPiecesWalked = 200000;
// Columns and rows of one array insert.
constexpr int kMaxArrayCount = 1000;

struct Group {
    int code = 0;
    std::string value;
};

struct Entity {
    std::string type;  // upper case: LINE, INSERT, ...
    std::vector<Group> groups;
    bool closed = false;  // another group 0 followed it in the file
};

struct Block {
    double baseX = 0, baseY = 0;
    std::vector<Entity> entities;
};

// x' = a x + b y + e, y' = c x + d y + f, in the file's millimetres.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    void Apply(double x, double y, double& ox, double& oy) const {
        ox = a * x + b * y + e;
        oy = c * x + d * y + f;
    }
    Affine Then(const Affine& inner) const {  // this ∘ inner
        Affine r;
        r.a = a * inner.a + b * inner.c;
        r.b = a * inner.b + b * inner.d;
        r.c = c * inner.a + d * inner.c;
        r.d = c * inner.b + d * inner.d;
        Apply(inner.e, inner.f, r.e, r.f);
        return r;
    }
};

bool IsGroupCode(const std::string& s) {
    if (s.empty()) return false;
    std::size_t k = (s[0] == '-') ? 1 : 0;
    if (k == s.size()) return false;
    for (; k < s.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(s[k]))) return false;
    return true;
}

// The file as entities: a group 0 starts one, the groups up to the next
// group 0 are its own. A line that cannot be a group code is passed over,
// so a stray line does not put every later code out of step.
std::vector<Entity> ReadEntities(const TStringList& text) {
    std::vector<Entity> out;
    int r = 0;
    while (r + 1 < text.Count()) {
        const std::string code = Trim(text[r]);
        if (!IsGroupCode(code)) {
            ++r;
            continue;
        }
        Group g{TextToInt(code), Trim(text[r + 1])};
        r += 2;
        if (g.code == 0) {
            if (!out.empty()) out.back().closed = true;
            out.push_back(Entity{UpperCase(g.value), {}, false});
            if (out.back().type == "EOF") {
                out.back().closed = true;
                break;
            }
        } else if (!out.empty()) {
            out.back().groups.push_back(std::move(g));
        }
    }
    return out;
}

const Group* Find(const Entity& e, int code) {
    for (const Group& g : e.groups)
        if (g.code == code) return &g;
    return nullptr;
}

double Number(const Entity& e, int code, double otherwise) {
    const Group* g = Find(e, code);
    if (!g) return otherwise;
    const double v = TextToDouble(g->value);
    return std::isfinite(v) ? v : otherwise;
}

// Pen of an entity: its colour number clamped to the eight pens; colour 0
// (by block) inside a block takes the pen of the insert that placed it.
int PenOf(const Entity& e, int byBlockPen) {
    const Group* g = Find(e, 62);
    if (!g) return 1;
    const double v = TextToDouble(g->value);
    if (v == 0 && byBlockPen > 0) return byBlockPen;
    // Colour numbers beyond the eight pens (256 = by layer) take pen 8.
    const int pen = !(v > 0) ? 1 : v >= 8 ? 8 : static_cast<int>(v);
    return pen < 1 ? 1 : pen;
}

class Walker {
  public:
    Walker(RefLineList& list, DrawingReadNotes& notes, const std::map<std::string, Block>& blocks)
        : list_(list), notes_(notes), blocks_(blocks) {}

    void Walk(const std::vector<Entity>& entities, const Affine& t, int byBlockPen, int depth) {
        for (std::size_t i = 0; i < entities.size() && walked_ < kMaxPiecesWalked; ++i) {
            const Entity& e = entities[i];
            if (e.type == "LINE") {
                Line(e, t, byBlockPen);
            } else if (e.type == "LWPOLYLINE") {
                LwPolyline(e, t, byBlockPen);
            } else if (e.type == "POLYLINE") {
                std::size_t j = i + 1;
                std::vector<const Entity*> vertices;
                for (; j < entities.size() && entities[j].type == "VERTEX"; ++j)
                    vertices.push_back(&entities[j]);
                if (j < entities.size() && entities[j].type == "SEQEND") ++j;
                Polyline(e, vertices, t, byBlockPen);
                i = j - 1;
            } else if (e.type == "INSERT") {
                Insert(e, t, byBlockPen, depth);
            } else if (e.type != "VERTEX" && e.type != "SEQEND" && e.type != "ATTRIB") {
                ++notes_.skipped[e.type];
            }
        }
    }

  private:
    void Add(double x1, double y1, double x2, double y2, const Affine& t, int pen) {
        ++walked_;
        double gx1, gy1, gx2, gy2;
        t.Apply(x1, y1, gx1, gy1);
        t.Apply(x2, y2, gx2, gy2);
        RefLine line;
        line.kind = 1;
        line.pen = pen;
        if (!DrawingMmToMetres(gx1, true, line.x1) || !DrawingMmToMetres(gy1, true, line.y1) ||
            !DrawingMmToMetres(gx2, true, line.x2) || !DrawingMmToMetres(gy2, true, line.y2))
            return;
        ++notes_.linesFound;
        if (list_.count < kMaxRefLines) list_.lines[++list_.count] = line;
    }

    void Line(const Entity& e, const Affine& t, int byBlockPen) {
        // Codes the entity does not give stay 0; a coordinate that is not a
        // finite number of a sane size drops the line.
        double v[4] = {0, 0, 0, 0};
        const int codes[4] = {10, 20, 11, 21};
        bool all = true;
        for (int k = 0; k < 4; ++k) {
            const Group* g = Find(e, codes[k]);
            if (!g) {
                all = false;
                continue;
            }
            if (!ReadMm(g->value, v[k])) return;
        }
        // The file ended inside this line: what it gives is not the line.
        if (!e.closed && !all) {
            notes_.cutShort = true;
            return;
        }
        Add(v[0], v[1], v[2], v[3], t, PenOf(e, byBlockPen));
    }

    struct Vertex {
        double x = 0, y = 0, bulge = 0;
        bool ok = true;
    };

    void Segments(const std::vector<Vertex>& v, bool closedLoop, const Affine& t, int pen) {
        const std::size_t n = v.size();
        if (n < 2) return;
        const std::size_t last = closedLoop ? n : n - 1;
        for (std::size_t k = 0; k < last; ++k) {
            const Vertex& p = v[k];
            const Vertex& q = v[(k + 1) % n];
            if (!p.ok || !q.ok) continue;
            if (p.bulge != 0) {
                ++notes_.arcSegments;
                continue;
            }
            if (p.x == q.x && p.y == q.y) continue;
            Add(p.x, p.y, q.x, q.y, t, pen);
        }
    }

    void LwPolyline(const Entity& e, const Affine& t, int byBlockPen) {
        std::vector<Vertex> v;
        for (const Group& g : e.groups) {
            if (g.code == 10) {
                v.push_back(Vertex{});
                v.back().ok = ReadMm(g.value, v.back().x);
            } else if (g.code == 20 && !v.empty()) {
                v.back().ok = ReadMm(g.value, v.back().y) && v.back().ok;
            } else if (g.code == 42 && !v.empty()) {
                v.back().bulge = TextToDouble(g.value);
            }
        }
        if (!e.closed) notes_.cutShort = true;
        const int flags = static_cast<int>(Number(e, 70, 0));
        Segments(v, (flags & 1) != 0, t, PenOf(e, byBlockPen));
    }

    void Polyline(const Entity& e, const std::vector<const Entity*>& vertices, const Affine& t,
                  int byBlockPen) {
        const int flags = static_cast<int>(Number(e, 70, 0));
        // Meshes (16, 64) are surfaces, not lines.
        if (flags & (16 | 64)) {
            ++notes_.skipped[e.type];
            return;
        }
        std::vector<Vertex> v;
        for (const Entity* ve : vertices) {
            Vertex x;
            const Group* gx = Find(*ve, 10);
            const Group* gy = Find(*ve, 20);
            x.ok = gx && gy && ReadMm(gx->value, x.x) && ReadMm(gy->value, x.y);
            x.bulge = Number(*ve, 42, 0);
            v.push_back(x);
        }
        if (!vertices.empty() && !vertices.back()->closed) notes_.cutShort = true;
        Segments(v, (flags & 1) != 0, t, PenOf(e, byBlockPen));
    }

    void Insert(const Entity& e, const Affine& t, int byBlockPen, int depth) {
        const Group* name = Find(e, 2);
        const auto it = name ? blocks_.find(name->value) : blocks_.end();
        if (it == blocks_.end() || depth >= kMaxBlockDepth) {
            ++notes_.missingBlocks;
            return;
        }
        const Block& block = it->second;
        const double px = Number(e, 10, 0), py = Number(e, 20, 0);
        const double sx = Number(e, 41, 1), sy = Number(e, 42, 1);
        const double angle = Number(e, 50, 0) * M_PI / 180.0;
        const int columns = std::clamp(static_cast<int>(Number(e, 70, 1)), 1, kMaxArrayCount);
        const int rows = std::clamp(static_cast<int>(Number(e, 71, 1)), 1, kMaxArrayCount);
        const double dx = Number(e, 44, 0), dy = Number(e, 45, 0);
        const double co = std::cos(angle), si = std::sin(angle);
        const int pen = PenOf(e, byBlockPen);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                if (walked_ >= kMaxPiecesWalked) return;
                // Block point p goes to P + R (S (p - base) + array offset).
                const double ox = c * dx, oy = r * dy;
                Affine local;
                local.a = co * sx;
                local.b = -si * sy;
                local.c = si * sx;
                local.d = co * sy;
                local.e = px + co * (ox - sx * block.baseX) - si * (oy - sy * block.baseY);
                local.f = py + si * (ox - sx * block.baseX) + co * (oy - sy * block.baseY);
                Walk(block.entities, t.Then(local), pen, depth + 1);
            }
    }

    static bool ReadMm(const std::string& value, double& mm) {
        const double v = TextToDouble(value);
        if (!std::isfinite(v) || std::fabs(v) > kMaxFileCoordinate) return false;
        mm = v;
        return true;
    }

    RefLineList& list_;
    DrawingReadNotes& notes_;
    const std::map<std::string, Block>& blocks_;
    long walked_ = 0;
};

}  // namespace

bool DrawingMmToMetres(double mm, bool wholeMillimetres, float& metres) {
    if (!std::isfinite(mm) || std::fabs(mm) > kMaxFileCoordinate) return false;
    if (wholeMillimetres) mm = std::trunc(mm);
    // -0.7 mm truncates to -0: no minus sign on a zero coordinate.
    metres = static_cast<float>(mm * 0.001) + 0.0f;
    return true;
}

void ParseDxfDrawing(const TStringList& text, RefLineList& list, DrawingReadNotes& notes) {
    const std::vector<Entity> entities = ReadEntities(text);
    std::map<std::string, Block> blocks;
    std::vector<Entity> drawn;
    bool sections = false, eof = false;
    std::string section;
    Block* block = nullptr;
    for (const Entity& e : entities) {
        if (e.type == "EOF") {
            eof = true;
            break;
        }
        if (e.type == "SECTION") {
            sections = true;
            const Group* name = Find(e, 2);
            section = name ? UpperCase(name->value) : "";
            continue;
        }
        if (e.type == "ENDSEC") {
            section.clear();
            block = nullptr;
            continue;
        }
        if (section == "BLOCKS") {
            if (e.type == "BLOCK") {
                const Group* name = Find(e, 2);
                block = &blocks[name ? name->value : ""];
                *block = Block{Number(e, 10, 0), Number(e, 20, 0), {}};
            } else if (e.type == "ENDBLK") {
                block = nullptr;
            } else if (block) {
                block->entities.push_back(e);
            }
            continue;
        }
        // Entities outside any section are drawing content only in a file
        // that has no sections at all.
        if (section == "ENTITIES" || (!sections && section.empty())) drawn.push_back(e);
    }
    if (sections && !eof) notes.cutShort = true;
    Walker(list, notes, blocks).Walk(drawn, Affine{}, 0, 0);
}

std::string DrawingNoticeText(const DrawingReadNotes& notes) {
    std::string text;
    auto line = [&](const std::string& s) { text += (text.empty() ? "" : "\n") + s; };
    if (notes.cutShort) line("ファイルが途中で終わっています。最後の図形は読めませんでした。"_sj);
    if (notes.linesFound > kMaxRefLines)
        line(FormatStr("図面の線 %d 本のうち、最初の %d 本だけを読みました。"_sj.c_str(),
                       notes.linesFound, kMaxRefLines));
    if (notes.arcSegments > 0)
        line(FormatStr("ポリラインの円弧の部分 %d 個は読みませんでした。"_sj.c_str(),
                       notes.arcSegments));
    if (notes.missingBlocks > 0)
        line(FormatStr("定義の無いブロックの配置 %d 個は読みませんでした。"_sj.c_str(),
                       notes.missingBlocks));
    if (!notes.skipped.empty()) {
        std::string kinds;
        int listed = 0;
        for (const auto& [kind, count] : notes.skipped) {
            if (++listed > 8) {
                kinds += " ..."_sj;
                break;
            }
            kinds +=
                (kinds.empty() ? "" : ", ") + FitTextLength(kind, 20) + FormatStr(" %d", count);
        }
        line("直線でない図形は読みませんでした: "_sj + kinds);
    }
    return text;
}
