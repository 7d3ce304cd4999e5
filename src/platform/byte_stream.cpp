#include "platform/byte_stream.h"

#include "platform/failure.h"

namespace orbelune {

FileStream::FileStream(const std::wstring& path)
    : path_(path),
      file_(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file_) Fail(L"ファイル %s を作成できません", path);
}

void FileStream::Write(const void* data, std::size_t size) {
    DWORD written = 0;
    if (!::WriteFile(file_.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        Fail(L"ファイル %s に書き込めません", path_);
}

}  // namespace orbelune
