// The headless program: what a process does with the core, driven by hand.
// Start() runs Main; the event methods deliver one event each, as a message
// loop would; the program has ended when no window of it remains, or when a
// run-time error ended it (exit_status() then holds the error's number).
#pragma once

#include <optional>
#include <string>

#include "core/app.h"
#include "app/main.h"
#include "platform/headless/headless_platform.h"

namespace nyamo {

class HeadlessProgram {
public:
    explicit HeadlessProgram(HeadlessWorld& world, std::string command_line = "", std::string settings_folder = ".");

    // Run Main. Returns its outcome, or nothing when a run-time error ended it.
    std::optional<MainOutcome> Start();

    void Tick();                     // the saver's timer fires
    void Click();                    // a click on the saver window
    void Key(std::int32_t key_code);  // a key press in the saver's focus sink
    void ClickButton(std::int16_t index);
    // The user moves a scroll bar to value (arrow, track or end of a drag).
    void MoveScrollBar(std::int16_t index, std::int16_t value);
    void SelectOption(std::int16_t index);
    void CloseBox();
    // The host window of the preview is destroyed by its owner.
    void DestroyHost(WindowHandle host);

    bool running() const { return !exit_status_.has_value(); }
    std::optional<int> exit_status() const { return exit_status_; }

    HeadlessPlatform platform;
    App app;

private:
    template <typename Handler>
    void Deliver(Handler handler);
    void EndIfNoWindow();

    std::optional<int> exit_status_;
};

}  // namespace nyamo
