// A panel: an area in a colour of its own with a caption. Two looks: the
// preview panel (single-line border, raised bevel, centred caption, children
// of its own) and the status bar (one sunken text area across its width,
// text at the left; the common status bar drops its colour under visual
// styles).
#pragma once

#include "app/window.h"

namespace orbelune {

class Panel final : public Window {
public:
    enum class Look { Raised, StatusBar };

    Panel(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height, COLORREF background,
          HFONT font, Look look = Look::Raised);
    ~Panel() override { Destroy(); }

    std::wstring Caption() const;
    void SetCaption(std::wstring_view caption);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    COLORREF background_;
    HFONT font_;
    Look look_;
};

}  // namespace orbelune
