#pragma once

#include "framework/Window.h"

namespace framework {

// A bordered progress bar: blue on black, the percentage written in its middle. It repaints only
// when the percentage crosses a whole step, so callers may report progress as often as they like.
//
// Window thread only.
class ProgressMeter : public Window {
public:
    ProgressMeter(Window* parent, Layout* layout, DWORD style, int step);
    ~ProgressMeter() override;

    void SetProgress(double total, double done);
    void SetDone(double done) { SetProgress(range.total, done); }
    double Percent() const { return percent; }

    LRESULT OnPaintDefault(MessageRecord& record) override;

private:
    struct Range {
        double total = 1.0;
        double done = 0.0;
    };
    Range range;
    double percent = 0.0;
    int step;
};

} // namespace framework
