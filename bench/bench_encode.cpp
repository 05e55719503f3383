// Bytes to finished matrix with automatic masking: CQREncoder against libqrencode.
//   build/release/bench/bench_encode --benchmark_counters_tabular=true
// Each workload runs both encoders; compare the pairs (ours / libqrencode) in one run. Every
// symbol made is checked: the version of the first, and a symbol at all; a wrong one stops the
// benchmark with an error.
#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <memory>
#include <string>

#include "encoder/QR_Encode.h"

namespace {

struct Workload {
    const char* name;
    std::string text;
    int level;  // 0 = L, 1 = M, 2 = Q, 3 = H
};

std::string mixedText(size_t length) {
    static const char kSample[] = "Merovask 2026: QR codes for https://example.org/path?q=42 & more, 0123456789 ABC xyz. ";
    std::string out;
    while (out.size() < length) out += kSample;
    out.resize(length);
    return out;
}

const Workload& workload(int index) {
    static const Workload kWorkloads[] = {
        {"url24_M", "https://example.org/a1b2", 1},
        {"mixed500_Q", mixedText(500), 2},
        {"lower2900_L", std::string(2900, 'q'), 0},
        {"digits300_H", [] { std::string s; for (int i = 0; i < 300; ++i) s += static_cast<char>('0' + (i * 7) % 10); return s; }(), 3},
        // UTF-8 Chinese: byte pairs in the Shift JIS kanji range throughout, all in byte mode.
        {"chinese_utf8_600_M", [] { std::string s; while (s.size() < 600) s += "同名后向南，二维码测试。"; return s; }(), 1},
    };
    return kWorkloads[index];
}

constexpr QRecLevel kQrencodeLevels[4] = {QR_ECLEVEL_L, QR_ECLEVEL_M, QR_ECLEVEL_Q, QR_ECLEVEL_H};

void BM_Merovask(benchmark::State& state) {
    const Workload& w = workload(static_cast<int>(state.range(0)));
    state.SetLabel(w.name);
    auto encoder = std::make_unique<CQREncoder>();
    const auto* bytes = reinterpret_cast<const unsigned char*>(w.text.data());
    const int length = static_cast<int>(w.text.size());
    if (!encoder->encode(w.level, 0, 1, -1, bytes, length)) {
        state.SkipWithError("our encoder failed");
        return;
    }
    const int expectedVersion = encoder->version;
    for (auto _ : state) {
        if (!encoder->encode(w.level, 0, 1, -1, bytes, length) || encoder->version != expectedVersion) {
            state.SkipWithError("our encoder made another symbol");
            return;
        }
        benchmark::DoNotOptimize(encoder->modules[0][0]);
    }
    state.counters["version"] = encoder->version;
}

void BM_Qrencode(benchmark::State& state) {
    const Workload& w = workload(static_cast<int>(state.range(0)));
    state.SetLabel(w.name);
    int version = 0;
    for (auto _ : state) {
        QRcode* code = QRcode_encodeString(w.text.c_str(), 0, kQrencodeLevels[w.level], QR_MODE_8, 1);
        const int made = code ? code->version : -1;
        QRcode_free(code);
        if (made <= 0 || (version != 0 && made != version)) {
            state.SkipWithError("libqrencode failed or made another symbol");
            return;
        }
        version = made;
    }
    state.counters["version"] = version;
}

BENCHMARK(BM_Merovask)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Qrencode)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
