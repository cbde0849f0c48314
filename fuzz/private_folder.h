#pragma once

// A private working folder for targets whose reader opens files relative to the working
// folder (templates under data/): each input runs inside it, and between inputs the
// fuzzer's own folder is current again, where the corpus paths it was given are
// relative to. The folder goes when the process exits.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fuzzing {

inline bool WriteFile(const char* path, const void* data, size_t size) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

inline bool WriteText(const char* path, const std::string& text) { return WriteFile(path, text.data(), text.size()); }

class PrivateFolder {
 public:
  // Makes /tmp/<prefix>XXXXXX with a data/ folder inside and makes it current. A crash
  // would be written out while it is current: unless told otherwise, the fuzzer is told
  // to put crash inputs where it was started.
  void Create(const char* prefix, int* argc, char*** argv) {
    DefaultArtifactPrefix(argc, argv);
    fuzzerFolder_ = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    path_ = std::string("/tmp/") + prefix + "XXXXXX";
    if (fuzzerFolder_ < 0 || !mkdtemp(&path_[0]) || chdir(path_.c_str()) != 0 ||
        std::filesystem::create_directory("data") == false) {
      Die("cannot make its working folder");
    }
    Instance() = this;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Instance()->path_, ignored);
    });
  }

  // Called once the fixed files are written: leaves the private folder for the fuzzer's.
  void Ready() {
    privateFolder_ = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (privateFolder_ < 0 || fchdir(fuzzerFolder_) != 0) Die("cannot switch folders");
  }

  void Enter() const {
    if (fchdir(privateFolder_) != 0) std::abort();
  }
  void Leave() const {
    if (fchdir(fuzzerFolder_) != 0) std::abort();
  }

  static void Die(const char* what) {
    std::perror(what);
    std::abort();
  }

 private:
  static PrivateFolder*& Instance() {
    static PrivateFolder* instance = nullptr;
    return instance;
  }

  static void DefaultArtifactPrefix(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
      if (std::strncmp((*argv)[i], "-artifact_prefix=", 17) == 0) return;
    }
    char* here = getcwd(nullptr, 0);
    if (!here) return;
    static std::string prefix;
    prefix = std::string("-artifact_prefix=") + here + "/";
    std::free(here);
    static std::vector<char*> arguments;
    arguments.assign(*argv, *argv + *argc);
    arguments.push_back(&prefix[0]);
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
  }

  int fuzzerFolder_ = -1;
  int privateFolder_ = -1;
  std::string path_;
};

}  // namespace fuzzing
