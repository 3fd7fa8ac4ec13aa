#include "tempdir.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {
std::atomic<unsigned> g_counter{0};

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = dir + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(dir.c_str());
}
}  // namespace

ScopedWorkDir::ScopedWorkDir()
{
    wchar_t buf[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, buf);
    std::wstringstream name;
    name << buf << L"moravel-test-" << GetCurrentProcessId() << L"-" << g_counter++;
    m_path = name.str();
    RemoveTree(m_path);
    CreateDirectoryW(m_path.c_str(), nullptr);
    wchar_t prev[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, prev);
    m_previous = prev;
    SetCurrentDirectoryW(m_path.c_str());
}

ScopedWorkDir::~ScopedWorkDir()
{
    SetCurrentDirectoryW(m_previous.c_str());
    RemoveTree(m_path);
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
