#pragma once

// A fresh folder under the temporary directory that is the working directory
// while a test runs; the previous working directory comes back and the folder
// goes away when the test ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace talvenor {

/// A test fixture whose working directory is a new, empty scratch folder.
class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("talvenor-system-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
  }

  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  const std::filesystem::path& folder() const { return folder_; }

  /// The whole content of `name` in the scratch folder; empty when it does not exist.
  static std::string read(const std::filesystem::path& name) {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path folder_;
  std::filesystem::path previous_;
};

}  // namespace talvenor
