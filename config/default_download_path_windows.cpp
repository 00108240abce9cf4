#include "config/config_file.h"
#include "config/default_download_path.h"

namespace velnook {

std::string DefaultDownloadPath(FileSystem&, Process&) {
  return ConfigValues{}.DPath;
}

}  // namespace velnook
