#include "platform/common/buffer_ledger.h"

#include <algorithm>

namespace nyamo {

bool RectList::Add(const Rect& rect) {
    if (rect.empty()) return true;
    if (rects_.size() == kCapacity) return false;
    rects_.push_back(rect);  // within the reserved capacity: no allocation
    return true;
}

void RectList::Replace(std::span<const Rect> rects) {
    rects_.clear();
    for (const Rect& r : rects.first(std::min(rects.size(), kCapacity))) rects_.push_back(r);
}

BufferLedger::BufferLedger() {
    for (auto* rects : {&pieces_, &left_, &next_}) rects->reserve(kPreparedPieces);
}

void BufferLedger::Reset(std::int32_t width, std::int32_t height) {
    count_ = width > 0 && height > 0 ? kBuffers : 0;
    width_ = width;
    height_ = height;
    for (Buffer& b : buffers_) {
        b.held = false;
        b.lacks.Clear();
    }
    drawing_ = shown_ = kNone;
    fresh_.Clear();
    waiting_ = false;
}

std::size_t BufferLedger::Draw() {
    if (drawing_ != kNone) return drawing_;
    // The buffer shown last lacks nothing, where the server gave it back
    // already; most servers hold it until the next hand-over, and then any
    // other free one will do.
    if (shown_ != kNone && !buffers_[shown_].held) return drawing_ = shown_;
    for (std::size_t i = 0; i < count_; ++i)
        if (!buffers_[i].held) return drawing_ = i;
    return kNone;
}

bool BufferLedger::CanDraw() const {
    if (drawing_ != kNone) return true;
    for (std::size_t i = 0; i < count_; ++i)
        if (!buffers_[i].held) return true;
    return false;
}

void BufferLedger::AppendUncovered(const Rect& box, std::span<const Rect> cut) {
    left_.clear();
    left_.push_back(box);
    for (const Rect& c : cut) {
        next_.clear();
        for (const Rect& p : left_) {
            if (!Overlap(p, c)) {
                next_.push_back(p);
                continue;
            }
            // Above, below, and left and right of c within p's band.
            const std::int32_t top = std::max(p.top, c.top), bottom = std::min(p.bottom, c.bottom);
            for (const Rect& piece : {Rect{p.left, p.top, p.right, top}, Rect{p.left, bottom, p.right, p.bottom},
                                      Rect{p.left, top, std::min(c.left, p.right), bottom},
                                      Rect{std::max(c.right, p.left), top, p.right, bottom}})
                if (!piece.empty()) next_.push_back(piece);
        }
        left_.swap(next_);
        if (left_.empty()) return;
    }
    pieces_.insert(pieces_.end(), left_.begin(), left_.end());
}

std::span<const Rect> BufferLedger::TakeCatchUp(std::span<const Rect> drawn) {
    pieces_.clear();
    if (drawing_ == kNone) return pieces_;
    // What a buffer lacks is the last frames' damage, which overlaps where a
    // kitten moved a step: joined where that copies no extra pixel, the
    // overlap is copied once.
    RectList& lacks = buffers_[drawing_].lacks;
    for (const Rect& box : copies_.Group(lacks.rects(), 0)) AppendUncovered(box, drawn);
    lacks.Clear();
    return pieces_;
}

Rect BufferLedger::Clip(const Rect& r) const {
    return Rect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width_), std::min(r.bottom, height_)};
}

void BufferLedger::Note(RectList& list, const Rect& rect) {
    if (list.Add(rect)) return;
    // Full after many frames held back: joined into a quarter as many boxes,
    // the joins that cost the fewest extra pixels first.
    list.Replace(compact_.Group(list.rects(), 0, RectList::kCapacity / 4));
    list.Add(rect);
}

void BufferLedger::Drawn(std::span<const Rect> areas) {
    for (const Rect& area : areas) {
        const Rect r = Clip(area);
        if (r.empty()) continue;
        Note(fresh_, r);
        for (std::size_t i = 0; i < count_; ++i)
            if (i != drawing_) Note(buffers_[i].lacks, r);
    }
}

bool BufferLedger::CanHandOver() const { return drawing_ != kNone && !fresh_.empty() && !waiting_; }

std::span<const Rect> BufferLedger::HandOver(std::uint64_t now) {
    const std::span<const Rect> boxes = damage_.Group(fresh_.rects(), 0, kMostDamageBoxes);
    fresh_.Clear();
    buffers_[drawing_].held = true;
    shown_ = drawing_;
    drawing_ = kNone;
    waiting_ = true;
    handed_at_ = now;
    return boxes;
}

void BufferLedger::Released(std::size_t buffer) {
    if (buffer < count_) buffers_[buffer].held = false;
}

}  // namespace nyamo
