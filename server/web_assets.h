// The files of the web page (resources/web), built into the program so that
// it serves its page from wherever it was copied.
#ifndef KELVORA_SERVER_WEB_ASSETS_H_
#define KELVORA_SERVER_WEB_ASSETS_H_

#include <string_view>
#include <vector>

namespace kelvora {

struct WebAsset {
  std::string_view path;  // "/index.html", "/js/main.js", ...
  std::string_view bytes;
};

// Every file of the page, sorted by path.
const std::vector<WebAsset>& WebAssets();

}  // namespace kelvora

#endif  // KELVORA_SERVER_WEB_ASSETS_H_
