#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "framework/Registry.h"
#include "tests/TestRegistry.h"

namespace {

// A root of the test's own, made afresh for every case.
class Registry : public ::testing::Test {
protected:
  void SetUp() override {
    root = FreshTestKey("Registry");
    ASSERT_TRUE(root);
    reg.SetRootKey(root.Get());
  }
  template <class F>
  std::string Raised(F&& f) {
    try {
      f();
    } catch (const ERegistryException& e) {
      return e.what();
    }
    return "(nothing raised)";
  }
  TRegKey root;
  TRegistry reg;
};

TEST_F(Registry, OpensWithOrWithoutCreating) {
  EXPECT_EQ(reg.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
  EXPECT_FALSE(reg.OpenKey("A\\B", false)) << "a missing key is not made";
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_FALSE(KeyExists(root.Get(), "A"));

  ASSERT_TRUE(reg.OpenKey("\\A\\B", true)) << "a leading backslash means the root";
  EXPECT_EQ(reg.CurrentPath(), "A\\B");
  reg.WriteInteger("n", 1);
  EXPECT_TRUE(KeyExists(root.Get(), "A\\B"));
  EXPECT_EQ(GetValue(root.Get(), "A\\B", "n")->Dword(), 1u);

  ASSERT_TRUE(reg.OpenKey("A\\B", false)) << "an existing key opens without creating";
  EXPECT_EQ(reg.ReadInteger("n"), 1);
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");

  ASSERT_TRUE(reg.OpenKey("A", false));
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_EQ(reg.CurrentKey(), nullptr) << "a new root closes the open key";
}

TEST_F(Registry, AFailedOpenLeavesNoKeyOpen) {
  ASSERT_TRUE(reg.OpenKey("A", true));
  reg.WriteInteger("n", 7);
  EXPECT_FALSE(reg.OpenKey("Missing", false));
  EXPECT_EQ(reg.CurrentKey(), nullptr) << "writes must not land in the key open before";
  EXPECT_EQ(Raised([&] { reg.WriteInteger("n", 8); }), "Failed to set data for 'n'");
  EXPECT_EQ(GetValue(root.Get(), "A", "n")->Dword(), 7u);
}

TEST_F(Registry, IntegersAndBooleansAreDwords) {
  ASSERT_TRUE(reg.OpenKey("K", true));
  reg.WriteInteger("neg", -3);
  reg.WriteBool("yes", true);
  reg.WriteBool("no", false);
  auto neg = GetValue(root.Get(), "K", "neg");
  EXPECT_EQ(neg->Type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(neg->Dword(), 0xFFFFFFFDu);
  EXPECT_EQ(reg.ReadInteger("neg"), -3);
  EXPECT_EQ(GetValue(root.Get(), "K", "yes")->Dword(), 1u);
  EXPECT_EQ(GetValue(root.Get(), "K", "no")->Dword(), 0u);
  PutDword(root.Get(), "K", "seven", 7);
  EXPECT_TRUE(reg.ReadBool("seven")) << "anything but 0 is on";
  EXPECT_FALSE(reg.ReadBool("no"));
}

TEST_F(Registry, IntegerReadsFailOnMissingOrOtherTypes) {
  ASSERT_TRUE(reg.OpenKey("K", true));
  PutString(root.Get(), "K", "text", "12");
  DWORD four = 4;
  PutRaw(root.Get(), "K", "binary", REG_BINARY, &four, sizeof(four));
  unsigned long long eight = 8;
  PutRaw(root.Get(), "K", "qword", REG_QWORD, &eight, sizeof(eight));
  PutRaw(root.Get(), "K", "short", REG_DWORD, &four, 2);
  EXPECT_EQ(Raised([&] { reg.ReadInteger("missing"); }), "Failed to get data for 'missing'");
  EXPECT_EQ(Raised([&] { reg.ReadInteger("text"); }), "Failed to get data for 'text'");
  EXPECT_EQ(Raised([&] { reg.ReadInteger("binary"); }), "Failed to get data for 'binary'");
  EXPECT_EQ(Raised([&] { reg.ReadInteger("qword"); }), "Failed to get data for 'qword'");
  EXPECT_EQ(Raised([&] { reg.ReadInteger("short"); }), "Failed to get data for 'short'");
  EXPECT_EQ(Raised([&] { reg.ReadBool("text"); }), "Failed to get data for 'text'");
}

TEST_F(Registry, TextReads) {
  ASSERT_TRUE(reg.OpenKey("K", true));
  reg.WriteString("plain", "Italiano.lng");
  auto plain = GetValue(root.Get(), "K", "plain");
  EXPECT_EQ(plain->Type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(plain->Data, std::string("Italiano.lng", 13)) << "stored with its NUL";
  EXPECT_EQ(reg.ReadString("plain"), "Italiano.lng");

  EXPECT_EQ(reg.ReadString("missing"), "") << "a missing text is empty, not a failure";
  reg.WriteString("empty", "");
  EXPECT_EQ(reg.ReadString("empty"), "");

  PutString(root.Get(), "K", "expand", "%WINDIR%\\x.lng", REG_EXPAND_SZ);
  EXPECT_EQ(reg.ReadString("expand"), "%WINDIR%\\x.lng") << "read as stored";

  PutRaw(root.Get(), "K", "unterminated", REG_SZ, "abc", 3);
  EXPECT_EQ(reg.ReadString("unterminated"), "abc");
  PutRaw(root.Get(), "K", "inner", REG_SZ, "ab\0cd", 6);
  EXPECT_EQ(reg.ReadString("inner"), "ab");
  std::string longText(5000, 'x');
  reg.WriteString("long", longText);
  EXPECT_EQ(reg.ReadString("long"), longText);

  PutDword(root.Get(), "K", "number", 5);
  EXPECT_EQ(Raised([&] { reg.ReadString("number"); }), "Failed to get data for 'number'");
  PutString(root.Get(), "K", "multi", std::string("a\0b\0", 4), REG_MULTI_SZ);
  EXPECT_EQ(Raised([&] { reg.ReadString("multi"); }), "Failed to get data for 'multi'");
}

TEST_F(Registry, WithNoKeyOpenEverythingFailsOrIsMissing) {
  EXPECT_EQ(Raised([&] { reg.ReadInteger("Soglia"); }), "Failed to get data for 'Soglia'");
  EXPECT_EQ(Raised([&] { reg.ReadString("Lingua"); }), "Failed to get data for 'Lingua'")
      << "no key is not the same as a missing text";
  EXPECT_EQ(Raised([&] { reg.WriteInteger("Soglia", 1); }), "Failed to set data for 'Soglia'");
  EXPECT_EQ(Raised([&] { reg.WriteBool("Beep", true); }), "Failed to set data for 'Beep'");
  EXPECT_EQ(Raised([&] { reg.WriteString("Velmor", "x"); }), "Failed to set data for 'Velmor'");
  EXPECT_FALSE(reg.ValueExists("Soglia"));
  EXPECT_FALSE(reg.DeleteValue("Soglia"));
}

TEST_F(Registry, ValuesExistAndAreDeleted) {
  ASSERT_TRUE(reg.OpenKey("K", true));
  EXPECT_FALSE(reg.ValueExists("v"));
  EXPECT_FALSE(reg.DeleteValue("v"));
  reg.WriteString("v", "x");
  EXPECT_TRUE(reg.ValueExists("v"));
  PutRaw(root.Get(), "K", "odd", REG_BINARY, "", 0);
  EXPECT_TRUE(reg.ValueExists("odd")) << "of any type";
  EXPECT_TRUE(reg.DeleteValue("v"));
  EXPECT_FALSE(reg.ValueExists("v"));
  EXPECT_FALSE(GetValue(root.Get(), "K", "v"));
}

TEST_F(Registry, TheSystemRefusesWritesWithoutTheRight) {
  // A key opened for reading only: the system itself turns the write down.
  TRegistry readOnly(KEY_READ);
  readOnly.SetRootKey(root.Get());
  PutDword(root.Get(), "K", "n", 1);
  ASSERT_TRUE(readOnly.OpenKey("K", false));
  EXPECT_EQ(Raised([&] { readOnly.WriteInteger("n", 2); }), "Failed to set data for 'n'");
  EXPECT_EQ(Raised([&] { readOnly.WriteString("s", "x"); }), "Failed to set data for 's'");
  EXPECT_EQ(GetValue(root.Get(), "K", "n")->Dword(), 1u);

  // A key whose access list lets everyone only read cannot be opened with full access at all.
  ASSERT_TRUE(SetKeyReadOnly(root.Get(), "K", true));
  EXPECT_FALSE(reg.OpenKey("K", false));
  EXPECT_FALSE(reg.OpenKey("K", true)) << "creating an existing key is opening it";
  EXPECT_TRUE(readOnly.OpenKey("K", false));
  EXPECT_EQ(readOnly.ReadInteger("n"), 1);
  ASSERT_TRUE(SetKeyReadOnly(root.Get(), "K", false));
  EXPECT_TRUE(reg.OpenKey("K", false));
}

TEST(RegKey, OwnsItsHandleAndNeverAPredefinedRoot) {
  TRegKey root = FreshTestKey("RegKey");
  TRegKey a = TRegKey::Open(root.Get(), "", KEY_READ);
  ASSERT_TRUE(a);
  HKEY h = a.Get();
  TRegKey b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(b.Get(), h);
  b.Reset();
  EXPECT_FALSE(b);
  EXPECT_EQ(RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr), ERROR_INVALID_HANDLE) << "closed";
  LONG error = 0;
  EXPECT_FALSE(TRegKey::Open(root.Get(), "Missing", KEY_READ, &error));
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(TRegKey::Open(nullptr, "Software", KEY_READ));
  { TRegKey predefined(HKEY_CURRENT_USER); }
  EXPECT_TRUE(TRegKey::Open(HKEY_CURRENT_USER, "Software", KEY_READ)) << "the predefined root still works";
}

}  // namespace
