#include "app/message_box.h"

#include "app/application_window.h"
#include "app/modal.h"
#include "app/window.h"
#include "platform/codepage.h"
#include "platform/handle.h"

#include <algorithm>
#include <vector>

namespace orbelune {

namespace {

BoxAnswerer& Answerer() {
    static BoxAnswerer answerer;
    return answerer;
}

struct ButtonSpec {
    const wchar_t* caption;
    int id;
    BoxResult result;
};

struct BoxSpec {
    BoxKind kind;
    const wchar_t* caption;
    const wchar_t* icon;  // a system icon, or nullptr
    std::vector<ButtonSpec> buttons;
    BoxResult onEscape;
    BoxResult onClose;
};

constexpr int kIconSize = 32;

// What one open box knows while it runs.
struct BoxState {
    const BoxSpec* spec;
    std::wstring message;
    BoxResult result = BoxResult::None;
    bool done = false;
    UniqueFont font;
    UniqueIcon icon;
};

void LayOut(HWND box, BoxState& state, int dpi);

// A system icon at size x size, scaled down from a larger image where the
// system has one (common controls 6 on Windows Vista and later).
UniqueIcon SystemIcon(const wchar_t* id, int size) {
    using LoadIconWithScaleDownCall = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    static const auto load = [] {
        HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
        return comctl ? reinterpret_cast<LoadIconWithScaleDownCall>(
                            reinterpret_cast<void*>(::GetProcAddress(comctl, "LoadIconWithScaleDown")))
                      : nullptr;
    }();
    HICON icon = nullptr;
    if (load && SUCCEEDED(load(nullptr, id, size, size, &icon)) && icon) return UniqueIcon(icon);
    return UniqueIcon(static_cast<HICON>(::LoadImageW(nullptr, id, IMAGE_ICON, size, size, 0)));
}

void Finish(HWND box, BoxState& state, BoxResult result) {
    state.result = result;
    state.done = true;
    ::ShowWindow(box, SW_HIDE);
}

void CopyToClipboard(HWND box, const BoxState& state) {
    std::vector<std::wstring> captions;
    for (const auto& b : state.spec->buttons) captions.emplace_back(b.caption);
    const std::wstring text = BoxClipboardText(state.spec->caption, state.message, captions);
    ::MessageBeep(MB_OK);
    if (!::OpenClipboard(box)) return;
    ::EmptyClipboard();
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (memory) {
        if (void* p = ::GlobalLock(memory.Get())) {
            std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(p));
            ::GlobalUnlock(memory.Get());
            if (::SetClipboardData(CF_UNICODETEXT, memory.Get())) memory.Release();  // the clipboard owns it now
        }
    }
    ::CloseClipboard();
}

INT_PTR CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<BoxState*>(::GetWindowLongPtrW(box, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrW(box, DWLP_USER, lParam);
        return FALSE;  // the focus is placed by the caller
    case WM_COMMAND:
        if (!state || HIWORD(wParam) != BN_CLICKED) break;
        if (LOWORD(wParam) == IDCANCEL) {  // Esc
            Finish(box, *state, state->spec->onEscape);
            return TRUE;
        }
        for (const auto& b : state->spec->buttons) {
            if (LOWORD(wParam) == b.id) {
                Finish(box, *state, b.result);
                return TRUE;
            }
        }
        break;
    case WM_CLOSE:  // the close box or the system menu
        if (state) Finish(box, *state, state->spec->onClose);
        return TRUE;
    case WM_DPICHANGED:  // laid out again at the new DPI, the focus on the first button
        if (!state) break;
        while (HWND child = ::GetWindow(box, GW_CHILD)) ::DestroyWindow(child);
        LayOut(box, *state, HIWORD(wParam));
        ::SendMessageW(box, WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(::GetDlgItem(box, state->spec->buttons.front().id)), TRUE);
        return TRUE;
    default:
        break;
    }
    return FALSE;
}

// An empty dialog template; the controls are made and placed afterwards.
std::vector<WORD> EmptyTemplate(const wchar_t* caption) {
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(t.data());
    header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_NOIDLEMSG;
    header->dwExtendedStyle = WS_EX_DLGMODALFRAME;
    t.push_back(0);  // no menu
    t.push_back(0);  // the standard dialog class
    for (const wchar_t* c = caption; *c; ++c) t.push_back(static_cast<WORD>(*c));
    t.push_back(0);
    return t;
}

HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& r, int id, HFONT font) {
    HWND h = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    if (h && font) ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

// Lays the box out in dialog units of its font at the DPI and makes its
// controls; the sizes in pixels are those at 96 dpi, scaled.
void LayOut(HWND box, BoxState& state, int dpi) {
    const NONCLIENTMETRICSW metrics = NonClientMetrics(dpi);
    state.font.Reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    HFONT font = state.font.Get();

    WindowDc dc(box);
    ScopedSelect selectFont(dc.Get(), font);
    SIZE letters{};
    ::GetTextExtentPoint32W(dc.Get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc.Get(), &tm);
    const int averageWidth = letters.cx / 52;
    const auto horizontal = [&](int units) { return ::MulDiv(units, averageWidth, 4); };
    const auto vertical = [&](int units) { return ::MulDiv(units, tm.tmHeight, 8); };

    const int hMargin = horizontal(8), vMargin = vertical(8);
    const int hSpacing = horizontal(10), vSpacing = vertical(10);
    const int buttonHeight = vertical(14), buttonSpacing = horizontal(4);
    int buttonWidth = horizontal(50);
    for (const auto& b : state.spec->buttons) {
        RECT r{};
        ::DrawTextW(dc.Get(), b.caption, -1, &r, DT_CALCRECT | DT_SINGLELINE);
        buttonWidth = std::max(buttonWidth, static_cast<int>(r.right - r.left) + Scale(8, dpi));
    }

    RECT textRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    ::DrawTextW(dc.Get(), state.message.c_str(), static_cast<int>(state.message.size()), &textRect,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    const int textWidth = textRect.right, textHeight = textRect.bottom;

    const bool hasIcon = state.spec->icon != nullptr;
    const int iconSize = Scale(kIconSize, dpi);
    const int iconWidth = hasIcon ? iconSize + hSpacing : 0;
    const int iconTextWidth = iconWidth + textWidth;
    const int iconTextHeight = hasIcon ? std::max(iconSize, textHeight) : textHeight;
    const int count = static_cast<int>(state.spec->buttons.size());
    const int groupWidth = count * buttonWidth + (count - 1) * buttonSpacing;
    const int clientWidth = std::max(iconTextWidth, groupWidth) + 2 * hMargin;
    const int clientHeight = iconTextHeight + vSpacing + buttonHeight + 2 * vMargin;

    if (hasIcon) {
        HWND icon = MakeChild(box, L"STATIC", nullptr, SS_ICON | SS_REALSIZEIMAGE,
                              RECT{hMargin, vMargin, hMargin + iconSize, vMargin + iconSize}, -1, nullptr);
        state.icon = SystemIcon(state.spec->icon, iconSize);
        ::SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(state.icon.Get()), 0);
    }
    MakeChild(box, L"STATIC", state.message.c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
              RECT{hMargin + iconWidth, vMargin, hMargin + iconWidth + textWidth, vMargin + textHeight}, -1, font);

    int x = (clientWidth - groupWidth) / 2;
    const int y = iconTextHeight + vMargin + vSpacing;
    bool first = true;
    for (const auto& b : state.spec->buttons) {
        const DWORD style = WS_TABSTOP | (first ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON);
        MakeChild(box, L"BUTTON", b.caption, style, RECT{x, y, x + buttonWidth, y + buttonHeight}, b.id, font);
        if (first) ::SendMessageW(box, DM_SETDEFID, static_cast<WPARAM>(b.id), 0);
        first = false;
        x += buttonWidth + buttonSpacing;
    }

    // Fixed dialog frame around that client area, centred on the screen.
    const RECT frame = FrameForClient(clientWidth, clientHeight, static_cast<DWORD>(::GetWindowLongPtrW(box, GWL_STYLE)),
                                      static_cast<DWORD>(::GetWindowLongPtrW(box, GWL_EXSTYLE)), dpi);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::SetWindowPos(box, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsCtrlC(const MSG& msg) {
    return msg.message == WM_KEYDOWN && msg.wParam == 'C' && (::GetKeyState(VK_CONTROL) & 0x8000) &&
           !(::GetKeyState(VK_SHIFT) & 0x8000) && !(::GetKeyState(VK_MENU) & 0x8000);
}

BoxResult RunBox(const BoxSpec& spec, std::wstring_view text) {
    if (const auto& answer = Answerer()) {
        return answer(spec.kind, std::wstring(text));
    }

    BoxState state{&spec, std::wstring(text), BoxResult::None, false, UniqueFont{}, UniqueIcon{}};
    const auto dialogTemplate = EmptyTemplate(spec.caption);
    HWND owner = ApplicationWindow();
    HWND box = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                            reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner,
                                            BoxProc, reinterpret_cast<LPARAM>(&state));
    if (!box) return BoxResult::None;
    UniqueWindow boxWindow(box);
    LayOut(box, state, WindowDpi(box));

    ModalScope modal(box);  // disables the program's other windows until the box has gone
    ::ShowWindow(box, SW_SHOW);
    ::SetForegroundWindow(box);
    // The focus starts on the first button, the default one.
    ::SendMessageW(box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(box, spec.buttons.front().id)), TRUE);
    RunModalLoop([&] { return state.done; }, [&](MSG& msg) {
        const bool inBox = msg.hwnd == box || ::IsChild(box, msg.hwnd);
        if (inBox && IsCtrlC(msg)) {
            CopyToClipboard(box, state);
            return true;
        }
        // Enter presses the focused button, whichever the default is.
        if (inBox && msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
            HWND focus = ::GetFocus();
            for (const auto& b : spec.buttons) {
                if (focus && focus == ::GetDlgItem(box, b.id)) {
                    ::SendMessageW(focus, BM_CLICK, 0, 0);
                    return true;
                }
            }
        }
        return ::IsDialogMessageW(box, &msg) != FALSE;
    });
    // Ended by the program's end rather than by the user: the safe answer.
    return state.done ? state.result : spec.onEscape;
}

const BoxSpec& InformationSpec() {
    static const BoxSpec spec{BoxKind::Information, kApplicationTitle, nullptr, {{L"OK", IDOK, BoxResult::None}},
                              BoxResult::None, BoxResult::None};
    return spec;
}
const BoxSpec& ConfirmationSpec() {
    static const BoxSpec spec{BoxKind::Confirmation,
                              L"確認",
                              IDI_QUESTION,
                              {{L"はい(&Y)", IDYES, BoxResult::Yes}, {L"いいえ(&N)", IDNO, BoxResult::No}},
                              BoxResult::No,
                              BoxResult::Cancel};
    return spec;
}
const BoxSpec& ErrorSpec() {
    static const BoxSpec spec{BoxKind::Error, L"エラー", IDI_HAND, {{L"OK", IDOK, BoxResult::None}}, BoxResult::None,
                              BoxResult::None};
    return spec;
}

}  // namespace

void ShowInformation(std::wstring_view text) { RunBox(InformationSpec(), text); }
BoxResult ShowConfirmation(std::wstring_view text) { return RunBox(ConfirmationSpec(), text); }
void ShowError(std::wstring_view text) { RunBox(ErrorSpec(), text); }

Prompts& BoxPrompts() {
    // NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): one static object, never deleted through its base
    class Boxes final : public Prompts {
    public:
        void Inform(std::wstring_view text) override { ShowInformation(text); }
        BoxResult Confirm(std::wstring_view text) override { return ShowConfirmation(text); }
        void Error(std::wstring_view text) override { ShowError(text); }
    };
    static Boxes boxes;
    return boxes;
}

std::wstring FailureBoxText(std::wstring_view message) {
    std::wstring text(message);
    if (text.empty()) return text;
    // The last character, a surrogate pair taken whole.
    std::size_t last = text.size() - 1;
    if (last > 0 && IS_LOW_SURROGATE(text[last]) && IS_HIGH_SURROGATE(text[last - 1])) --last;
    const std::string bytes = ToCp932(std::wstring_view(text).substr(last));
    if (!bytes.empty() && static_cast<unsigned char>(bytes.front()) > '.') text += L'.';
    return text;
}

std::wstring BoxClipboardText(std::wstring_view caption, std::wstring_view message,
                              const std::vector<std::wstring>& buttonCaptions) {
    const std::wstring rule(27, L'-');
    std::wstring buttons;
    for (const auto& c : buttonCaptions) {
        for (wchar_t ch : c)
            if (ch != L'&') buttons += ch;
        buttons += L"   ";
    }
    std::wstring text;
    for (const std::wstring_view line : {std::wstring_view(rule), caption, std::wstring_view(rule), message,
                                         std::wstring_view(rule), std::wstring_view(buttons), std::wstring_view(rule)}) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

void ShowFailure(std::wstring_view message) {
    const std::wstring text = FailureBoxText(message);
    if (const auto& answer = Answerer()) {
        answer(BoxKind::Failure, text);
        return;
    }
    HWND owner = ApplicationWindow();
    ModalScope modal(nullptr);
    ::MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

void SetBoxAnswerer(BoxAnswerer answerer) { Answerer() = std::move(answerer); }

}  // namespace orbelune
