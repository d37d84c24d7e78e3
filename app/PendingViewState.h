#pragma once

#include "engine/LinkView.h"
#include "framework/String.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

namespace app {

// The status window's state as the poll thread last set it and the window thread has not yet
// shown: caption, status line, progress, lamps, and whether the progress dialogs are to hide and
// the transfer buttons to come back. A later value replaces an earlier one of its kind, so the
// poll thread never waits for the window thread to draw, and the window thread draws each kind
// once however many lines went by meanwhile. Any thread may set; the window thread takes.
class PendingViewState {
public:
    using Lamp = engine::LinkView::Lamp;

    struct Changes {
        std::optional<framework::String> caption;
        std::optional<framework::String> statusText;
        std::optional<int32_t> progressTotal; // with progressDone: a new total
        std::optional<int32_t> progressDone;
        std::array<std::optional<bool>, static_cast<size_t>(Lamp::Count)> lamps{};
        bool hidesProgressDialogs = false;
        bool enablesTransferButtons = false;
    };

    // Each returns true when the change is the first since the last Take, that is when the
    // window thread has yet to be told.
    bool SetCaption(const char* text);
    bool SetStatusText(const char* text);
    bool SetProgress(int32_t total, int32_t done);
    bool SetProgressDone(int32_t done);
    bool SetLamp(Lamp lamp, bool isOn);
    bool HideProgressDialogs();
    bool EnableTransferButtons();

    // Everything set since the last Take, in one piece; empty afterwards.
    Changes Take();
    // Nothing set since the last Take.
    bool IsEmpty();

private:
    template <class Change> bool Set(Change change);

    std::mutex mutex;
    Changes changes;
    bool isEmpty = true;
};

} // namespace app
