#include "links/link_sources.h"

#include "links/internet_shortcut.h"
#include "links/shortcut_file.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "store/registry_layout.h"

#include <windows.h>

namespace orbelune {

std::wstring ReadFavoritesFolder() {
    Registry registry;
    if (!registry.OpenKey(layout::kShellFoldersKey, false)) return {};
    return registry.ReadString(layout::kFavorites);
}

std::vector<std::wstring> FavoriteShortcuts(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const UniqueFind find(::FindFirstFileW(JoinPath(folder, L"*.url").c_str(), &data));
    if (!find) return names;
    do {
        std::wstring name = data.cFileName;
        // Short 8.3 names match "*.url" for longer extensions too: the name
        // itself must end in ".url".
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        if (!EndsWithUrl(name)) continue;
        names.push_back(std::move(name));
    } while (::FindNextFileW(find.Get(), &data));
    return names;
}

bool TypedAddresses::Open() { return registry_.OpenKey(layout::kTypedUrlsKey, false); }

void TypedAddresses::ForEach(const std::function<void(const std::wstring& address)>& each) const {
    for (int i = 0; i < layout::kTypedUrlCount; ++i) {
        const std::wstring address = registry_.ReadString(layout::kTypedUrlPrefix + std::to_wstring(i));
        if (!address.empty()) each(address);
    }
}

Link LinkFromFile(const std::wstring& path) {
    if (IsFolder(path)) return {path, path.substr(path.find_last_of(L'\\') + 1)};
    return {EndsWithUrl(path) ? ReadInternetShortcut(path) : path, NameWithoutExtension(path)};
}

}  // namespace orbelune
