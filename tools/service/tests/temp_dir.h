#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// A fresh directory under /tmp, removed with its files when the holder goes.
class TempDir {
public:
  TempDir() {
    char pattern[] = "/tmp/invoice-service-test-XXXXXX";
    if (mkdtemp(pattern))
      path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty())
      std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }

private:
  std::string path_;
};
