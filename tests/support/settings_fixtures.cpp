#include "tests/support/settings_fixtures.h"

#include <vector>

#include "settings/settings_stream.h"

namespace fixtures {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

std::string Int32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return Bytes({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24 & 0xFF)});
}

void FillRichSettings(AppSettings& s) {
    s.intervalUnit = 2;
    s.intervalValue = 45;
    s.randomOrder = 1;
    s.rotationPosition = 3;
    s.pauseAfterBossKey = 0;
    s.rotationEnabled = 0;
    s.bossPicturePath = "C:\\boss\\表.jpg";
    s.bossHotkey = 0x047B;
    s.transparentLabelBackground = 1;
    s.smallIcons = 1;
    s.restoreIconLayoutAtStart = 1;
    s.saveIconLayoutAtExit = 1;
    const std::vector<std::size_t> pathLengths = {8, 254, 255, 65533, 65534, 70000};
    for (std::size_t i = 0; i < pathLengths.size(); ++i) {
        WallpaperEntry entry;
        entry.path = "C:\\" + std::string(pathLengths[i] - 3, static_cast<char>('a' + i));
        entry.displayMethod = static_cast<std::int32_t>(i % 3);
        entry.magnification = 25 + static_cast<std::int32_t>(i) * 50;
        entry.transparency = -static_cast<std::int32_t>(i);
        entry.reserved1 = static_cast<std::int32_t>(i) + 100;
        entry.reserved2 = static_cast<std::int32_t>(i) + 200;
        s.imageList.push_back(std::move(entry));
    }
    s.iconLayout.Insert({10, 20, "abc"});
    s.iconLayout.Insert({-5, 70000, "ごみ箱"});
    s.iconLayout.Insert({1, 2, "a"});
    s.iconLayout.Insert({3, 4, "r"});  // same bucket as "a"
    s.iconLayout.Insert({0, 0, std::string(300, 'n')});
}

std::string Serialized(AppSettings& settings) {
    MemorySink sink;
    WriteSettings(settings, sink);
    return sink.Bytes();
}

bool SameSettings(const AppSettings& a, const AppSettings& b) {
    if (a.intervalUnit != b.intervalUnit || a.intervalValue != b.intervalValue ||
        a.randomOrder != b.randomOrder || a.rotationPosition != b.rotationPosition ||
        a.pauseAfterBossKey != b.pauseAfterBossKey || a.rotationEnabled != b.rotationEnabled ||
        a.bossPicturePath != b.bossPicturePath || a.bossHotkey != b.bossHotkey ||
        a.transparentLabelBackground != b.transparentLabelBackground || a.smallIcons != b.smallIcons ||
        a.restoreIconLayoutAtStart != b.restoreIconLayoutAtStart ||
        a.saveIconLayoutAtExit != b.saveIconLayoutAtExit || a.iconsHidden != b.iconsHidden ||
        a.imageList.size() != b.imageList.size() || a.iconLayout.Size() != b.iconLayout.Size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.imageList.size(); ++i) {
        const auto& x = a.imageList[i];
        const auto& y = b.imageList[i];
        if (x.path != y.path || x.displayMethod != y.displayMethod || x.magnification != y.magnification ||
            x.transparency != y.transparency || x.reserved1 != y.reserved1 || x.reserved2 != y.reserved2) {
            return false;
        }
    }
    // Loading inserts records in file order, which reverses each chain, so
    // the layouts are compared as maps here and their order is tested apart.
    bool sameLayout = true;
    a.iconLayout.ForEach([&](const IconPosition& p) {
        const IconPosition* q = b.iconLayout.Find(p.name);
        sameLayout = sameLayout && q && q->x == p.x && q->y == p.y;
    });
    if (!sameLayout) return false;
    return true;
}

}  // namespace fixtures
