// The library as another program would use it: loaded at run time and its
// SCREEN and SCROLL found by their plain C names.
#include <dlfcn.h>

#include "gtest/gtest.h"

namespace {

TEST(CLinkage, ScreenAndScrollAreFoundByTheirNamesAndAnswer) {
  void* library = dlopen(KELVORA_FUNCTIONS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  using ScreenFunction = unsigned char (*)(short*, int*, int*, int*, int*, int*);
  using ScrollFunction = void (*)();
  auto screen = reinterpret_cast<ScreenFunction>(dlsym(library, "SCREEN"));
  auto scroll = reinterpret_cast<ScrollFunction>(dlsym(library, "SCROLL"));
  ASSERT_NE(screen, nullptr);
  ASSERT_NE(scroll, nullptr);
  short mode = 0;
  int width = 1920, height = 1080, depth = 8, columns = 0, rows = 0;
  EXPECT_EQ(screen(&mode, &width, &height, &depth, &columns, &rows), 21);
  EXPECT_EQ(mode, 21);
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(rows, 64);
  mode = 0;
  width = 300;
  EXPECT_EQ(screen(&mode, &width, &height, &depth, &columns, &rows), 0);
  EXPECT_EQ(screen(nullptr, &width, &height, &depth, &columns, &rows), 0);
  // Without a terminal there is no key and no page to stop at: it returns.
  scroll();
  scroll();
  dlclose(library);
}

}  // namespace
