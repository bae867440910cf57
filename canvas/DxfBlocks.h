#pragma once
// The blocks of a DXF drawing and the inserts that place them. A block's definition is kept as
// its group-code pairs until an insert needs it, then converted once into shapes in block
// coordinates that keep the heights of their points. An INSERT copies that content through a
// three-dimensional map (base point, scale, rotation, insertion point, extrusion), so inserts
// within inserts, tilted ones too, land where the drawing has them; nesting deeper than 16 levels
// and blocks that insert themselves are left out and said. A name the file does not define is
// looked up among the blocks of earlier imports kept in the canvas's list.
#include "canvas/CanvasModel.h"
#include "canvas/DxfRecord.h"
#include "canvas/DxfShapeSink.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vsx::dxf {

class Blocks {
public:
    // Converts a run of block content records into `content`, at an insert depth.
    using ContentRun = std::function<std::unique_ptr<RecordSink>(ShapeSink& content, int depth)>;

    Blocks(const CanvasModel& model, ImportTally& tally, ContentRun contentRun);
    ~Blocks();
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;

    // The BLOCKS section: a BLOCK record opens a block, its pairs follow, ENDBLK closes it.
    void beginBlock();
    void blockPair(int code, std::string_view v);
    void endBlock();

    // The shapes an INSERT record places, at its depth of inserts within inserts.
    void insert(const Record& r, ShapeSink& sink, int depth);

    // Every block of the file converted (for the canvas's block list), by name.
    std::vector<std::unique_ptr<DxfBlock>> takeBlocks();

private:
    struct Block;
    // Converts a block's content into shapes in block coordinates, once; false when it is being
    // converted already (an insert of itself) or lies too deep.
    bool convert(Block& b, int depth);

    const CanvasModel& model_;
    ImportTally& tally_;
    ContentRun contentRun_;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::unordered_map<std::string, Block*> blocksByName_;
    std::unique_ptr<Block> block_;
    std::size_t blockText_ = 0;
};

}  // namespace vsx::dxf
