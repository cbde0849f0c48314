#include "tools/gltf2demo/gltfLoad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tiny_gltf.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <sstream>
#include <utility>

#include "tools/gltf2demo/gltfError.h"

namespace gltf2demo {

namespace {

constexpr char NotVersion2[] = "export glTF 2.0";

// Images are kept as the file's bytes, not decoded: they are written out as they are. An
// image in a buffer view is left to the texture code, which checks the view's range
// (the reader hands its bytes over without doing so).
bool KeepImage(tinygltf::Image* image, const int, std::string*, std::string*, int, int, const unsigned char* bytes, int size,
               void*) {
  image->as_is = true;
  if (image->bufferView < 0 && bytes && size > 0) image->image.assign(bytes, bytes + size);
  return true;
}

// The reader's messages end in line breaks and may hold several lines.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string NotAFile(mode_t mode) {
  const char* kind = S_ISDIR(mode)                    ? "a folder"
                     : S_ISFIFO(mode)                 ? "a FIFO"
                     : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                     : S_ISSOCK(mode)                 ? "a socket"
                                                      : nullptr;
  return kind ? std::string("it is ") + kind + ", not a regular file" : "it is not a regular file";
}

// The bytes of the regular file at `path`. Anything else is refused before a byte is
// read: a FIFO or a device would block or never end, a folder reads as an error. The
// file is opened without blocking, so that a FIFO cannot stop the open itself. Returns
// the problem, or an empty string; `missing` says whether nothing is there at all.
std::string ReadRegularFile(const std::string& path, std::string* bytes, bool* missing = nullptr) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (missing) *missing = fd < 0 && errno == ENOENT;
  if (fd < 0) return std::strerror(errno);
  struct stat info;
  std::string problem;
  if (fstat(fd, &info) != 0) {
    problem = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    problem = NotAFile(info.st_mode);
  } else if (static_cast<std::uint64_t>(info.st_size) > std::numeric_limits<unsigned int>::max()) {
    problem = "it is larger than the glTF reader takes (4 GiB)";
  } else {
    bytes->clear();
    bytes->reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        problem = std::strerror(errno);
        break;
      }
      bytes->append(buffer, static_cast<std::size_t>(got));
      if (bytes->size() > std::numeric_limits<unsigned int>::max()) {
        problem = "it is larger than the glTF reader takes (4 GiB)";
        break;
      }
    }
  }
  close(fd);
  return problem;
}

// The files a scene names (buffers, images), read through the same door as the scene.
struct ExternalFiles {
  std::string folder;  // the scene's, as the reader joins it to each URI
  // Each file that could not be read, by the path the reader knows it by, with the
  // message that names it by its URI.
  std::vector<std::pair<std::string, std::string>> unread;
};

bool Exists(const std::string& path, void*) {
  // Anything there counts: what it is, ReadExternal says.
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string AsIs(const std::string& path, void*) { return path; }

bool ReadExternal(std::vector<unsigned char>* out, std::string* error, const std::string& path, void* user) {
  auto* files = static_cast<ExternalFiles*>(user);
  std::string bytes;
  const std::string problem = ReadRegularFile(path, &bytes);
  if (!problem.empty()) {
    const std::string prefix = files->folder + "/";
    const std::string uri = path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
    *error = problem;
    files->unread.emplace_back(path, "the file '" + uri + "' that it names cannot be read: " + problem);
    return false;
  }
  out->assign(bytes.begin(), bytes.end());
  return true;
}

bool NoWriting(std::string* error, const std::string&, const std::vector<unsigned char>&, void*) {
  *error = "gltf2demo writes no files through the reader";
  return false;
}

// Refuses what is not glTF 2.0 with a message that says so: the reader takes a glTF 1.0
// file without complaint and finds nothing in it that 2.0 names (its objects are keyed
// by name, not listed), so it would become an empty scene.
void CheckVersion(const std::string& version) {
  if (version.empty())
    throw GltfError(std::string("names no glTF version (its asset.version is missing or not text); ") + NotVersion2);
  const std::string major = version.substr(0, version.find('.'));
  if (major == "2") return;
  if (major == "1") throw GltfError(std::string("glTF 1.0 is not supported; ") + NotVersion2);
  throw GltfError("glTF " + version + " is not supported; " + NotVersion2);
}

}  // namespace

void LoadGltf(const std::string& path, tinygltf::Model* model, std::vector<std::string>* warnings) {
  std::string bytes;
  bool missing = false;
  const std::string problem = ReadRegularFile(path, &bytes, &missing);
  if (missing) throw GltfError("cannot be opened");
  if (!problem.empty()) throw GltfError("cannot be read: " + problem);
  if (bytes.empty()) throw GltfError("is empty, not a glTF file");
  const std::size_t slash = path.find_last_of('/');
  ExternalFiles files;
  files.folder = slash == std::string::npos ? "." : path.substr(0, slash);

  const bool binary = bytes.compare(0, 4, "glTF") == 0;
  // A binary file says its version in its header; version 1 had a layout of its own.
  if (binary && bytes.size() >= 8 && static_cast<unsigned char>(bytes[4]) == 1 && bytes[5] == 0 && bytes[6] == 0 &&
      bytes[7] == 0)
    CheckVersion("1");

  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(KeepImage, nullptr);
  loader.SetFsCallbacks({Exists, AsIs, ReadExternal, NoWriting, &files});
  std::string error, warning;
  bool loaded = false;
  // The version is checked here rather than by the reader, whose message would not say
  // which version the file has; so it is made empty first, as the reader leaves it where
  // the file has none.
  model->asset.version.clear();
  try {
    if (binary) {
      loaded = loader.LoadBinaryFromMemory(model, &error, &warning, reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<unsigned int>(bytes.size()), files.folder, 0);
    } else {
      loaded = loader.LoadASCIIFromString(model, &error, &warning, bytes.data(), static_cast<unsigned int>(bytes.size()),
                                          files.folder, 0);
    }
  } catch (const std::exception& e) {
    throw GltfError(std::string("is not a glTF file the reader accepts: ") + e.what());
  }
  if (!loaded) {
    // A file the scene needs: said by its URI rather than in the reader's words.
    for (const auto& unread : files.unread) {
      if (error.find(unread.first) != std::string::npos) throw GltfError(unread.second);
    }
    std::string reason;
    for (const std::string& line : Lines(error)) reason += (reason.empty() ? "" : "; ") + line;
    throw GltfError("is not a glTF file the reader accepts: " + (reason.empty() ? "no reason given" : reason));
  }
  CheckVersion(model->asset.version);
  for (const std::string& line : Lines(warning)) warnings->push_back(line);
}

}  // namespace gltf2demo
