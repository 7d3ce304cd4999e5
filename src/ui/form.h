// What the three forms share: a top-level window with a solid background,
// a fixed client size, its fonts, child controls made in tab order, and the
// keyboard rules of the program's windows. Sizes, places and font heights
// are given at 96 dpi; the form keeps them and lays itself out at its DPI,
// again whenever the DPI changes.
#pragma once

#include "app/window.h"
#include "ui/layout.h"
#include "platform/handle.h"

#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace orbelune {

// Text of any window or control.
std::wstring WindowText(HWND hwnd);
void SetWindowTextIfChanged(HWND hwnd, std::wstring_view text);

// The text of a list box item; empty when there is no such item.
std::wstring ListBoxItem(HWND list, int index);

// A font of pixel height `height` (character height) in the Japanese
// character set.
UniqueFont MakeFont(const wchar_t* face, int height, bool bold = false);

// The DPI a window is laid out at: that of the form it is on.
int DpiOf(HWND hwnd);

// Whether the system's high-contrast mode is on (SPI_GETHIGHCONTRAST).
// Tests answer the question themselves; nullptr asks the system again.
bool HighContrastOn();
void SetHighContrastAnswerer(std::function<bool()> answerer);

// The colour a window paints its surface with: its own fixed colour, or
// the system's face colour while its form is in the high-contrast mode.
COLORREF SurfaceColor(HWND hwnd, COLORREF own);

class Form;

// One row of a form's command table: a control, a notification it sends
// (the code of its WM_COMMAND or WM_NOTIFY), and the form's handler, made
// with Calls: {kCreateButton, BN_CLICKED, Calls<&MainWindow::OnCreateClicked>}.
struct Command {
    int id;
    UINT code;
    void (*handler)(Form& form);
};

namespace detail {
template <typename>
struct HandlerOf;
template <typename F>
struct HandlerOf<void (F::*)()> {
    using FormType = F;
};
}  // namespace detail

// A form's own handler (a member function without arguments, private or
// not) as a command table's entry.
template <auto Handler>
void Calls(Form& form) {
    (static_cast<typename detail::HandlerOf<decltype(Handler)>::FormType&>(form).*Handler)();
}

class Form : public Window {
public:
    // A child control by its identifier: one of its rows' from the form's
    // own table (no question to the platform), any other as the platform
    // finds it.
    HWND Control(int id) const;

    void Show();
    void Hide() { ::ShowWindow(Handle(), SW_HIDE); }
    bool IsShown() const { return ::IsWindowVisible(Handle()) != FALSE; }
    void Enable(bool enabled) { ::EnableWindow(Handle(), enabled ? TRUE : FALSE); }
    bool IsEnabled() const { return ::IsWindowEnabled(Handle()) != FALSE; }
    std::wstring Caption() const { return WindowText(Handle()); }
    void SetCaption(std::wstring_view caption);
    // The form's fixed colour, or the system's colours while the system's
    // high-contrast mode is on (asked at creation and at every change of
    // the system's colours or settings).
    bool HighContrast() const noexcept { return highContrast_; }
    COLORREF BackgroundColor() const noexcept;
    HBRUSH BackgroundBrush() const noexcept { return backgroundBrush_.Get(); }
    // The DPI the form is laid out at.
    int Dpi() const noexcept { return dpi_; }

protected:
    explicit Form(COLORREF background);

    // A top-level window owned by the application window, with the given
    // place and client size; at CW_USEDEFAULT the window system places it.
    void CreateForm(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                    const FormRect& rect);

    // The form's control table and fonts; set before its controls are made.
    void SetControls(std::span<const ControlRow> controls, std::span<const FontSpec> fonts) {
        controls_ = controls;
        fontSpecs_ = fonts;
    }
    // Makes the fonts, then every control of the table in its order (the
    // tab order): a row with a class as the row says, any other by
    // MakeWindow. Then names the controls that have a label.
    void MakeControls();
    // A window of the table that the form makes itself (a panel, an image):
    // made at its row's place within `parent`.
    virtual HWND MakeWindow(const ControlRow& row);
    // A font of the font table.
    HFONT Font(int index) const;
    // A row of the layout table; a missing one is a failure.
    const LayoutRect& LayoutOf(int id) const;

    // Keeps a window made elsewhere (a panel, an image) at its layout row's
    // place within its parent.
    void Place(HWND window, int id);
    // The item height of a list box, at 96 dpi (a new font resets it).
    void SetItemHeight(HWND list, int height);

    void AddTooltip(HWND control, const wchar_t* text);

    // Lets the form see every key pressed in this control (Enter included)
    // through OnControlKeyDown, before the control handles it.
    void WatchKeys(HWND control);

    // The control that gets the focus when the form is first activated.
    void SetFirstFocus(HWND control) { focus_ = control; }

    // The form's command table, walked for every WM_COMMAND from a control
    // and every WM_NOTIFY; set before the form is created.
    void SetCommands(std::span<const Command> commands) { commands_ = commands; }
    virtual void OnControlKeyDown(HWND control, WPARAM key);
    // The close box and the system menu's close command.
    virtual void OnClose() {}
    // What a form scales beyond its fonts and placed windows; run after
    // they have been laid out at the new DPI.
    virtual void OnDpiChanged() {}

    // Lays the form out at a DPI: the frame around the scaled client area
    // (unless `frameToo` is false: the system has placed it), the fonts,
    // every placed window, the list item heights and the fitted texts.
    void ApplyDpi(int dpi, bool frameToo = true);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Procedures put before a control's own (see Subclass in form.cpp).
    static LRESULT CALLBACK GroupBoxPainter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK KeyWatcher(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // A font of the form, `height` pixels high at 96 dpi; the form owns it
    // and makes it again at a new DPI.
    HFONT AddFont(const wchar_t* face, int height, bool bold);
    const ControlRow* RowOf(int id) const;
    // A control of a row with a class, widened to its text as the row
    // says. A group box frames controls made before it (above it in the
    // window order) and paints its inside with the form's background.
    HWND AddControl(const ControlRow& row);

    struct FormFont {
        const wchar_t* face;
        int height;
        bool bold;
        UniqueFont font;
    };
    enum class Fit { None, KeepLeft, KeepRight };
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): always made whole, by aggregate initialisation
    struct Placement {
        HWND window;
        int x, y, width, height;
        int itemHeight = 0;
        Fit fit = Fit::None;  // widened to its text, keeping this side
        bool markToo = false;  // and to a check mark beside it
    };
    Placement* PlacementOf(HWND window);
    // Widens a control as its placement says; done again after every new
    // layout.
    void WidenToText(const Placement& placement);
    // Runs the handler of the table's row for the pair; false when none.
    bool RunCommand(int id, UINT code);
    // Asks for the high-contrast mode again; paints everything anew when
    // it changed, or always when `repaint`.
    void UpdateColors(bool repaint);

    std::span<const Command> commands_;
    std::span<const ControlRow> controls_;
    std::span<const FontSpec> fontSpecs_;
    COLORREF background_;
    bool highContrast_ = false;
    UniqueBrush backgroundBrush_;
    int dpi_ = kLayoutDpi;
    int clientWidth_ = 0, clientHeight_ = 0;  // at 96 dpi
    std::vector<std::unique_ptr<FormFont>> fonts_;
    std::vector<Placement> placements_;
    std::vector<std::pair<int, HWND>> rowControls_;  // the rows' controls by identifier
    HWND tooltip_ = nullptr;
    HWND focus_ = nullptr;  // kept while the form is inactive
};

}  // namespace orbelune
