// The dialog in the desktop's language: Japanese for a Japanese one, English
// for every other. ctest runs this once in each (BRINDLE_EXPECT_UI: ja or en).
#include "app/Brindle.h"
#include "resource.h"
#include "TestSupport.h"
#include "RecordingBrindle.h"
#include "TagMenuTexts.h"
#include "ToolTipProbe.h"
#include "WindowProbes.h"
#include "shell/Holders.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <tuple>
#include <vector>

namespace {

bool JapaneseExpected()
{
    wchar_t expected[8] = {};
    GetEnvironmentVariableW(L"BRINDLE_EXPECT_UI", expected, 8);
    return std::wstring(expected) == L"ja";
}



TEST(UiLanguage, DialogMenuHintAndManualSpeakTheDesktopsLanguage)
{
    const bool japanese = JapaneseExpected();
    ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE, japanese);
    TempFolder folder;
    RecordingBrindle brindle(folder / L"brindle.dat");
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);

    EXPECT_EQ(WindowText(brindle.headButton->m_hWnd), japanese ? L"先頭" : L"&Start");
    EXPECT_EQ(WindowText(GetDlgItem(brindle.m_hWnd, IDC_EXIT)), japanese ? L"終了" : L"E&xit");
    EXPECT_EQ(ToolTipProbe(brindle.m_hToolTip).Text(),
              japanese ? L"ファイルをD&Dするとファイル名が変更されます" : L"Drop files or folders here to rename them");
    wchar_t item[64] = {};
    GetMenuStringW(brindle.tagMenu->SubMenu(0)->m_hMenu, 0, item, 64, MF_BYPOSITION);
    EXPECT_STREQ(item, japanese ? kJapaneseTagTexts[0] : kEnglishTagTexts[0]);

    SendMessageW(brindle.m_hWnd, WM_COMMAND, IDC_HELP_BUTTON, 0);
    const std::wstring page = japanese ? L"\\Manual\\index.html" : L"\\Manual\\en.html";
    ASSERT_EQ(brindle.opened.size(), 1u);
    ASSERT_GE(brindle.opened[0].size(), page.size());
    EXPECT_EQ(brindle.opened[0].substr(brindle.opened[0].size() - page.size()), page);
}

INT_PTR CALLBACK Plain(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Each control of the template in a language: id, class, style, place, text.
using Control = std::tuple<int, std::wstring, LONG, LONG, LONG, LONG, LONG, std::wstring>;
std::vector<Control> ControlsOf(LANGID language)
{
    std::vector<Control> controls;
    const HRSRC found = FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_BRINDLE), language);
    if (!found)
        return controls;
    const auto* layout = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, found)));
    const HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), layout, nullptr, Plain, 0);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        const std::wstring className = ClassOf(child);
        controls.emplace_back(GetDlgCtrlID(child), className, GetWindowLongW(child, GWL_STYLE), place.left, place.top,
                              place.right, place.bottom, WindowText(child));
    }
    DestroyWindow(dialog);
    return controls;
}

TEST(UiLanguage, BothTemplatesHoldTheSameControlsInTheSamePlaces)
{
    std::vector<Control> japanese = ControlsOf(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    std::vector<Control> english = ControlsOf(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_EQ(japanese.size(), 12u);
    ASSERT_EQ(english.size(), japanese.size());
    for (std::size_t i = 0; i < japanese.size(); ++i) {
        std::get<7>(japanese[i]) = std::get<7>(english[i]) = L"";
        EXPECT_EQ(japanese[i], english[i]) << i;
    }
}

// Every label shows whole in the desktop's language, in the control's own
// font; a check box or radio button also holds its check mark.
TEST(UiLanguage, EveryLabelFitsItsControl)
{
    TempFolder folder;
    RecordingBrindle brindle(folder / L"brindle.dat");
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    int checked = 0;
    for (HWND child = GetWindow(brindle.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring kind = ClassOf(child);
        if (kind != L"Button" && kind != L"Static")
            continue;
        const std::wstring text = WindowText(child);
        const HDC dc = GetDC(child);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)));
        RECT extent = {0, 0, 0, 0};
        DrawTextW(dc, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        RECT client;
        GetClientRect(child, &client);
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        LONG room = client.right;
        if (kind == L"Button" && (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON))
            room -= GetSystemMetrics(SM_CXMENUCHECK);
        else if (kind == L"Button")
            room -= 2 * GetSystemMetrics(SM_CXEDGE);  // the push button's or group box's frame
        EXPECT_LE(extent.right, room) << "control " << GetDlgCtrlID(child) << ", " << text.size() << " characters, " << extent.right << " of " << room;
        ++checked;
    }
    EXPECT_EQ(checked, 10);
}

// Every label of the English face has a letter of its own, and Alt with it
// reaches the label's control: a static label's is the combo box after it.
TEST(UiLanguage, EveryEnglishLabelHasAMnemonicThatReachesItsControl)
{
    if (JapaneseExpected())
        GTEST_SKIP() << "the Japanese face keeps its own texts";
    TempFolder folder;
    RecordingBrindle brindle(folder / L"brindle.dat");
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    std::vector<wchar_t> letters;
    int reached = 0;
    for (HWND child = GetWindow(brindle.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring className = ClassOf(child);
        const bool label = className == L"Static";
        const std::wstring text = WindowText(child);
        if ((!label && className != L"Button") || text == L">" ||
            (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            continue;
        const std::size_t amp = text.find(L'&');
        ASSERT_NE(amp, std::wstring::npos) << "no mnemonic: " << text.size() << " characters";
        const wchar_t letter = static_cast<wchar_t>(towupper(text[amp + 1]));
        EXPECT_EQ(std::count(letters.begin(), letters.end(), letter), 0) << static_cast<char>(letter);
        letters.push_back(letter);
        // A push button's or check box's letter acts at once (exit, Send To):
        // pressed here are the labels' and the radio buttons'.
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        if (!label && type != BS_AUTORADIOBUTTON)
            continue;
        const HWND target = label ? GetWindow(child, GW_HWNDNEXT) : child;
        SetFocus(brindle.tagButton->m_hWnd);
        MSG alt = {brindle.tagButton->m_hWnd, WM_SYSCHAR, towlower(letter), 1u << 29, 0, {0, 0}};
        IsDialogMessageW(brindle.m_hWnd, &alt);
        const HWND focus = GetFocus();
        EXPECT_TRUE(focus == target || IsChild(target, focus)) << "Alt+" << static_cast<char>(letter);
        ++reached;
    }
    EXPECT_EQ(letters.size(), 8u);  // Affix, Start, End, Always on top, Send To, History, Help, Exit
    EXPECT_EQ(reached, 4);
}

// What a screen reader hears for each button, check box and radio button:
// its label, without the mnemonic's ampersand.
TEST(UiLanguage, AScreenReaderHearsEachButtonsLabel)
{
    // IAccessible's own IID (MinGW's import library has been seen to hand a wrong one).
    const IID accessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    TempFolder folder;
    RecordingBrindle brindle(folder / L"brindle.dat");
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    int heard = 0;
    for (HWND child = GetWindow(brindle.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring className = ClassOf(child);
        std::wstring label = WindowText(child);
        if (className != L"Button" || label == L">")
            continue;
        label.erase(std::remove(label.begin(), label.end(), L'&'), label.end());
        IAccessible* found = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), accessible,
                                             reinterpret_cast<void**>(&found)),
                  S_OK);
        const boost::intrusive_ptr<IAccessible> object = Adopt(found);
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        EXPECT_EQ(object->get_accName(self, &name), S_OK);
        EXPECT_EQ(std::wstring(name ? name : L""), label) << GetDlgCtrlID(child);
        SysFreeString(name);
        ++heard;
    }
    EXPECT_EQ(heard, 7);  // Position, Start, End, Always on top, Send To, Help, Exit
}

// At the DPI the desktop is set to (BRINDLE_EXPECT_DPI, a prefix of its own),
// the dialog is drawn for it: every control inside the window, the drop hint
// over all of it, the icons at the sizes the desktop asks for, not scaled.
TEST(UiLanguage, AtTheDesktopsDpiTheDialogIsDrawnForIt)
{
    wchar_t expected[8] = {};
    if (!GetEnvironmentVariableW(L"BRINDLE_EXPECT_DPI", expected, 8))
        GTEST_SKIP() << "run at 96 DPI";
    const UINT dpi = static_cast<UINT>(_wtoi(expected));
    TempFolder folder;
    RecordingBrindle brindle(folder / L"brindle.dat");
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    EXPECT_EQ(GetDpiForWindow(brindle.m_hWnd), dpi);
    RECT client;
    GetClientRect(brindle.m_hWnd, &client);
    EXPECT_GE(client.right, MulDiv(200, static_cast<int>(dpi), 96));  // 135 dialog units, scaled with the font
    for (HWND child = GetWindow(brindle.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, brindle.m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right && place.bottom <= client.bottom)
            << GetDlgCtrlID(child);
    }
    const ToolTipProbe hint(brindle.m_hToolTip);
    EXPECT_TRUE(EqualRect(&hint.tool.rect, &client));
    for (const auto& icon : {std::make_pair(ICON_BIG, SM_CXICON), std::make_pair(ICON_SMALL, SM_CXSMICON)}) {
        const HICON shown = reinterpret_cast<HICON>(SendMessageW(brindle.m_hWnd, WM_GETICON, icon.first, 0));
        ICONINFO info = {};
        BITMAP bits = {};
        ASSERT_TRUE(shown && GetIconInfo(shown, &info)) << icon.first;
        GetObjectW(info.hbmColor, sizeof bits, &bits);
        EXPECT_EQ(bits.bmWidth, GetSystemMetricsForDpi(icon.second, dpi)) << icon.first;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

// How far right a character's ink runs from its top row to its bottom row,
// drawn in a font: a backslash runs right, a yen sign stands straight.
double InkSlant(HFONT font, wchar_t character)
{
    const int size = 40;
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap), oldFont = SelectObject(dc, font);
    const RECT all = {0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutW(dc, 8, 4, &character, 1);
    std::vector<double> middles;  // of each row with ink, top to bottom
    for (int y = 0; y < size; ++y) {
        int sum = 0, count = 0;
        for (int x = 0; x < size; ++x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                sum += x;
                ++count;
            }
        if (count)
            middles.push_back(static_cast<double>(sum) / count);
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return middles.empty() ? 0 : middles.back() - middles.front();
}

// The tag menu writes the tags with a backslash: a Japanese desktop's font
// may draw it as a yen sign, as Japanese users know it; every other must draw
// a backslash.
TEST(UiLanguage, TheMenuFontWritesTheBackslashAsTheDesktopDoes)
{
    if (JapaneseExpected())
        GTEST_SKIP() << "a Japanese desktop keeps its own convention";
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    EXPECT_GT(InkSlant(font, L'\\'), 2.0);
    EXPECT_LT(InkSlant(font, L'/'), -2.0);  // the measure itself reads a slant
    DeleteObject(font);
}

}  // namespace
