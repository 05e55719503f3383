// Start-up resource loading: the string table, the base font, the skins (with every bitmap and
// PNG image they name) and the styles (with their fonts), as the program does before its first
// window. The target is under 40 ms for the whole.
//
// BM_StartupLoadCold runs once in a fresh process, when every pool is empty: that is the
// figure that matters. The other benchmarks repeat its parts so their shares can be seen:
// parsing the documents (images and fonts already cached), decoding the images, making fonts.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bkres/bkfontpool.h"
#include "bkres/bkresutil.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "platform/window.h"

namespace {

using namespace platform;

void LoadAll() {
    BkString::Load(102);
    BkFontPool::SetDefaultFont(*BkString::Get(0), -12);
    BkSkinPool::Load(100);
    BkStylePool::Load(101);
}

void BM_StartupLoadCold(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    for (auto _ : state) {
        // The same steps as LoadAll, timed one by one (wall clock) to show where the time goes.
        const auto t0 = Clock::now();
        BkString::Load(102);
        const auto t1 = Clock::now();
        BkFontPool::SetDefaultFont(*BkString::Get(0), -12);
        const auto t2 = Clock::now();
        BkSkinPool::Load(100);
        const auto t3 = Clock::now();
        BkStylePool::Load(101);
        const auto t4 = Clock::now();
        state.counters["strings_ms"] = ms(t0, t1);
        state.counters["font_ms"] = ms(t1, t2);
        state.counters["skins_ms"] = ms(t2, t3);
        state.counters["styles_ms"] = ms(t3, t4);
        benchmark::DoNotOptimize(BkSkinPool::Count());
    }
    state.counters["skins"] = static_cast<double>(BkSkinPool::Count());
    state.counters["styles"] = static_cast<double>(BkStylePool::Count());
}
BENCHMARK(BM_StartupLoadCold)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ParseDocumentsWarm(benchmark::State& state) {
    LoadAll();
    for (auto _ : state) LoadAll();
}
BENCHMARK(BM_ParseDocumentsWarm)->Unit(benchmark::kMillisecond);

void BM_DecodeSkinImages(benchmark::State& state) {
    const unsigned pngs[] = {3, 44, 45, 46, 47, 48, 60};
    const unsigned bmps[] = {106, 107, 10001, 10002, 10003, 10004, 10005, 10006, 10011, 10012};
    for (auto _ : state) {
        // As the pools load them: on a screen at a scale above 1 the 2x art, fitted to the scale.
        for (unsigned id : pngs) DeleteImage(BkResUtil::LoadPngResource(id));
        for (unsigned id : bmps) DeleteObject(BkResUtil::LoadBmpResource(id));
    }
}
BENCHMARK(BM_DecodeSkinImages)->Unit(benchmark::kMillisecond);

void BM_CreateStyleFonts(benchmark::State& state) {
    const uint16_t codes[] = {0x0000, 0x0002, 0x0004, 0x0504, 0x0604, 0x0804, 0x0A04};
    for (auto _ : state) {
        for (uint16_t code : codes) {
            LOGFONTW lf = BkFontPool::GetBaseFont();
            lf.lfWeight = (code & 4) ? FW_BOLD : FW_NORMAL;
            lf.lfUnderline = (code & 2) ? 1 : 0;
            lf.lfHeight -= static_cast<int8_t>(code >> 8);
            DeleteObject(CreateFontIndirect(&lf));
        }
    }
}
BENCHMARK(BM_CreateStyleFonts)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
