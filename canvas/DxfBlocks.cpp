#include "canvas/DxfBlocks.h"

#include "canvas/DxfImport.h"

#include <cmath>
#include <cstdint>

namespace vsx::dxf {

namespace {

// Inserts within inserts deeper than this are left out (and said), as are circular ones.
constexpr int kMaxInsertDepth = 16;
// Block copies stop here, so a file of blocks that insert each other many times cannot take
// all memory.
constexpr std::size_t kMaxShapes = 10'000'000;
constexpr std::size_t kMaxBlockText = std::size_t(128) << 20;

std::unique_ptr<TVShape> clone(const TVShape& s)
{
    if (auto* p = dynamic_cast<const TVLine*>(&s)) return std::make_unique<TVLine>(*p);
    if (auto* p = dynamic_cast<const TVPolyline*>(&s)) return std::make_unique<TVPolyline>(*p);
    if (auto* p = dynamic_cast<const TVCircle*>(&s)) return std::make_unique<TVCircle>(*p);
    if (auto* p = dynamic_cast<const TVPoint*>(&s)) return std::make_unique<TVPoint>(*p);
    if (auto* p = dynamic_cast<const TVText*>(&s)) return std::make_unique<TVText>(*p);
    return nullptr;
}

// Moves a copied block shape, whose points lie at the heights `zIn` (none: all 0), to where an
// INSERT puts it; `zOut` gets their new heights.
std::unique_ptr<TVShape> transformed(std::unique_ptr<TVShape> s, const Heights& zIn, const Affine3& m, bool keepHeights,
                                     Heights& zOut)
{
    auto z = [&zIn](std::size_t i) { return i < zIn.size() ? zIn[i] : 0.0; };
    zOut.clear();
    if (auto* l = dynamic_cast<TVLine*>(s.get())) {
        const Point3 a = m.map(l->X1, l->Y1, z(0)), b = m.map(l->X2, l->Y2, z(1));
        l->X1 = a.x, l->Y1 = a.y, l->X2 = b.x, l->Y2 = b.y;
        if (keepHeights) zOut = {a.z, b.z};
    } else if (auto* p = dynamic_cast<TVPolyline*>(s.get())) {
        if (keepHeights) zOut.reserve(p->Vertices.size());
        for (std::size_t i = 0; i < p->Vertices.size(); ++i) {
            const Point3 v = m.map(p->Vertices[i].X, p->Vertices[i].Y, z(i));
            p->Vertices[i] = {v.x, v.y};
            if (keepHeights) zOut.push_back(v.z);
        }
    } else if (auto* pt = dynamic_cast<TVPoint*>(s.get())) {
        const Point3 a = m.map(pt->X, pt->Y, z(0));
        pt->X = a.x, pt->Y = a.y;
        if (keepHeights) zOut = {a.z};
    } else if (auto* c = dynamic_cast<TVCircle*>(s.get())) {
        std::unique_ptr<TVShape> r = mappedCircle(c->CX, c->CY, z(0), c->R, m, keepHeights, zOut);
        r->PenColor = s->PenColor;
        r->PenWidth = s->PenWidth;
        r->UpdateBounds();
        return r;
    } else if (auto* t = dynamic_cast<TVText*>(s.get())) {
        const Point3 a = m.map(t->X, t->Y, z(0));
        const Point3 dir = m.linear(std::cos(t->Angle * kDeg), std::sin(t->Angle * kDeg), z(1));
        const double planLength = std::hypot(dir.x, dir.y);
        t->X = a.x, t->Y = a.y;
        if (planLength > 1e-12) t->Angle = std::atan2(dir.y, dir.x) / kDeg;
        t->Height *= std::sqrt(std::fabs(m.planDet()));
        if (keepHeights) zOut = {a.z, planLength > 1e-12 ? dir.z / planLength : 0.0};
    }
    s->UpdateBounds();
    return s;
}

}  // namespace

// A block as the BLOCKS section gives it: its header, its content as pairs (the values kept in
// one text) until an insert needs it, then its shapes.
struct Blocks::Block {
    struct StoredPair {
        std::int32_t code;
        std::uint32_t offset, length;
    };
    std::string name;
    double baseX = 0, baseY = 0, baseZ = 0;
    bool headerDone = false, truncated = false;
    std::string text;
    std::vector<StoredPair> pairs;
    enum class State { Raw, Converting, Done } state = State::Raw;
    ShapeSink content{true};
};

Blocks::Blocks(const CanvasModel& model, ImportTally& tally, ContentRun contentRun)
    : model_(model), tally_(tally), contentRun_(std::move(contentRun))
{
}

Blocks::~Blocks() = default;

void Blocks::beginBlock() { block_ = std::make_unique<Block>(); }

void Blocks::blockPair(int code, std::string_view v)
{
    if (!block_) return;
    if (!block_->headerDone) {
        if (code == 0) block_->headerDone = true;
        else if (code == 2) block_->name.assign(v);
        else if (code == 10) block_->baseX = number(v);
        else if (code == 20) block_->baseY = number(v);
        else if (code == 30) block_->baseZ = number(v);
        if (code != 0) return;
    }
    if (blockText_ + v.size() > kMaxBlockText) {
        block_->truncated = true;
        return;
    }
    blockText_ += v.size() + 8;
    block_->pairs.push_back({code, std::uint32_t(block_->text.size()), std::uint32_t(v.size())});
    block_->text.append(v);
}

void Blocks::endBlock()
{
    if (!block_) return;
    if (block_->truncated) tally_.leftOut("block content beyond " + std::to_string(kMaxBlockText >> 20) + " MB");
    Block* b = block_.get();
    blocksByName_[b->name] = b;
    blocks_.push_back(std::move(block_));
}

void Blocks::insert(const Record& r, ShapeSink& sink, int depth)
{
    const Shapes* content = nullptr;
    const std::vector<Heights>* heights = nullptr;
    double baseX = 0, baseY = 0, baseZ = 0;
    if (const auto it = blocksByName_.find(r.name2); it != blocksByName_.end()) {
        if (!convert(*it->second, depth)) {
            tally_.leftOut("inserts nested deeper than " + std::to_string(kMaxInsertDepth) + " levels or in themselves");
            return;
        }
        content = &it->second->content.shapes;
        heights = &it->second->content.heights;
        baseX = it->second->baseX;
        baseY = it->second->baseY;
        baseZ = it->second->baseZ;
    } else if (const DxfBlock* kept = model_.FindDxfBlock(r.name2)) {
        content = &kept->Shapes;
        heights = &kept->Heights;
        baseX = kept->BaseX;
        baseY = kept->BaseY;
        baseZ = kept->BaseZ;
    } else {
        tally_.leftOut("inserts of undefined blocks");
        return;
    }
    if (r.integerOf(70, 1) > 1 || r.integerOf(71, 1) > 1) tally_.leftOut("insert array copies (the first is drawn)");
    // Block coordinates, less the base point, scaled, turned, moved to the insertion point of
    // the insert's object coordinates, taken into the coordinates around the insert; every
    // height goes along, so a tilted extrusion places the block's points where they are.
    const Affine3 m = compose(
        r.ocs(), compose(translate(r.get(10), r.get(20), r.get(30)),
                         compose(rotateScale(r.get(50, 0) * kDeg, r.get(41, 1), r.get(42, 1), r.get(43, 1)),
                                 translate(-baseX, -baseY, -baseZ))));
    const ColorValue given = r.has[62] ? AciToColor(r.integerOf(62)) : -1;
    static const Heights level;
    for (std::size_t i = 0; i < content->size(); ++i) {
        if (tally_.shapes >= kMaxShapes) {
            tally_.leftOut("block copies beyond " + std::to_string(kMaxShapes) + " shapes");
            return;
        }
        std::unique_ptr<TVShape> copy = clone(*(*content)[i]);
        if (!copy) continue;
        Heights z;
        copy = transformed(std::move(copy), i < heights->size() ? (*heights)[i] : level, m, sink.keepsHeights(), z);
        if (given != -1) copy->PenColor = given;
        sink.push(std::move(copy), std::move(z));
        ++tally_.shapes;
    }
}

bool Blocks::convert(Block& b, int depth)
{
    if (b.state == Block::State::Done) return true;
    if (b.state == Block::State::Converting || depth > kMaxInsertDepth) return false;
    b.state = Block::State::Converting;
    const std::unique_ptr<RecordSink> run = contentRun_(b.content, depth + 1);
    RecordStream stream(*run);
    for (const Block::StoredPair& p : b.pairs) stream.pair(p.code, std::string_view(b.text).substr(p.offset, p.length));
    stream.finish();
    b.text.clear();
    b.text.shrink_to_fit();
    b.pairs.clear();
    b.pairs.shrink_to_fit();
    b.state = Block::State::Done;
    return true;
}

std::vector<std::unique_ptr<DxfBlock>> Blocks::takeBlocks()
{
    std::vector<std::unique_ptr<DxfBlock>> out;
    for (auto& b : blocks_) {
        if (!convert(*b, 0)) continue;
        auto kept = std::make_unique<DxfBlock>();
        kept->Name = b->name;
        kept->BaseX = b->baseX;
        kept->BaseY = b->baseY;
        kept->BaseZ = b->baseZ;
        kept->Shapes = std::move(b->content.shapes);
        kept->Heights = std::move(b->content.heights);
        out.push_back(std::move(kept));
    }
    return out;
}

}  // namespace vsx::dxf
