// The program's three windows as the tests reach them: found among this
// thread's windows by their class, while the window set exists; else nullptr.
// The program itself never reaches a window this way.
#pragma once

namespace orbelune {

class MainWindow;
class LinkBrowser;
class IconPicker;

MainWindow* TheMainWindow() noexcept;
LinkBrowser* TheLinkBrowser() noexcept;
IconPicker* TheIconPicker() noexcept;

}  // namespace orbelune
