// nblinfo FILE: loads a .nbl mesh the way the engine does and prints what it holds as one
// JSON object: counts, index stride, the streams in list order, the DataTypes values that
// have a type-map entry, and the range of the index values. On an error the engine's
// message goes to standard error and the exit status is 1.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/wrapper.h"
#include "platform/command_line.h"
#include "platform/paths.h"

// Its own usage text, not the demo program's switches.
PLATFORM_PROGRAM_HAS_ITS_OWN_HELP;

namespace {

using engine::gfx::LoadMesh;
namespace MeshData = engine::gfx::MeshData;

std::string JsonString(const std::string& text) {
  std::ostringstream out;
  out << '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out << '\\' << c;
    } else if (c < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      out << "\\u00" << kHex[c >> 4] << kHex[c & 15];
    } else {
      out << c;
    }
  }
  out << '"';
  return out.str();
}

std::string Describe(const LoadMesh& mesh) {
  std::ostringstream out;
  out << "{\"vertices\": " << mesh.NumVertices() << ", \"indices\": " << mesh.NumIndices()
      << ", \"indexStride\": " << mesh.IndexStride() << ", \"streams\": [";
  for (unsigned i = 0; i < mesh.NumData(); ++i) {
    const engine::gfx::PVData* stream = mesh.GetData(i);
    out << (i ? ", " : "") << "{\"name\": " << JsonString(stream->name) << ", \"format\": " << stream->format
        << ", \"semanticIndex\": " << stream->semanticIndex << "}";
  }
  out << "], \"available\": [";
  bool first = true;
  for (int type = MeshData::POSITION; type <= MeshData::BINORMAL; ++type) {
    if (!mesh.IsAvailable(static_cast<MeshData::DataTypes>(type))) continue;
    out << (first ? "" : ", ") << type;
    first = false;
  }
  std::uint32_t low = 0, high = 0;
  for (int k = 0; k < mesh.NumIndices(); ++k) {
    const std::uint32_t v = mesh.IndexStride() == 2 ? reinterpret_cast<const std::uint16_t*>(mesh.Indices())[k]
                                                    : reinterpret_cast<const std::uint32_t*>(mesh.Indices())[k];
    low = k == 0 ? v : std::min(low, v);
    high = k == 0 ? v : std::max(high, v);
  }
  out << "], \"indexMin\": " << low << ", \"indexMax\": " << high << "}";
  return out.str();
}

// Why `path` names something that is there but no file: the engine's reader opens what
// it is given, and a folder then fails inside the stream (an exception nobody expects)
// while a FIFO blocks it for ever. Empty when it is a file, or not there at all.
std::string NotAFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(platform::NativePath(path), error);
  if (error || !std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return "";
  switch (status.type()) {
    case std::filesystem::file_type::directory: return "a folder";
    case std::filesystem::file_type::fifo: return "a FIFO";
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character: return "a device";
    case std::filesystem::file_type::socket: return "a socket";
    default: return "a special file";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-help")) {
    std::cout << "usage: nblinfo FILE\n"
                 "Loads a .nbl mesh as the engine does and prints what it holds as one JSON object:\n"
                 "counts, index stride, the streams in order (the extension section's colours,\n"
                 "tangents and second texture set included), their data types and the range of the\n"
                 "index values. A file the engine refuses gives its message and exit status 1.\n";
    return 0;
  }
  if (argc != 2) {
    std::cerr << "usage: nblinfo FILE\n";
    return 2;
  }
  engine::Logging(false);
  const std::string notAFile = NotAFile(argv[1]);
  if (!notAFile.empty()) {
    std::cerr << argv[1] << " is " << notAFile << ", not a .nbl mesh\n";
    return 1;
  }
  try {
    const engine::gfx::LoadNBLMesh mesh(engine::core::ToWide(argv[1]));
    std::cout << Describe(mesh) << "\n";
  } catch (const engine::core::Exception& e) {
    std::cerr << engine::core::ToNarrow(e.GetText()) << "\n";
    return 1;
  } catch (const std::exception& e) {
    // A read that fails part way (an I/O error) comes out of the stream as this.
    std::cerr << argv[1] << " cannot be read: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
