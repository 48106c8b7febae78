// The DLL's load notification, called directly: the test programs link the
// library's objects and are never notified themselves.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID);

namespace {

std::string CurrentLocale() {
  return std::setlocale(LC_ALL, nullptr);
}

class LibraryLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    userDefault_ = std::setlocale(LC_ALL, "");
    std::setlocale(LC_ALL, "C");
  }
  void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

  std::string saved_ = CurrentLocale();
  std::string userDefault_;
};

TEST_F(LibraryLoadTest, ProcessAttachSelectsTheUsersDefaultLocale) {
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(CurrentLocale(), userDefault_);
}

TEST_F(LibraryLoadTest, OtherNotificationsChangeNothing) {
  for (DWORD reason : {DLL_PROCESS_DETACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH}) {
    EXPECT_EQ(DllMain(nullptr, reason, nullptr), TRUE) << reason;
    EXPECT_EQ(CurrentLocale(), "C") << reason;
  }
}

}  // namespace
