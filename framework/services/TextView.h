#pragma once

#include "framework/Colour.h"
#include "framework/PointerArray.h"
#include "framework/String.h"
#include "framework/Window.h"

#include <optional>

namespace framework {

// A read-only, append-only text window: lines in one font on a character grid, both scroll bars,
// keyboard scrolling, a line capacity after which the oldest line is dropped, and a follow mode
// that keeps the newest line in sight until the user scrolls away.
//
// Window thread only.
class TextView : public Window {
public:
    static constexpr int TabWidth = 16;
    static constexpr int FontCommand = 999;

    TextView(Window* parent, Layout* layout, DWORD style, int32_t capacity, bool newestOnTop);
    ~TextView() override;

    // Appends text that may hold several lines separated by line feeds.
    void AppendText(const char* text);
    void Clear();
    // Uses another font: the cell is measured again and the view redrawn.
    void SetViewFont(Font* newFont, bool owns);
    // The margin around the text, painted in the focus-frame colour while the view has the focus.
    void SetMargin(int pixels);
    void SetColours(std::optional<Colour> focusFrame, std::optional<Colour> background,
                    std::optional<Colour> text);

    int32_t LineCount() const { return lines.Count(); }
    const String& Line(int32_t index) const { return *lines.Get<String>(index); }
    int32_t Capacity() const { return capacity; }
    int32_t FirstLine() const { return firstLine; }
    int32_t FirstColumn() const { return firstColumn; }
    int32_t WidestLine() const { return widestLine; }
    bool IsFollowing() const { return following; }
    int CellWidth() const { return cellWidth; }
    int CellHeight() const { return cellHeight; }

    LRESULT OnPaintDefault(MessageRecord& record) override;
    LRESULT OnKeyDown(MessageRecord& record) override;
    LRESULT OnFocus(MessageRecord& record) override;
    LRESULT OnButtonDown(MessageRecord& record) override;
    LRESULT OnSize(MessageRecord& record) override;
    LRESULT OnContextMenu(MessageRecord& record) override;
    LRESULT OnEraseBkgnd(MessageRecord& record) override { return 1; } // painting covers every pixel
    LRESULT OnMessage(MessageRecord& record) override;

    // The scroll handlers the bars report to.
    void OnVerticalMove(int32_t from, int32_t to);
    void OnHorizontalMove(int32_t from, int32_t to);

protected:
    // Opens the font chooser on the view's font; the context menu's "&Font" item lands here.
    virtual void ChooseFont();

private:
    void MeasureCell();
    void LayOut();
    int Rows() const;
    RECT TextArea() const;
    COLORREF Resolved(const std::optional<Colour>& colour, int systemColour) const;

    int32_t capacity;
    int32_t firstLine = 0;
    int32_t firstColumn = 0;
    int32_t widestLine = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    bool lastLineOpen = false;
    bool layoutGuard = false;
    bool following = true;
    bool newestOnTop;
    int margin = 0;
    std::optional<Colour> focusFrameColour;
    std::optional<Colour> backgroundColour;
    std::optional<Colour> textColour;
    PointerArray lines;
};

} // namespace framework
