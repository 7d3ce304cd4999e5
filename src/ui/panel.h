// A panel: a bordered area with a centred caption and children of its own.
#pragma once

#include "app/window.h"

namespace orbelune {

class Panel final : public Window {
public:
    // A child of `parent` with a single-line border and a raised bevel.
    Panel(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height, COLORREF background,
          HFONT font);
    ~Panel() override { Destroy(); }

    std::wstring Caption() const;
    void SetCaption(std::wstring_view caption);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF background_;
    HFONT font_;
};

}  // namespace orbelune
