#include "app/PendingViewState.h"

#include <utility>

namespace app {

template <class Change> bool PendingViewState::Set(Change change) {
    std::lock_guard lock(mutex);
    change(changes);
    return std::exchange(isEmpty, false);
}

bool PendingViewState::SetCaption(const char* text) {
    return Set([&](Changes& state) { state.caption = framework::String(text); });
}

bool PendingViewState::SetStatusText(const char* text) {
    return Set([&](Changes& state) { state.statusText = framework::String(text); });
}

bool PendingViewState::SetProgress(int32_t total, int32_t done) {
    return Set([&](Changes& state) {
        state.progressTotal = total;
        state.progressDone = done;
    });
}

bool PendingViewState::SetProgressDone(int32_t done) {
    // A total set earlier in the same batch stays, with the newer done value.
    return Set([&](Changes& state) { state.progressDone = done; });
}

bool PendingViewState::SetLamp(Lamp lamp, bool isOn) {
    return Set([&](Changes& state) { state.lamps[static_cast<size_t>(lamp)] = isOn; });
}

bool PendingViewState::HideProgressDialogs() {
    return Set([](Changes& state) { state.hidesProgressDialogs = true; });
}

bool PendingViewState::EnableTransferButtons() {
    return Set([](Changes& state) { state.enablesTransferButtons = true; });
}

PendingViewState::Changes PendingViewState::Take() {
    std::lock_guard lock(mutex);
    isEmpty = true;
    return std::exchange(changes, Changes{});
}

bool PendingViewState::IsEmpty() {
    std::lock_guard lock(mutex);
    return isEmpty;
}

} // namespace app
