#include "framework/services/MessageBoxes.h"

#include "framework/Application.h"
#include "framework/String.h"
#include "framework/Window.h"
#include "framework/services/FrameworkTexts.h"
#include "framework/services/MessageBoxDialog.h"

#include <cstdarg>
#include <cstdio>

namespace framework {

namespace {

constexpr int32_t OkText = 47;
constexpr int32_t YesText = 66;
constexpr int32_t InformationCaption = 1041;
constexpr size_t InfoTextSize = 1024;

// Boxes whose buttons include OK: bit 2 clear and not both low bits set.
bool HasOkButton(uint32_t type) {
    return (type & 4) == 0 && (type & 3) != 3;
}

HWND MainWindowHandle(Application* application) {
    Window* main = application ? application->MainWindow() : nullptr;
    return main ? main->Handle() : nullptr;
}

// Shows the system's box with the application's windows disabled and the arrow cursor up, then
// puts both back and returns the focus to the window that had it.
int RunSystemBox(HWND owner, const char* text, const char* caption, uint32_t type) {
    Application* application = Application::Instance();
    HWND focus = GetFocus();
    if (application != nullptr) {
        application->DisableWindows();
        application->SuspendWaitCursor();
    }
    const int answer = MessageBoxExA(owner, text, caption, type, 0);
    if (application != nullptr) {
        application->RestoreWaitCursor();
        application->EnableWindows();
    }
    if (focus != nullptr && IsWindow(focus)) {
        SetFocus(focus);
    }
    return answer;
}

// The syslog level a box's icon stands for: a stop sign is an error, an exclamation mark a
// warning, a question a notice, an "i" information; a box without an icon is a notice.
int SyslogLevelOf(uint32_t type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return 3;
    case MB_ICONEXCLAMATION:
        return 4;
    case MB_ICONINFORMATION:
        return 6;
    default:
        return 5;
    }
}

// Without an application nobody has said that a screen exists to show a box on, and a box that
// nobody sees would stop the caller for good; the line goes to standard error instead. The line
// ends the box: a reader of the stream, the journal of a service above all, takes a line only
// once its end has come, and the last box must not wait there for the next one.
void WriteUnattended(Application* application, const char* caption, const char* text, const char* answerWord,
                     uint32_t type) {
    String line;
    line.Format("%s: %s", caption, text).AppendFormat(" (%s)\n", answerWord);
    if (application != nullptr) {
        application->Log(SyslogLevelOf(type), "%s", line.CStr());
    } else {
        std::fputs(line.CStr(), stderr);
        std::fflush(stderr);
    }
}

} // namespace

MessageBoxResult ShowMessage(Window* owner, const char* text, const char* caption, uint32_t type,
                             bool useOwnBox) {
    MessageBoxResult result;
    text = text ? text : "";
    caption = caption ? caption : "";
    Application* application = Application::Instance();
    if (application == nullptr || application->IsUnattended()) {
        if (HasOkButton(type)) {
            WriteUnattended(application, caption, text, FrameworkText(OkText), type);
            result.answer = IDOK;
        } else {
            WriteUnattended(application, caption, text, FrameworkText(YesText), type);
        }
        return result;
    }
    if (useOwnBox) {
        MessageBoxDialog box(owner, text, caption, type);
        box.Create(true);
        return box.Result();
    }
    HWND ownerHandle = owner ? owner->Handle() : MainWindowHandle(application);
    result.answer = RunSystemBox(ownerHandle, text, caption, type);
    return result;
}

MessageBoxResult ShowInfo(const char* format, ...) {
    char text[InfoTextSize] = {};
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);

    MessageBoxResult result;
    Application* application = Application::Instance();
    if (application == nullptr || application->IsUnattended()) {
        WriteUnattended(application, FrameworkText(InformationCaption), text, FrameworkText(OkText),
                        MB_ICONINFORMATION);
        result.answer = IDOK;
        return result;
    }
    result.answer = RunSystemBox(MainWindowHandle(application), text, FrameworkText(InformationCaption),
                                 MB_ICONINFORMATION);
    return result;
}

} // namespace framework
