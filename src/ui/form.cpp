#include "ui/form.h"

#include "app/application_window.h"
#include "ui/accessible_name.h"

#include <commctrl.h>

#include <functional>
#include <iterator>
#include <utility>
#include <vector>

namespace orbelune {

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void SetWindowTextIfChanged(HWND hwnd, std::wstring_view text) {
    if (WindowText(hwnd) != text) ::SetWindowTextW(hwnd, std::wstring(text).c_str());
}

std::wstring ListBoxItem(HWND list, int index) {
    const auto length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

UniqueFont MakeFont(const wchar_t* face, int height, bool bold) {
    LOGFONTW lf{};
    lf.lfHeight = -height;  // character height, without internal leading
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    std::wstring_view(face).copy(lf.lfFaceName, LF_FACESIZE - 1);  // lf is zeroed: the name ends with a NUL
    UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font) throw Failure(L"フォントを作成できません");
    return font;
}

namespace {

// The form a window belongs to, found up its parents as the program knows
// them (the platform's own walk to the top asks its server each time).
const Form* FormOf(HWND hwnd) {
    for (HWND h = hwnd; h; h = ::GetAncestor(h, GA_PARENT))
        if (const auto* form = dynamic_cast<const Form*>(Window::FromHandle(h))) return form;
    return nullptr;
}

// A procedure put before a control's own, with the form it serves; kept in
// the process, so that a message to the control costs no look-up by the
// platform.
struct Subclassed {
    HWND hwnd;
    WNDPROC procedure;  // the one put before
    WNDPROC previous;
    Form* form;
};

std::vector<Subclassed>& SubclassedControls() {
    static std::vector<Subclassed> controls;  // one thread makes and serves every window
    return controls;
}

void Subclass(HWND control, WNDPROC procedure, Form* form) {
    // In the table before the first message reaches the new procedure.
    auto& controls = SubclassedControls();
    controls.push_back({control, procedure, nullptr, form});
    const auto previous = reinterpret_cast<WNDPROC>(  // NOLINT(performance-no-int-to-ptr): the procedure the platform gives
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    if (previous)
        controls.back().previous = previous;
    else
        controls.pop_back();
}

// cppcheck-suppress constParameter ; HWND is a handle, not data of ours to make const
const Subclassed* SubclassOf(HWND hwnd, WNDPROC procedure) {
    for (const Subclassed& s : SubclassedControls())
        if (s.hwnd == hwnd && s.procedure == procedure) return &s;
    return nullptr;
}

// The control's procedure before `procedure`; after the window's last
// message it leaves the table (the procedure stays the window's).
LRESULT CallPrevious(const Subclassed& s, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = s.hwnd;
    const WNDPROC previous = s.previous, procedure = s.procedure;
    if (message == WM_NCDESTROY)
        std::erase_if(SubclassedControls(),
                      [&](const Subclassed& c) { return c.hwnd == hwnd && c.procedure == procedure; });
    return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

}  // namespace

int DpiOf(HWND hwnd) {
    if (const Form* form = FormOf(hwnd)) return form->Dpi();
    return WindowDpi(hwnd);
}

namespace {

std::function<bool()>& HighContrastAnswerer() {
    static std::function<bool()> answerer;
    return answerer;
}

}  // namespace

bool HighContrastOn() {
    if (HighContrastAnswerer()) return HighContrastAnswerer()();
    HIGHCONTRASTW state{};
    state.cbSize = sizeof state;
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof state, &state, 0) &&
           (state.dwFlags & HCF_HIGHCONTRASTON);
}

void SetHighContrastAnswerer(std::function<bool()> answerer) { HighContrastAnswerer() = std::move(answerer); }

COLORREF SurfaceColor(HWND hwnd, COLORREF own) {
    const Form* form = FormOf(hwnd);
    return form && form->HighContrast() ? ::GetSysColor(COLOR_BTNFACE) : own;
}

namespace {

// The window has no default or cancel button: Enter presses a push button
// only while that button has the focus, and Esc presses none.
void PressFocusedPushButton(HWND form) {
    HWND focus = ::GetFocus();
    if (!focus || !::IsChild(form, focus)) return;
    wchar_t cls[16] = {};
    ::GetClassNameW(focus, cls, static_cast<int>(std::size(cls)));
    const auto type = ::GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiW(cls, L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
        ::SendMessageW(focus, BM_CLICK, 0, 0);
}

}  // namespace

Form::Form(COLORREF background) : background_(background) {}

COLORREF Form::BackgroundColor() const noexcept {
    return highContrast_ ? ::GetSysColor(COLOR_BTNFACE) : background_;
}

void Form::UpdateColors(bool repaint) {
    const bool before = highContrast_;
    highContrast_ = HighContrastOn();
    backgroundBrush_.Reset(::CreateSolidBrush(BackgroundColor()));
    if (Handle() && (repaint || highContrast_ != before))
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form::CreateForm(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                      const FormRect& rect) {
    RegisterWindowClass(className, nullptr);
    const int clientWidth = rect.clientWidth, clientHeight = rect.clientHeight;
    int x = rect.x, y = rect.y;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    UpdateColors(false);
    // Made at the screen's DPI; a window that comes up on a monitor of
    // another DPI is laid out again at once.
    dpi_ = SystemDpi();
    const RECT frame = FrameForClient(Scale(clientWidth, dpi_), Scale(clientHeight, dpi_), style, exStyle, dpi_);
    if (x != CW_USEDEFAULT) {
        x = Scale(x, dpi_);
        y = Scale(y, dpi_);
    }
    CreateNative(className, exStyle, caption, style, x, y, frame.right - frame.left, frame.bottom - frame.top,
                 ApplicationWindow());
    if (const int dpi = WindowDpi(Handle()); dpi != dpi_) ApplyDpi(dpi);
}

HFONT Form::AddFont(const wchar_t* face, int height, bool bold) {
    fonts_.push_back(
        std::make_unique<FormFont>(FormFont{face, height, bold, MakeFont(face, Scale(height, dpi_), bold)}));
    return fonts_.back()->font.Get();
}

// cppcheck-suppress constParameter ; HWND is a handle, not data of ours to make const
Form::Placement* Form::PlacementOf(HWND window) {
    for (auto& p : placements_)
        if (p.window == window) return &p;
    return nullptr;
}

const ControlRow* Form::RowOf(int id) const {
    for (const ControlRow& row : controls_)
        if (row.place.id == id) return &row;
    return nullptr;
}

const LayoutRect& Form::LayoutOf(int id) const {
    const LayoutRect* row = FindLayout(controls_, id);
    if (!row) throw Failure(L"ウィンドウを作成できません");
    return *row;
}

void Form::Place(HWND window, int id) {
    const LayoutRect& r = LayoutOf(id);
    if (Placement* p = PlacementOf(window))
        *p = Placement{window, r.x, r.y, r.width, r.height, p->itemHeight, p->fit, p->markToo};
    else
        placements_.push_back(Placement{window, r.x, r.y, r.width, r.height});
    ::SetWindowPos(window, nullptr, Scale(r.x, dpi_), Scale(r.y, dpi_), Scale(r.width, dpi_), Scale(r.height, dpi_),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetItemHeight(HWND list, int height) {
    if (Placement* p = PlacementOf(list)) p->itemHeight = height;
    ::SendMessageW(list, LB_SETITEMHEIGHT, 0, Scale(height, dpi_));
}

void Form::ApplyDpi(int dpi, bool frameToo) {
    dpi_ = dpi;
    if (frameToo) {
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
        const RECT frame = FrameForClient(Scale(clientWidth_, dpi), Scale(clientHeight_, dpi), style, exStyle, dpi);
        ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // New fonts first: the places, item heights and widths depend on them.
    std::vector<UniqueFont> old;
    for (auto& f : fonts_) {
        UniqueFont font = MakeFont(f->face, Scale(f->height, dpi), f->bold);
        for (const auto& p : placements_)
            if (reinterpret_cast<HFONT>(::SendMessageW(p.window, WM_GETFONT, 0, 0)) == f->font.Get())
                ::SendMessageW(p.window, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        old.push_back(std::move(f->font));
        f->font = std::move(font);
    }
    for (const auto& p : placements_) {
        ::SetWindowPos(p.window, nullptr, Scale(p.x, dpi), Scale(p.y, dpi), Scale(p.width, dpi), Scale(p.height, dpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (p.itemHeight) ::SendMessageW(p.window, LB_SETITEMHEIGHT, 0, Scale(p.itemHeight, dpi));
        if (p.fit != Fit::None) WidenToText(p);
    }
    OnDpiChanged();
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form::SetCaption(std::wstring_view caption) { ::SetWindowTextW(Handle(), std::wstring(caption).c_str()); }

void Form::Show() {
    // A hidden window may have been moved to a monitor of another DPI.
    if (const int dpi = WindowDpi(Handle()); dpi != dpi_) ApplyDpi(dpi);
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    ::SetActiveWindow(Handle());
}

void Form::MakeControls() {
    for (const FontSpec& font : fontSpecs_) AddFont(font.face, font.height, font.bold);
    for (const ControlRow& row : controls_) {
        HWND control = row.className ? AddControl(row) : MakeWindow(row);
        rowControls_.emplace_back(row.place.id, control);
        if (row.itemHeight) SetItemHeight(control, row.itemHeight);
        if (row.checked) ::SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
        if (row.tooltip) AddTooltip(control, row.tooltip);
    }
    for (const ControlRow& row : controls_) {
        if (row.name) SetAccessibleName(Control(row.place.id), row.name);
        if (!row.label) continue;
        const ControlRow* label = RowOf(row.label);
        SetAccessibleName(Control(row.place.id), NameFromLabel(WindowText(Control(row.label))), {},
                          label && label->tooltip ? label->tooltip : L"");
    }
}

HWND Form::MakeWindow(const ControlRow&) { throw Failure(L"ウィンドウを作成できません"); }

HWND Form::Control(int id) const {
    for (const auto& [rowId, control] : rowControls_)
        if (rowId == id) return control;
    return ::GetDlgItem(Handle(), id);
}

HFONT Form::Font(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= fonts_.size()) throw Failure(L"フォントを作成できません");
    return fonts_[static_cast<std::size_t>(index)]->font.Get();
}

HWND Form::AddControl(const ControlRow& row) {
    const LayoutRect& place = row.place;
    HWND h = ::CreateWindowExW(row.exStyle, row.className, row.text, WS_CHILD | row.style, Scale(place.x, dpi_),
                               Scale(place.y, dpi_), Scale(place.width, dpi_), Scale(place.height, dpi_), Handle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), ::GetModuleHandleW(nullptr),
                               nullptr);
    if (!h) throw Failure(L"ウィンドウを作成できません");
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font(row.font)), FALSE);
    const bool button = lstrcmpiW(row.className, L"BUTTON") == 0;
    placements_.push_back(Placement{h, place.x, place.y, place.width, place.height});
    if (place.grow != Grow::No) {
        Placement& p = placements_.back();
        p.fit = place.grow == Grow::KeepRight ? Fit::KeepRight : Fit::KeepLeft;
        // A check box or radio button also holds its mark and a gap.
        p.markToo = button;
        WidenToText(p);
    }
    if (button && (row.style & BS_TYPEMASK) == BS_GROUPBOX) Subclass(h, GroupBoxPainter, this);
    return h;
}

void Form::WidenToText(const Placement& p) {
    const std::wstring text = WindowText(p.window);
    const int mark = p.markToo ? SystemMetric(SM_CXMENUCHECK, dpi_) + Scale(6, dpi_) : 0;
    // Measured in a DC of the screen's kind: a control's own DC would cost
    // the window server a question about where it may paint.
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return;  // no DC left to measure with: the control keeps its width
    ScopedSelect selectFont(dc.Get(), reinterpret_cast<HFONT>(::SendMessageW(p.window, WM_GETFONT, 0, 0)));
    RECT needed{};
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    // The control stands where its placement puts it at this DPI.
    const int x = Scale(p.x, dpi_), width = Scale(p.width, dpi_);
    const int wanted = needed.right - needed.left + mark;
    if (wanted <= width) return;
    const int left = p.fit == Fit::KeepRight ? x + width - wanted : x;
    ::SetWindowPos(p.window, nullptr, left, Scale(p.y, dpi_), wanted, Scale(p.height, dpi_),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::AddTooltip(HWND control, const wchar_t* text) {
    if (!tooltip_) {
        tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
        if (!tooltip_) throw Failure(L"ウィンドウを作成できません");
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK Form::GroupBoxPainter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const Subclassed* s = SubclassOf(hwnd, GroupBoxPainter);
    if (!s) return ::DefWindowProcW(hwnd, message, wParam, lParam);  // never: in the table before its first message
    if (message == WM_ERASEBKGND) {
        // The form clips its children, so nothing else paints in here.
        RECT r;
        ::GetClientRect(hwnd, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, s->form->BackgroundBrush());
        return 1;
    }
    return CallPrevious(*s, message, wParam, lParam);
}

void Form::WatchKeys(HWND control) { Subclass(control, KeyWatcher, this); }

LRESULT CALLBACK Form::KeyWatcher(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const Subclassed* s = SubclassOf(hwnd, KeyWatcher);
    if (!s) return ::DefWindowProcW(hwnd, message, wParam, lParam);  // never: in the table before its first message
    switch (message) {
    case WM_GETDLGCODE:
        // Enter belongs to the field, not to the window's keyboard navigation.
        if (lParam) {
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
                return DLGC_WANTALLKEYS | CallPrevious(*s, message, wParam, lParam);
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        Form* form = s->form;
        RunHandler([&] { form->OnControlKeyDown(hwnd, wParam); });
        // The handler may have destroyed the control.
        s = SubclassOf(hwnd, KeyWatcher);
        if (!s) return 0;
        break;
    }
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L'\n') return 0;  // a one-line field has no use for it
        break;
    default:
        break;
    }
    return CallPrevious(*s, message, wParam, lParam);
}

void Form::OnControlKeyDown(HWND, WPARAM) {}

bool Form::RunCommand(int id, UINT code) {
    for (const Command& command : commands_) {
        if (command.id == id && command.code == code) {
            command.handler(*this);
            return true;
        }
    }
    return false;
}

LRESULT Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT r;
        ::GetClientRect(Handle(), &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, backgroundBrush_.Get());
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        wchar_t cls[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(lParam), cls, static_cast<int>(std::size(cls)));
        if (lstrcmpiW(cls, L"Edit") == 0) break;  // a disabled field keeps the system's colours
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(dc, BackgroundColor());
        ::SetTextColor(dc, ::GetSysColor(highContrast_ ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(backgroundBrush_.Get());
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // The common controls learn of new system colours from their form.
        if (message == WM_SYSCOLORCHANGE)
            for (HWND c = ::GetWindow(Handle(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
                ::SendMessageW(c, message, wParam, lParam);
        UpdateColors(message == WM_SYSCOLORCHANGE);
        break;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {  // Enter and Esc from the keyboard navigation
            if (id == IDOK) PressFocusedPushButton(Handle());
            return 0;
        }
        if (lParam) RunCommand(id, HIWORD(wParam));
        return 0;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (RunCommand(static_cast<int>(header->idFrom), header->code)) return 0;
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(Handle(), focus)) focus_ = focus;
        } else if (focus_ && ::IsWindow(focus_) && ::IsWindowEnabled(focus_)) {
            ::SetFocus(focus_);
            return 0;
        }
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DPICHANGED: {
        // The system's rectangle for the new DPI, then everything inside.
        // Before per-monitor v2 only its place: its size scales a frame that
        // keeps the system DPI's size, so the form sizes the frame itself.
        const bool fits = CurrentDpiScaling() == DpiScaling::PerMonitorV2;
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE | (fits ? 0 : SWP_NOSIZE));
        ApplyDpi(HIWORD(wParam), !fits);
        return 0;
    }
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace orbelune
