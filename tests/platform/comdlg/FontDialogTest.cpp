#include "platform/comdlg/FontDialog.h"

#include "platform/Windows.h"
#include "platform/gdi/FontFamilies.h"
#include "support/ControlSupport.h"
#include "support/InsideTheLoop.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testhooks::FindControl;
using testhooks::FindWindowByCaption;
using testhooks::PressKey;
using testhooks::WindowText;

using testsupport::SoonInsideTheLoop;

struct Enumerated {
    std::string face;
    std::string style;
    BYTE pitchAndFamily;
    LONG weight;
    DWORD type;
};

int Collect(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM lParam) {
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXA*>(font);
    auto* found = reinterpret_cast<std::vector<Enumerated>*>(lParam);
    found->push_back({font->lfFaceName, reinterpret_cast<const char*>(full->elfStyle), font->lfPitchAndFamily,
                      metrics->tmWeight, type});
    return found->size() < 1000 ? 1 : 0;
}

std::vector<Enumerated> Enumerate(const char* face, BYTE charSet = DEFAULT_CHARSET, int* answer = nullptr) {
    std::vector<Enumerated> found;
    LOGFONTA query{};
    query.lfCharSet = charSet;
    std::strcpy(query.lfFaceName, face);
    const int result = EnumFontFamiliesExA(nullptr, &query, Collect, reinterpret_cast<LPARAM>(&found), 0);
    if (answer != nullptr) {
        *answer = result;
    }
    return found;
}

int StopAtOnce(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    return 0;
}

TEST(GdiFontFamilies, FamiliesAreListedOnceAndStylesPerFamily) {
    const std::vector<Enumerated> families = Enumerate("");
    const auto count = std::count_if(families.begin(), families.end(), [](const Enumerated& family) {
        return family.face == "Liberation Sans";
    });
    EXPECT_EQ(count, 1) << "one entry per family";
    const auto sans = std::find_if(families.begin(), families.end(),
                                   [](const Enumerated& family) { return family.face == "Liberation Sans"; });
    ASSERT_NE(sans, families.end());
    EXPECT_EQ(sans->style, "Regular") << "a family is shown through its regular face";
    EXPECT_EQ(sans->weight, FW_NORMAL);
    EXPECT_EQ(sans->type, TRUETYPE_FONTTYPE);

    const std::vector<Enumerated> mono = Enumerate("Liberation Mono");
    std::vector<std::string> monoStyles;
    for (const Enumerated& face : mono) {
        EXPECT_EQ(face.face, "Liberation Mono");
        EXPECT_EQ(face.pitchAndFamily, FIXED_PITCH | FF_MODERN) << face.style;
        monoStyles.push_back(face.style);
    }
    std::sort(monoStyles.begin(), monoStyles.end());
    EXPECT_EQ(monoStyles, (std::vector<std::string>{"Bold", "Bold Italic", "Italic", "Regular"}));

    int answer = -1;
    EXPECT_TRUE(Enumerate("", SYMBOL_CHARSET, &answer).empty()) << "only the ANSI set is drawn";
    EXPECT_EQ(answer, 1);
    int calls = 0;
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    EXPECT_EQ(EnumFontFamiliesExA(nullptr, &query, StopAtOnce, reinterpret_cast<LPARAM>(&calls), 0), 0);
    EXPECT_EQ(calls, 1) << "answering 0 ends the enumeration";
}

// Clicks the row of a list box that shows the text.
void ClickRow(HWND list, const std::string& text) {
    const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_GE(index, 0) << text;
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT row{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
    testhooks::ClickAt(list, POINT{row.left + 5, (row.top + row.bottom) / 2});
}

std::string SelectedRow(HWND list) {
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index < 0) {
        return "<none>";
    }
    std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, index, 0)) + 1, '\0');
    text.resize(
        static_cast<size_t>(SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// The family the sample is drawn with.
std::string SampleFamily(HWND dialog) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(FindControl(dialog, stc5), WM_GETFONT, 0, 0));
    return platform::RealisedFontFamily(font);
}

class ComdlgFontDialog : public ::testing::Test {
protected:
    void SetUp() override {
        font.lfHeight = -11;
        font.lfWeight = FW_NORMAL;
        std::strcpy(font.lfFaceName, "Arial");
        record.lStructSize = sizeof record;
        record.lpLogFont = &font;
        record.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
        record.rgbColors = 0x000000;
    }
    void TearDown() override { testhooks::PumpMessages(); }
    static HWND Dialog() { return FindWindowByCaption("Font"); }

    testsupport::Watchdog watchdog{std::chrono::seconds(20)};
    LOGFONTA font{};
    CHOOSEFONTA record{};
};

TEST_F(ComdlgFontDialog, ChoosingFamilySizeBoldAndEffectsFillsTheLogFont) {
    SoonInsideTheLoop([] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        HWND families = FindControl(dialog, lst1);
        EXPECT_EQ(SelectedRow(families), "Liberation Sans") << "Arial starts on the face it is drawn with";
        EXPECT_EQ(SelectedRow(FindControl(dialog, lst2)), "Regular");
        EXPECT_EQ(WindowText(FindControl(dialog, edt3)), "8") << "-11 pixels are 8 points";
        EXPECT_EQ(SelectedRow(FindControl(dialog, lst3)), "8");
        EXPECT_EQ(WindowText(FindControl(dialog, stc5)), "AaBbYyZz");
        testsupport::ExpectTreeAndSnapshot(dialog, "ComdlgFontDialog");
        ClickRow(families, "Liberation Serif");
        EXPECT_EQ(SampleFamily(dialog), "Liberation Serif") << "the sample follows the family";
        ClickRow(FindControl(dialog, lst2), "Bold");
        ClickRow(FindControl(dialog, lst3), "14");
        EXPECT_EQ(WindowText(FindControl(dialog, edt3)), "14");
        testhooks::Click(FindControl(dialog, chx2));
        HWND colours = FindControl(dialog, cmb4);
        SetFocus(colours);
        for (int i = 0; i < 9; ++i) {
            PressKey(colours, VK_DOWN);
        }
        EXPECT_EQ(WindowText(colours), "Red");
        TEXTMETRICA metrics{};
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(
            dc, reinterpret_cast<HFONT>(SendMessageA(FindControl(dialog, stc5), WM_GETFONT, 0, 0)));
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        EXPECT_EQ(metrics.tmWeight, FW_BOLD) << "the sample is bold";
        EXPECT_TRUE(metrics.tmUnderlined);
        testsupport::ExpectTreeAndSnapshot(dialog, "ComdlgFontDialogChosen");
        PressKey(dialog, VK_RETURN);
    });
    ASSERT_TRUE(ChooseFontA(&record));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_STREQ(font.lfFaceName, "Liberation Serif");
    EXPECT_EQ(font.lfHeight, -19) << "14 points at 96 dpi, rounded";
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_EQ(font.lfStrikeOut, 0);
    EXPECT_EQ(font.lfPitchAndFamily & 0x03, VARIABLE_PITCH);
    EXPECT_EQ(record.iPointSize, 140);
    EXPECT_EQ(record.rgbColors, 0x0000FFu);
    EXPECT_EQ(record.nFontType, SCREEN_FONTTYPE | BOLD_FONTTYPE);
}

TEST_F(ComdlgFontDialog, CancelLeavesTheRecordAsItWas) {
    const LOGFONTA fontBefore = font;
    record.iPointSize = 77;
    const CHOOSEFONTA recordBefore = record;
    SoonInsideTheLoop([] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        ClickRow(FindControl(dialog, lst2), "Bold Italic");
        ClickRow(FindControl(dialog, lst3), "20");
        PressKey(dialog, VK_ESCAPE);
    });
    EXPECT_FALSE(ChooseFontA(&record));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(std::memcmp(&font, &fontBefore, sizeof font), 0);
    EXPECT_EQ(std::memcmp(&record, &recordBefore, sizeof record), 0);
}

TEST_F(ComdlgFontDialog, LimitedSizesAreOfferedAndEnforced) {
    record.Flags = CF_SCREENFONTS | CF_LIMITSIZE | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST;
    record.nSizeMin = 9;
    record.nSizeMax = 12;
    std::strcpy(font.lfFaceName, "Liberation Mono");
    font.lfItalic = 1;
    bool warned = false;
    SoonInsideTheLoop([&warned] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        HWND sizes = FindControl(dialog, lst3);
        EXPECT_EQ(SendMessageA(sizes, LB_GETCOUNT, 0, 0), 4) << "9, 10, 11 and 12";
        EXPECT_EQ(WindowText(FindControl(dialog, edt3)), "9") << "8 points are raised to the least size";
        EXPECT_EQ(SelectedRow(FindControl(dialog, lst2)), "Italic");
        EXPECT_FALSE(testhooks::IsShown(FindControl(dialog, chx1))) << "effects only with CF_EFFECTS";
        HWND edit = FindControl(dialog, edt3);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        testhooks::TypeText(edit, "20");
        testsupport::SoonOnWindow("Size must be between 9 and 12 points.", [&warned](HWND text) {
            warned = true;
            PressKey(GetParent(text), VK_RETURN);
        });
        PressKey(edit, VK_RETURN);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
        SendMessageA(edit, EM_SETSEL, 0, -1);
        testhooks::TypeText(edit, "11");
        EXPECT_EQ(SelectedRow(sizes), "11") << "a typed size selects its row";
        PressKey(edit, VK_RETURN);
    });
    ASSERT_TRUE(ChooseFontA(&record));
    EXPECT_TRUE(warned);
    EXPECT_EQ(record.iPointSize, 110);
    EXPECT_EQ(font.lfHeight, -15);
    EXPECT_STREQ(font.lfFaceName, "Liberation Mono");
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
    EXPECT_EQ(record.nFontType, SCREEN_FONTTYPE | ITALIC_FONTTYPE);
}

TEST_F(ComdlgFontDialog, BadRecordsFailWithTheirCodes) {
    record.lStructSize = 12;
    EXPECT_FALSE(ChooseFontA(&record));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
    record.lStructSize = sizeof record;
    record.Flags |= CF_LIMITSIZE;
    record.nSizeMin = 20;
    record.nSizeMax = 10;
    EXPECT_FALSE(ChooseFontA(&record));
    EXPECT_EQ(CommDlgExtendedError(), CFERR_MAXLESSTHANMIN);
    record.lpLogFont = nullptr;
    record.Flags = CF_SCREENFONTS;
    EXPECT_FALSE(ChooseFontA(&record));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
    EXPECT_EQ(Dialog(), nullptr);
}

} // namespace
