// Captions of a Japanese language file (code page 932) whose characters end in the bytes of "\"
// and "|"; the walks take the code page, so the table runs on a Western system too.
#include <gtest/gtest.h>
#include <string>
#include "components/TrayShell.h"
#include "framework/Classes.h"
#include "i18n/LangFiles.h"

namespace {
const std::string po = "\x83\x7C", so = "\x83\x5C", hyo = "\x95\x5C", kake = "\x8A\x7C", minus = "\x81\x7C";
const UINT sjis = 932, western = 1252;
std::string As(char c) { return c ? std::string(1, c) : "(none)"; }
std::string As(bool b) { return b ? "yes" : "no"; }
std::string As(size_t i) { return std::to_string(i); }
std::string Blanks(std::string s, UINT cp) { return TabsAsBlanks(s, cp); }
std::string A(int n) { return std::string(n, 'a'); }
}  // namespace

TEST(CodePages, EveryWalkOverACaptionStepsByCharacter) {
  const struct {
    const char* what;
    std::string got, want;
  } rows[] = {
      {"the tooltip ends at the real \"|\"", ShortHint(po + hyo + "|9 Mb", sjis), po + hyo},
      {"in a Western code page 0x7C is \"|\"", ShortHint(po + hyo + "|9 Mb", western), "\x83"},
      {"a tooltip of 63 bytes ending in a character", TooltipText(A(61) + po + "x", sjis), A(61) + po},
      {"a character across byte 63 goes whole", TooltipText(A(62) + po, sjis), A(62)},
      {"the balloon's text: 255", BalloonText(A(254) + so, sjis), A(254)},
      {"the balloon's title: 63", BalloonTitle(A(62) + kake, sjis), A(62)},
      {"an effect label's 255", std::string(CutToBytes(A(254) + minus, 255, sjis)), A(254)},
      {"a double-byte accelerator is no typed key", As(AcceleratorOf("&" + po, sjis)), "(none)"},
      {"\"&\" after a character ending in 0x5C", As(AcceleratorOf(so + "&x", sjis)), "x"},
      {"the real \"\\\" after ソ", As(FindCharIn(so + "\\x", '\\', 0, sjis)), "2"},
      {"a TAB reads as a blank", Blanks(kake + "\t" + minus + "\t", sjis), kake + " " + minus + " "},
      {"a file name with 0x5C inside 表", As(IsBareFileName(hyo + po + ".lng", sjis)), "yes"},
      {"the same bytes in a Western code page", As(IsBareFileName(hyo + po + ".lng", western)), "no"},
      {"a real \"|\" after a character", As(IsBareFileName(po + "|.lng", sjis)), "no"},
      {"a lead byte at the very end", As(NextCharAt("a\x83", 1, sjis)), "2"},
      // Chinese (GBK, code page 936): 亅 ends in 0x7C, 乗 in 0x5C.
      {"GBK: the tooltip ends at the real \"|\"", ShortHint("\x81\x7C\x81\x5C|x", 936), "\x81\x7C\x81\x5C"},
  };
  for (const auto& r : rows) EXPECT_EQ(r.want, r.got) << r.what;
}
