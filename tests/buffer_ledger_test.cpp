// The account of the Wayland buffers (BufferLedger) run against pixels: a
// picture that changes where kittens walk, two buffers that are drawn only
// when the server does not hold them, and the server's own copy, which
// takes only the damaged boxes of each hand-over. Whatever the server holds
// back, every hand-over must show the picture exactly.
#include "platform/common/buffer_ledger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace nyamo {
namespace {

struct Pixels {
    std::int32_t width, height;
    std::vector<std::uint32_t> v = std::vector<std::uint32_t>(static_cast<std::size_t>(width * height));
    template <class Set>
    void Each(const Rect& r, Set set) {
        for (std::int32_t y = r.top; y < r.bottom; ++y)
            for (std::int32_t x = r.left; x < r.right; ++x) set(v[static_cast<std::size_t>(y * width + x)], y * width + x);
    }
    void Fill(const Rect& r, std::uint32_t value) { Each(r, [&](std::uint32_t& p, std::int32_t) { p = value; }); }
    void CopyFrom(const Pixels& from, const Rect& r) {
        Each(r, [&](std::uint32_t& p, std::int32_t i) { p = from.v[static_cast<std::size_t>(i)]; });
    }
};

// Kittens' boxes that move a few pixels a tick: each tick damages where a
// box was and where it is now, as the core's damage does.
struct Walk {
    std::mt19937 random;
    std::int32_t width, height, size;
    std::vector<Rect> boxes;
    Walk(std::uint32_t seed, std::int32_t w, std::int32_t h, std::int32_t s, int count)
        : random(seed), width(w), height(h), size(s) {
        for (int i = 0; i < count; ++i) {
            const auto x = static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(w - s));
            const auto y = static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(h - s));
            boxes.push_back({x, y, x + s, y + s});
        }
    }
    std::vector<Rect> Step() {
        std::vector<Rect> damage;
        for (Rect& b : boxes) {
            damage.push_back(b);
            const auto step = static_cast<std::int32_t>(2 + random() % 4);
            b = b.right + step > width ? Rect{0, b.top, size, b.bottom} : Rect{b.left + step, b.top, b.right + step, b.bottom};
            damage.push_back(b);
        }
        return damage;
    }
};

TEST(BufferLedger, EveryHandOverShowsThePictureWhateverTheServerHoldsBack) {
    // late: ticks the frame callback takes; keep: the server holds the
    // buffer shown until the next hand-over (sway) or gives it back at once.
    constexpr std::int32_t kW = 320, kH = 240;
    for (const int late : {0, 1, 3, 11, 20})
        for (const bool keep : {true, false}) {
            SCOPED_TRACE(testing::Message() << late << " ticks late, shown buffer kept " << keep);
            BufferLedger ledger;
            ledger.Reset(kW, kH);
            Pixels picture{kW, kH}, server{kW, kH};
            std::array<Pixels, BufferLedger::kBuffers> buffers{Pixels{kW, kH}, Pixels{kW, kH}};
            Walk walk(static_cast<std::uint32_t>(late), kW, kH, 20, 50);
            int done_at = -1, hand_overs = 0;
            for (int tick = 1; tick <= 120; ++tick) {
                if (tick == done_at) ledger.FrameDone();
                const std::size_t d = ledger.Draw();
                ASSERT_NE(d, BufferLedger::kNone);
                ASSERT_FALSE(ledger.held(d));
                const auto value = static_cast<std::uint32_t>(tick);
                const std::vector<Rect> damage = tick == 1 ? std::vector<Rect>{{0, 0, kW, kH}} : walk.Step();
                for (const Rect& r : damage) picture.Fill(r, value), buffers[d].Fill(r, value);
                for (const Rect& r : ledger.TakeCatchUp(damage)) buffers[d].CopyFrom(buffers[ledger.source()], r);
                ledger.Drawn(damage);
                ASSERT_EQ(buffers[d].v, picture.v) << "tick " << tick;
                if (!ledger.CanHandOver()) continue;
                const std::size_t before = ledger.source();
                const auto boxes = ledger.HandOver(static_cast<std::uint64_t>(tick));
                EXPECT_LE(boxes.size(), BufferLedger::kMostDamageBoxes);
                for (const Rect& r : boxes) server.CopyFrom(buffers[d], r);
                ASSERT_EQ(server.v, picture.v) << "tick " << tick;
                if (before != BufferLedger::kNone && before != d) ledger.Released(before);
                if (!keep) ledger.Released(d);
                done_at = tick + late + 1;
                ++hand_overs;
            }
            EXPECT_GE(hand_overs, 120 / (late + 2));
        }
}

TEST(BufferLedger, AFrameHeldBackCopiesAboutTheDamageNeverTheScreen) {
    // 50 kittens at 4K, the frame callback 3, 11 and 30 ticks late: what the
    // second buffer then copies stays near the exact union of the damage.
    constexpr std::int32_t kW = 3840, kH = 2160;
    for (const int late : {3, 11, 30}) {
        BufferLedger ledger;
        ledger.Reset(kW, kH);
        Walk walk(7, kW, kH, 75, 50);
        Pixels lacked{kW, kH};  // 1 where the second buffer lacks the picture
        const std::vector<Rect> whole{{0, 0, kW, kH}};
        ledger.Draw();
        ledger.Drawn(whole);
        ledger.HandOver(0);
        ledger.Draw();  // the second buffer; the first is held
        ledger.TakeCatchUp(whole);
        for (int tick = 0; tick <= late; ++tick) {
            const std::vector<Rect> damage = walk.Step();
            for (const Rect& r : damage) lacked.Fill(r, 1);
            ledger.Drawn(damage);
        }
        ledger.FrameDone();
        ledger.HandOver(1);
        ledger.Released(0);
        ASSERT_EQ(ledger.Draw(), 0u);
        const std::int64_t exact = std::count(lacked.v.begin(), lacked.v.end(), 1u);
        std::int64_t copied = 0;
        for (const Rect& r : ledger.TakeCatchUp({})) {
            EXPECT_FALSE(r == (Rect{0, 0, kW, kH}));
            copied += r.area();
        }
        EXPECT_GE(copied, exact) << late;
        EXPECT_LE(copied, 3 * exact / 2) << late << " ticks late: " << copied << " pixels copied, " << exact
                                         << " needed";
    }
}

}  // namespace
}  // namespace nyamo
