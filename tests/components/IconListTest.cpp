#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include "components/IcoList.h"
#include "framework/Gdi.h"

namespace {

TBytes Resource(const char* name) {
  HMODULE m = GetModuleHandleA(nullptr);
  HRSRC r = FindResourceA(m, name, MAKEINTRESOURCEA(10));
  if (!r) return {};
  auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(m, r)));
  return TBytes(p, p + SizeofResource(m, r));
}

void PutInt(TBytes& b, int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((uint8_t)(((uint32_t)v >> (8 * i)) & 0xFF));
}

// The stored form of the given entries (an empty vector: an entry of size 0).
TBytes Stored(const std::vector<TBytes>& entries, std::vector<int32_t> sizes = {}) {
  TBytes out;
  PutInt(out, (int32_t)entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    PutInt(out, i < sizes.size() ? sizes[i] : (int32_t)entries[i].size());
    out.insert(out.end(), entries[i].begin(), entries[i].end());
  }
  return out;
}

// The icon file of the first frame of the program's animation list.
TBytes WarningIcon() {
  TBytes all = Resource("TI_ICONS");
  int32_t n;
  std::memcpy(&n, all.data() + 4, 4);
  return TBytes(all.begin() + 8, all.begin() + 8 + n);
}

struct Counted {
  int changes = 0;
  TIconList list{[this](TObject*) { ++changes; }};
};

TEST(IconListStorage, TheProgramsAnimationListReadsAndWritesBackUnchanged) {
  TBytes stored = Resource("TI_ICONS");
  // Count 2, then two icon files of 7366 bytes after their sizes. Each holds a 6-byte header, four
  // 16-byte entries and a 24-bit image of 32 (3240 bytes), 24 (1864), 20 (1320) and 16 (872).
  ASSERT_EQ(stored.size(), 14744u);
  int32_t head[2], second;
  std::memcpy(head, stored.data(), 8);
  std::memcpy(&second, stored.data() + 8 + 7366, 4);
  EXPECT_EQ(head[0], 2);
  EXPECT_EQ(head[1], 7366);
  EXPECT_EQ(second, 7366);
  Counted c;
  c.list.ReadData(stored);
  EXPECT_EQ(c.changes, 1) << "the whole read is one change";
  ASSERT_EQ(c.list.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    ASSERT_NE(c.list.Item(i), nullptr);
    EXPECT_EQ(c.list.Item(i)->Width(), 32);
    EXPECT_EQ(c.list.Item(i)->Height(), 32);
  }
  EXPECT_EQ(c.list.WriteData(), stored);
  // At each small-icon size (96 to 192 DPI) the image drawn for it; between them the next larger.
  for (int size : {16, 20, 24, 32, 18}) {
    TIconList sized;
    sized.SetIconSize(size);
    sized.ReadData(stored);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(sized.Item(i)->Width(), size) << i;
      EXPECT_EQ(sized.Item(i)->Height(), size) << i;
    }
    EXPECT_EQ(sized.WriteData(), stored) << size << ": the stored form is what was read";
  }
}

TEST(IconListStorage, TheFramesAreAYellowTriangleAndAnEmptyFrame) {
  TIconList list;
  list.ReadData(Resource("TI_ICONS"));
  auto draw = [&](int i, COLORREF back, int x, int y) {
    gdi::Dib dib(32, 32);
    RECT r{0, 0, 32, 32};
    gdi::Brush b(CreateSolidBrush(back));
    FillRect(dib.DC(), &r, b);
    DrawIconEx(dib.DC(), 0, 0, list.Item(i)->Handle(), 32, 32, 0, nullptr, DI_NORMAL);
    return dib.Pixel(x, y);
  };
  EXPECT_EQ(draw(0, RGB(0, 0, 255), 8, 26), RGB(255, 210, 0)) << "yellow inside the triangle";
  EXPECT_EQ(draw(0, RGB(0, 0, 255), 16, 15), RGB(0, 0, 0)) << "the exclamation mark";
  EXPECT_EQ(draw(0, RGB(0, 0, 255), 1, 1), RGB(0, 0, 255)) << "see-through outside it";
  for (int y = 0; y < 32; y += 5)
    for (int x = 0; x < 32; x += 5) EXPECT_EQ(draw(1, RGB(10, 200, 30), x, y), RGB(10, 200, 30)) << x << "," << y;
}

TEST(IconListStorage, SizesOfZeroOrLessGiveEmptyEntries) {
  TBytes ico = WarningIcon();
  Counted c;
  c.list.ReadData(Stored({{}, {}, ico}, {0, -7, (int32_t)ico.size()}));
  ASSERT_EQ(c.list.Count(), 3);
  EXPECT_EQ(c.list.Item(0), nullptr);
  EXPECT_EQ(c.list.Item(1), nullptr);
  ASSERT_NE(c.list.Item(2), nullptr);
  EXPECT_EQ(c.list.WriteData(), Stored({{}, {}, ico})) << "empty entries are written with size 0";
  c.list.ReadData(Stored({}, {}));
  EXPECT_EQ(c.list.Count(), 0);
  TBytes negative;
  PutInt(negative, -3);
  c.list.ReadData(negative);
  EXPECT_EQ(c.list.Count(), 0) << "a negative count reads no entries";
}

TEST(IconListStorage, ADamagedImageFailsTheReadAndLeavesTheListEmpty) {
  TBytes good = WarningIcon();
  auto damaged = [&](size_t at, uint8_t v) {
    TBytes b = good;
    b[at] = v;
    return b;
  };
  std::vector<std::pair<const char*, TBytes>> cases = {
      {"not an icon file", TBytes{'B', 'M', 0, 0, 0, 0, 0, 0}},
      {"no images", TBytes{0, 0, 1, 0, 0, 0}},
      {"image beyond the end", damaged(18, 0xF0)},
      {"unknown colour depth", damaged(22 + 14, 7)},
      {"height not twice the width", damaged(22 + 8, 33)},
      {"rows cut short", TBytes(good.begin(), good.end() - 100)},
  };
  for (auto& [what, ico] : cases) {
    Counted c;
    c.list.ReadData(Stored({good}));
    c.changes = 0;
    try {
      c.list.ReadData(Stored({good, ico}));
      ADD_FAILURE() << what << ": read without an error";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Icon image is not valid") << what;
    }
    EXPECT_EQ(c.list.Count(), 0) << what;
    EXPECT_EQ(c.changes, 1) << what;
  }
}

TEST(IconListStorage, DataThatEndsEarlyIsAReadError) {
  TBytes good = Stored({WarningIcon()});
  for (size_t cut : {size_t(0), size_t(3), size_t(6), good.size() - 1}) {
    TIconList list;
    try {
      list.ReadData(TBytes(good.begin(), good.begin() + cut));
      ADD_FAILURE() << "cut at " << cut;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Stream read error") << cut;
    }
    EXPECT_EQ(list.Count(), 0);
  }
  TIconList list;
  EXPECT_THROW(list.ReadResource(GetModuleHandleA(nullptr), "NO_SUCH_LIST"), Exception);
}

TEST(IconListStorage, IconsFromHandlesAreStoredAsIconFiles) {
  TIconList list;
  list.AddResource(GetModuleHandleA(nullptr), "MAINICON");
  list.AddResource(nullptr, MAKEINTRESOURCEA(32512) /* IDI_APPLICATION */);
  TIconList copy;
  copy.ReadData(list.WriteData());
  ASSERT_EQ(copy.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    ASSERT_NE(copy.Item(i), nullptr);
    EXPECT_EQ(copy.Item(i)->Width(), list.Item(i)->Width());
    EXPECT_EQ(copy.Item(i)->Height(), list.Item(i)->Height());
  }
  gdi::Dib a(32, 32), b(32, 32);
  DrawIconEx(a.DC(), 0, 0, list.Item(0)->Handle(), 32, 32, 0, nullptr, DI_NORMAL);
  DrawIconEx(b.DC(), 0, 0, copy.Item(0)->Handle(), 32, 32, 0, nullptr, DI_NORMAL);
  int differ = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) differ += a.Pixel(x, y) != b.Pixel(x, y);
  EXPECT_EQ(differ, 0) << "the stored copy draws like the original";
}

TEST(IconListChanges, NestedLocksReportOneChange) {
  Counted c;
  c.list.LockChanges();
  c.list.LockChanges();
  c.list.Add(new TIcon);
  c.list.Add(nullptr);
  c.list.UnlockChanges();
  EXPECT_EQ(c.changes, 0);
  c.list.Delete(0);
  c.list.UnlockChanges();
  EXPECT_EQ(c.changes, 1);
  c.list.UnlockChanges();  // one too many changes nothing
  EXPECT_EQ(c.changes, 1);
  c.list.Add(nullptr);
  EXPECT_EQ(c.changes, 2);
}

TEST(IconListChanges, EveryOperationReportsAndAChangedIconToo) {
  Counted c;
  TIconList source;
  source.ReadData(Resource("TI_ICONS"));
  auto* a = new TIcon;
  c.list.Add(a);
  c.list.AddCopy(source.Item(0));
  c.list.Insert(0, nullptr);
  EXPECT_EQ(c.list.IndexOf(a), 1);
  c.list.Exchange(0, 2);
  EXPECT_EQ(c.list.IndexOf(a), 1);
  EXPECT_EQ(c.list.Item(2), nullptr);
  c.list.Move(2, 0);
  EXPECT_EQ(c.list.Item(0), nullptr);
  EXPECT_EQ(c.list.IndexOf(a), 2);
  c.list.Put(2, source.Item(1));
  EXPECT_EQ(c.list.IndexOf(a), -1) << "replaced by a copy";
  c.list.Put(3, source.Item(1));
  EXPECT_EQ(c.list.Count(), 4);
  EXPECT_EQ(c.changes, 7);
  c.list.Item(3)->Clear();
  EXPECT_EQ(c.changes, 8) << "an icon of the list reports its own change";
  c.list.Assign(&source);
  EXPECT_EQ(c.changes, 9);
  EXPECT_EQ(c.list.Count(), 2);
  EXPECT_NE(c.list.Item(0), source.Item(0)) << "copies, not the same objects";
  c.list.Assign(source.Item(1));
  EXPECT_EQ(c.list.Count(), 1);
  c.list.Assign(static_cast<const TIconList*>(nullptr));
  EXPECT_EQ(c.list.Count(), 0);
  EXPECT_EQ(c.changes, 11);
  try {
    c.list.Delete(5);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  EXPECT_THROW(c.list.Item(-1), Exception);
  EXPECT_THROW(c.list.Insert(1, nullptr), Exception);
  EXPECT_EQ(c.changes, 11);
}

}  // namespace
