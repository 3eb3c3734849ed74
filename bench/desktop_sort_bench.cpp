// Sorting 10,000 desktop icons with the shell-side comparison: each
// comparison looks both texts up in the table, as the list view's sort does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hook/desktop_item_order.h"

namespace {

constexpr int kItems = 10000;

void BM_SortDesktopItems(benchmark::State& state) {
    const auto kind = static_cast<std::uint32_t>(state.range(0));
    DesktopItemTable table;
    std::vector<std::string> texts;
    std::uint32_t seed = 1;
    for (int i = 0; i < kItems; ++i) {
        seed = seed * 214013 + 2531011;
        DesktopItemInfo info;
        info.displayName = "Document " + std::to_string(seed >> 8);
        info.parsingName = "C:\\Users\\me\\Desktop\\" + info.displayName + ".txt";
        info.typeName = (seed & 1) ? "Text Document" : "Folder";
        info.sizeLow = seed;
        info.writeTimeHigh = seed >> 4;
        info.group = desktop_group::kUserDesktop | ((seed & 1) ? desktop_group::kFile : desktop_group::kFolder);
        texts.push_back(info.displayName);
        table.Add(std::move(info));
    }
    for (auto _ : state) {
        std::vector<std::string> order = texts;
        std::sort(order.begin(), order.end(), [&](const std::string& a, const std::string& b) {
            return CompareDesktopItems(table.Find(a), table.Find(b), a, b, kind) < 0;
        });
        benchmark::DoNotOptimize(order.data());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

}  // namespace

BENCHMARK(BM_SortDesktopItems)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);
