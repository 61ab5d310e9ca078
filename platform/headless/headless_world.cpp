#include "platform/headless/headless_world.h"

#include <vector>

namespace nyamo {

HeadlessWorld::HeadlessWorld(std::int32_t screen_width, std::int32_t screen_height, float twips_per_pixel) {
    SetScreen(screen_width, screen_height, twips_per_pixel);
}

void HeadlessWorld::SetScreen(std::int32_t width, std::int32_t height, float twips_per_pixel) {
    screen_width_ = width;
    screen_height_ = height;
    twips_per_pixel_ = twips_per_pixel;
    desktop_ = PixelBuffer(width, height);
}

WindowHandle HeadlessWorld::CreateWindow(std::string caption, Rect rect, WindowHandle parent) {
    const WindowHandle handle = next_handle_;
    next_handle_ += 4;
    windows_[handle] = HeadlessWindow{std::move(caption), rect, parent};
    return handle;
}

void HeadlessWorld::DestroyWindow(WindowHandle window) {
    if (windows_.erase(window) == 0) return;
    std::vector<WindowHandle> children;
    for (const auto& [handle, record] : windows_)
        if (record.parent == window) children.push_back(handle);
    for (WindowHandle child : children) DestroyWindow(child);
}

const HeadlessWindow* HeadlessWorld::Find(WindowHandle window) const {
    const auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

WindowHandle HeadlessWorld::FindTopLevel(std::string_view caption) const {
    for (const auto& [handle, record] : windows_)
        if (record.parent == 0 && record.caption == caption) return handle;
    return 0;
}

void HeadlessWorld::SetCaption(WindowHandle window, std::string caption) {
    if (auto it = windows_.find(window); it != windows_.end()) it->second.caption = std::move(caption);
}

void HeadlessWorld::Reparent(WindowHandle window, WindowHandle parent) {
    if (auto it = windows_.find(window); it != windows_.end()) it->second.parent = parent;
}

}  // namespace nyamo
