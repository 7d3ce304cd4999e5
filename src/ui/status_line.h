// A status bar with one text area across its whole width, in a colour of
// its own. (The common status bar drops its colour under visual styles.)
#pragma once

#include "app/window.h"

namespace orbelune {

class StatusLine final : public Window {
public:
    StatusLine(HWND parent, int id, int x, int y, int width, int height, COLORREF background, HFONT font);
    ~StatusLine() override { Destroy(); }

    std::wstring Text() const;
    void SetText(std::wstring_view text);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF background_;
    HFONT font_;
};

}  // namespace orbelune
