#include "platform/byte_stream.h"

#include "platform/failure.h"

namespace orbelune {

namespace {

constexpr wchar_t kCannotCreate[] = L"ファイル %s を作成できません";
constexpr wchar_t kCannotWrite[] = L"ファイル %s に書き込めません";

// What comes before a path's name: its folder, or a drive ("C:" of a name
// relative to that drive's current folder), or nothing.
std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/:") + 1); }

// A target the save never replaces: a folder or a read-only file, which
// Windows refuses to replace, and a hidden or system file, over which it
// refuses to create a file. Wine running as root replaces them all, so the
// program asks itself, before it writes and again just before the replace.
void RefuseProtectedTarget(const std::wstring& target) {
    constexpr DWORD kProtected =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kProtected)) Fail(kCannotCreate, target);
}

}  // namespace

ReplacingFileStream::ReplacingFileStream(const std::wstring& target) : target_(target) {
    RefuseProtectedTarget(target);
    static unsigned counter = 0;
    const std::wstring stem = FolderOf(target) + L"~orbelune-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_ = stem + std::to_wstring(counter++) + L".tmp";
        file_.Reset(::CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    }
    if (!file_) Fail(kCannotCreate, target);
}

// Once committed the new file has taken the target's name: nothing is left
// under its own.
ReplacingFileStream::~ReplacingFileStream() {
    file_.Reset();
    ::DeleteFileW(temporary_.c_str());
}

void ReplacingFileStream::Write(const void* data, std::size_t size) {
    DWORD written = 0;
    if (!::WriteFile(file_.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        Fail(kCannotWrite, target_);
}

void ReplacingFileStream::Commit() {
    if (!::FlushFileBuffers(file_.Get())) Fail(kCannotWrite, target_);
    file_.Reset();
    RefuseProtectedTarget(target_);
    if (!::MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(kCannotCreate, target_);
}

}  // namespace orbelune
