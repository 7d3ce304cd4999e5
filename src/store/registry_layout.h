// Every registry key and value name that Orbelune reads or writes.
// Paths begin with "\" so that they start at the root of the hive.
#pragma once

namespace orbelune::layout {

// Internet Explorer's keys (current user).
inline constexpr wchar_t kExtensionsKey[] = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";
inline constexpr wchar_t kExtensionKeyPrefix[] = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\";
inline constexpr wchar_t kCmdMappingKey[] = L"\\Software\\Microsoft\\Internet Explorer\\Extensions\\CmdMapping";
inline constexpr wchar_t kTypedUrlsKey[] = L"\\Software\\Microsoft\\Internet Explorer\\TypedURLs";
inline constexpr wchar_t kShellFoldersKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Orbelune's own catalogue (current user).
inline constexpr wchar_t kCatalogueKey[] = L"\\Software\\Tollivern";

// The uninstall entry written by the installer (local machine).
inline constexpr wchar_t kUninstallKey[] = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vesk";

// Command-mapping key.
inline constexpr wchar_t kNextId[] = L"NextId";

// Extension key values, in the order they are written.
inline constexpr wchar_t kButtonText[] = L"ButtonText";
inline constexpr wchar_t kClsid[] = L"CLSID";
inline constexpr wchar_t kExec[] = L"Exec";
inline constexpr wchar_t kIcon[] = L"Icon";
inline constexpr wchar_t kHotIcon[] = L"HotIcon";
// The class that makes Internet Explorer run the Exec target.
inline constexpr wchar_t kExecClsid[] = L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";

// Catalogue values.
inline constexpr wchar_t kButtonDat[] = L"ButtonDat";
inline constexpr wchar_t kButtonNumPrefix[] = L"ButtonNum";
inline constexpr wchar_t kNextIdDef[] = L"NextIdDef";
inline constexpr wchar_t kCmdCount[] = L"CmdCount";
inline constexpr wchar_t kAppPath[] = L"AppPath";

// Uninstall key value and the uninstaller's file name.
inline constexpr wchar_t kUninstallString[] = L"UninstallString";
inline constexpr wchar_t kUninstallerFile[] = L"vesk_uninst.exe";

// Shell folders and typed addresses.
inline constexpr wchar_t kFavorites[] = L"Favorites";
inline constexpr wchar_t kTypedUrlPrefix[] = L"url";
inline constexpr int kTypedUrlCount = 26;

// The icon folder is AppPath followed directly by this.
inline constexpr wchar_t kIconFolderName[] = L"icon";
// The program's file, which AppPath names the folder of.
inline constexpr wchar_t kProgramFile[] = L"Orbelune.exe";

}  // namespace orbelune::layout
