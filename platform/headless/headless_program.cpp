#include "platform/headless/headless_program.h"

#include "base/runtime_error.h"

namespace nyamo {

HeadlessProgram::HeadlessProgram(HeadlessWorld& world, std::string command_line, std::string settings_folder)
    : platform(world), app(platform.roles()) {
    platform.set_command_line(std::move(command_line));
    platform.set_settings_folder(std::move(settings_folder));
}

std::optional<MainOutcome> HeadlessProgram::Start() {
    std::optional<MainOutcome> outcome;
    Deliver([&] { outcome = Main(app); });
    if (outcome == MainOutcome::AnotherInstance || outcome == MainOutcome::Ignored) exit_status_ = 0;
    return outcome;
}

template <typename Handler>
void HeadlessProgram::Deliver(Handler handler) {
    if (!running()) return;
    try {
        handler();
    } catch (const RunTimeError& error) {
        exit_status_ = error.exit_status();
        return;
    }
    EndIfNoWindow();
}

void HeadlessProgram::EndIfNoWindow() {
    platform.NoticeDestroyedWindows();
    if (!platform.AnyWindowLoaded()) exit_status_ = 0;
}

void HeadlessProgram::Tick() {
    if (platform.saver().loaded) Deliver([&] { Timer1_Timer(app); });
}

void HeadlessProgram::Click() {
    if (platform.saver().loaded) Deliver([&] { Form_Click(app); });
}

void HeadlessProgram::Key(std::int32_t key_code) {
    if (platform.saver().loaded && platform.saver().sink_focused) Deliver([&] { picfocus_KeyDown(app, key_code, 0); });
}

void HeadlessProgram::ClickButton(std::int16_t index) {
    if (platform.dialog().shown) Deliver([&] { But_Click(app, index); });
}

void HeadlessProgram::MoveScrollBar(std::int16_t index, std::int16_t value) {
    if (!platform.dialog().shown) return;
    const Control bar = index == 0 ? Control::HScroll0 : Control::HScroll1;
    if (platform.ScrollValue(bar) == value) return;
    platform.SetScrollValue(bar, value);
    Deliver([&] { HScroll1_Change(app, index); });
}

void HeadlessProgram::SelectOption(std::int16_t index) {
    if (platform.dialog().shown) platform.SetOptionSelected(index == 0 ? Control::Opt0 : Control::Opt1);
}

void HeadlessProgram::CloseBox() {
    if (!running()) return;
    platform.CloseDialogFromTitleBar();
    EndIfNoWindow();
}

void HeadlessProgram::DestroyHost(WindowHandle host) {
    platform.world().DestroyWindow(host);
    if (running()) EndIfNoWindow();
}

}  // namespace nyamo
