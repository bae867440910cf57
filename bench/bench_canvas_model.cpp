// Canvas model at survey scale: a million shapes, half of them on one track layer.
// Targets (1,000,000 shapes):
//   find by id O(1); append a segment O(1) amortised; delete a layer of 500,000 shapes < 100 ms;
//   set a layer's colour or width when nothing changes < 1 ms; ZoomExtents < 50 ms;
//   memory <= 200 bytes per line segment, index entries included.
#include "canvas/CanvasModel.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <random>

namespace {

using vsx::CanvasModel;

constexpr int kShapes = 1'000'000;

struct Drawing {
    std::unique_ptr<CanvasModel> model = std::make_unique<CanvasModel>();
    int track = -1;
    int other = -1;
};

// Track segments interleaved with shapes of another layer, the track layer's half spread over
// the whole z-order (the hardest case for deleting it).
Drawing makeDrawing(int shapes)
{
    Drawing d;
    d.track = d.model->AddLayer("track_fix");
    d.other = d.model->AddLayer("soundings");
    d.model->SetLayerColor(d.track, vsx::clLime);
    d.model->SetLayerWidth(d.track, 2);
    double x = 500000, y = 4500000;
    for (int i = 0; i < shapes; ++i) {
        if (i % 2 == 0) {
            d.model->AddLine(x, y, x + 1.5, y + 0.5, d.track);
            x += 1.5, y += 0.5;
        } else {
            d.model->AddPoint(x, y - 20, d.other);
        }
    }
    return d;
}

Drawing& sharedDrawing()
{
    static Drawing d = makeDrawing(kShapes);
    return d;
}

void BM_FindShapeById_1M_target_O1(benchmark::State& state)
{
    CanvasModel& m = *sharedDrawing().model;
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> pick(1, kShapes);
    for (auto _ : state) benchmark::DoNotOptimize(m.FindShape(pick(rng)));
}
BENCHMARK(BM_FindShapeById_1M_target_O1);

void BM_SetShapeColorById_1M(benchmark::State& state)
{
    CanvasModel& m = *sharedDrawing().model;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(1, kShapes);
    for (auto _ : state) {
        const int id = pick(rng);
        m.SetShapeColor(id, m.GetShapeColor(id));
    }
}
BENCHMARK(BM_SetShapeColorById_1M);

void BM_AppendSegment_1M_target_O1_amortised(benchmark::State& state)
{
    Drawing d = makeDrawing(kShapes);
    double x = 0;
    for (auto _ : state) {
        d.model->AddLine(x, 0, x + 1, 0, d.track);
        x += 1;
    }
}
BENCHMARK(BM_AppendSegment_1M_target_O1_amortised);

void BM_DeleteLayerOf500k_of_1M_target_under_100ms(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Drawing d = makeDrawing(kShapes);
        state.ResumeTiming();
        d.model->DeleteLayerShapes(d.track);
        state.PauseTiming();
        if (d.model->ShapeCount() != kShapes / 2) state.SkipWithError("wrong count after delete");
        d.model.reset();
        state.ResumeTiming();
    }
    state.SetLabel("ms per delete in the time column");
}
BENCHMARK(BM_DeleteLayerOf500k_of_1M_target_under_100ms)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeleteSmallTopLayer_1M(benchmark::State& state)
{
    // The vessel symbol: a few shapes on top, deleted and drawn again every tick.
    CanvasModel& m = *sharedDrawing().model;
    const int vessel = m.AddLayer("~~Veldor Vessel");
    for (auto _ : state) {
        for (int i = 0; i < 12; ++i) m.AddLine(0, 0, 1, i, vessel);
        m.DeleteLayerShapes(vessel);
    }
}
BENCHMARK(BM_DeleteSmallTopLayer_1M)->Unit(benchmark::kMicrosecond);

void BM_SetLayerColorAndWidthUnchanged_500k_layer_target_under_1ms(benchmark::State& state)
{
    Drawing& d = sharedDrawing();
    for (auto _ : state) {
        d.model->SetLayerColor(d.track, vsx::clLime);
        d.model->SetLayerWidth(d.track, 2);
    }
}
BENCHMARK(BM_SetLayerColorAndWidthUnchanged_500k_layer_target_under_1ms)->Unit(benchmark::kMicrosecond);

void BM_SetLayerColorChanged_500k_layer(benchmark::State& state)
{
    Drawing& d = sharedDrawing();
    int i = 0;
    for (auto _ : state) d.model->SetLayerColor(d.track, (i++ % 2) ? vsx::clLime : vsx::clRed);
    d.model->SetLayerColor(d.track, vsx::clLime);
}
BENCHMARK(BM_SetLayerColorChanged_500k_layer)->Unit(benchmark::kMillisecond);

void BM_ZoomExtents_1M_target_under_50ms(benchmark::State& state)
{
    CanvasModel& m = *sharedDrawing().model;
    for (auto _ : state) m.ZoomExtents();
}
BENCHMARK(BM_ZoomExtents_1M_target_under_50ms)->Unit(benchmark::kMillisecond);

void BM_SelectionHashAndHitTest_1M(benchmark::State& state)
{
    CanvasModel& m = *sharedDrawing().model;
    for (auto _ : state) {
        benchmark::DoNotOptimize(m.HitTest(0, 0));
        benchmark::DoNotOptimize(m.SelectionHash());
    }
}
BENCHMARK(BM_SelectionHashAndHitTest_1M)->Unit(benchmark::kMillisecond);

void BM_MemoryPerLineSegment_1M_target_at_most_200_bytes(benchmark::State& state)
{
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t before = mallinfo2().uordblks;
        auto m = std::make_unique<CanvasModel>();
        const int layer = m->AddLayer("track_fix");
        for (int i = 0; i < kShapes; ++i) m->AddLine(i, 0, i + 1, 1, layer);
        const std::size_t after = mallinfo2().uordblks;
        state.counters["bytes_per_segment"] = double(after - before) / kShapes;
    }
}
BENCHMARK(BM_MemoryPerLineSegment_1M_target_at_most_200_bytes)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
