#pragma once

#include <unistd.h>

#include <boost/filesystem.hpp>
#include <fstream>
#include <iterator>
#include <string>

namespace testing_support {

// A fresh working directory holding an empty data/ folder, entered for the life of the
// object: the engine resolves its files against the working directory.
class ScratchDir {
 public:
  ScratchDir() : previous(boost::filesystem::current_path()) {
    root = boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("neblu-test-%%%%-%%%%-%%%%");
    boost::filesystem::create_directories(root / "data");
    boost::filesystem::current_path(root);
  }
  ~ScratchDir() {
    boost::system::error_code ignored;
    boost::filesystem::current_path(previous, ignored);
    boost::filesystem::remove_all(root, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string Path(const std::string& relative) const { return (root / relative).string(); }

  // Makes the folders on the way.
  void Write(const std::string& relative, const std::string& bytes) const {
    boost::filesystem::create_directories((root / relative).parent_path());
    std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::string Read(const std::string& relative) const { return ReadFile(Path(relative)); }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  bool Exists(const std::string& relative) const { return boost::filesystem::exists(root / relative); }

 private:
  boost::filesystem::path previous;
  boost::filesystem::path root;
};

}  // namespace testing_support
