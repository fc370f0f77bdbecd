#include <gtest/gtest.h>
#include "framework/Application.h"
#include "tests/TestSupport.h"

std::vector<std::string>& ShownErrors() {
  static std::vector<std::string> v;
  return v;
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  TApplication app;
  app.SetTitle("Velmor");
  // A modal box would stop an unattended run; record what it would say instead.
  app.OnException = [](TObject*, const std::string& m) { ShownErrors().push_back(m); };
  return RUN_ALL_TESTS();
}
