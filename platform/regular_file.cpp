// Apart from the rest of paths.h, so that readers built alone (the fuzz targets) can ask
// without the text conversions.
#include <sys/stat.h>

#include "platform/paths.h"

namespace platform {

bool IsRegularFile(const std::string& nativePath) {
  struct stat status;
  return ::stat(nativePath.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace platform
