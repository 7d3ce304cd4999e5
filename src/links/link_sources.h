// Where a button's link target comes from, with no window: the Internet
// shortcuts of the Favorites folder, the addresses typed into Internet
// Explorer's address bar (both named in the registry), and a file the user
// hands over. The link-target browser lists the first two; the browser's
// choice of a favourite and a file dropped onto the main window both become
// a link by LinkFromFile.
#pragma once

#include "platform/registry.h"

#include <functional>
#include <string>
#include <vector>

namespace orbelune {

// The Favorites folder the shell's folders name; empty when they name none.
std::wstring ReadFavoritesFolder();

// The names of the Internet shortcuts (*.url) in a folder, neither hidden
// nor system files, in the order the folder lists them.
std::vector<std::wstring> FavoriteShortcuts(const std::wstring& folder);

// The addresses typed into Internet Explorer's address bar.
class TypedAddresses {
public:
    // Opens their key; false when there is none.
    bool Open();
    // Each address that is not empty, in the registry's order (url0 to
    // url25). A value that is no text ends the reading with a failure,
    // after the addresses before it.
    void ForEach(const std::function<void(const std::wstring& address)>& each) const;

private:
    Registry registry_;
};

// A link target and the name it gives a button.
struct Link {
    std::wstring target;
    std::wstring name;
};

// A file or folder as a link: an Internet shortcut stands for the address
// it holds, anything else for its path; the name is a folder's own name or
// a file's name without its extension.
Link LinkFromFile(const std::wstring& path);

}  // namespace orbelune
