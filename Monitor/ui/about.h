// The About box: its caption, its text (the product, the version of this
// build and the maker's lines) and the two pictures it shows.
#ifndef KELVORA_MONITOR_UI_ABOUT_H_
#define KELVORA_MONITOR_UI_ABOUT_H_

#include <string>

namespace kelvora {

struct AboutBox {
  std::string caption;  // the dialog's title
  std::string text;     // about_id::kText, lines ended by CR LF
  std::string version;  // of this build
  std::string banner;   // about_id::kBanner: a file under the page's pictures
  std::string picture;  // about_id::kPicture
};

AboutBox AboutKelvora();

}  // namespace kelvora

#endif  // KELVORA_MONITOR_UI_ABOUT_H_
