#include "tools/gltf2demo/gltfLoad.h"

#include <tiny_gltf.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "tools/gltf2demo/gltfError.h"

namespace gltf2demo {

namespace {

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

}  // namespace

void LoadGltf(const std::string& path, tinygltf::Model* model, std::vector<std::string>* warnings) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw GltfError("cannot be opened");
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw GltfError("cannot be read");
  if (bytes.size() > std::numeric_limits<unsigned int>::max()) throw GltfError("is larger than the glTF reader takes (4 GiB)");
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);

  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(KeepImage, nullptr);
  std::string error, warning;
  bool loaded = false;
  try {
    if (bytes.compare(0, 4, "glTF") == 0) {
      loaded = loader.LoadBinaryFromMemory(model, &error, &warning, reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<unsigned int>(bytes.size()), folder);
    } else {
      loaded = loader.LoadASCIIFromString(model, &error, &warning, bytes.data(), static_cast<unsigned int>(bytes.size()), folder);
    }
  } catch (const std::exception& e) {
    throw GltfError(std::string("is not a glTF file the reader accepts: ") + e.what());
  }
  for (const std::string& line : Lines(warning)) warnings->push_back(line);
  if (!loaded) {
    std::string reason;
    for (const std::string& line : Lines(error)) reason += (reason.empty() ? "" : "; ") + line;
    throw GltfError("is not a glTF file the reader accepts: " + (reason.empty() ? "no reason given" : reason));
  }
}

}  // namespace gltf2demo
