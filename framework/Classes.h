// Components with owners, names and events: the base every piece of the program stands on.
#pragma once
#include <windows.h>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Mouse events: the button, the keys and buttons held (ssDouble: the second click of a double
// click), and the position.
enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// Fire an event only when it is assigned.
template <class Ev, class... A>
inline void Fire(const Ev& ev, A&&... a) {
  if (ev) ev(std::forward<A>(a)...);
}

// The one exception type the program raises; its message is what the error box shows.
class Exception : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Raised when an object is taken for a kind it is not (a component that needs a form as owner).
class EInvalidCast : public Exception {
public:
  EInvalidCast() : Exception("Invalid class typecast") {}
};

class TComponent : public TObject {
public:
  explicit TComponent(TComponent* AOwner);
  // The owner destroys what it owns, in reverse order of creation.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& v) { FName = v; }
  int Tag() const { return FTag; }
  void SetTag(int v) { FTag = v; }

  int ComponentCount() const { return (int)FComponents.size(); }
  TComponent* Component(int i) const { return FComponents[i]; }

  // Runs after a window's description has been applied, for this component and all it owns.
  virtual void Loaded();
  // The window this component belongs to went from oldDpi to newDpi pixels per inch (from the
  // description's 96 when it is created): a component with lengths of its own scales them.
  // The form calls it for every component it owns (TForm::SetPixelsPerInch); a component
  // scales what it owns itself, as its layout needs.
  virtual void ChangeScale(int newDpi, int oldDpi) {}
  // Told when a component this one asked about goes away (see FreeNotification).
  virtual void Notification(TComponent* AComponent) {}
  // Told when AComponent joined something this component holds (a menu item added to one of
  // a form's menus: the form is told); passed on to everything this component owns.
  virtual void Inserted(TComponent* AComponent);
  // Links this component and AComponent so that each is told when the other goes; the
  // removal undoes the link on both sides.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  TComponent* FOwner = nullptr;
  std::string FName;
  int FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FNotify;
  bool FDestroying = false;
};

// Round half to even (12.5 gives 12, 37.5 gives 38): progress values and colour arithmetic.
int RoundHalfEven(double v);

// Walks over captions. Captions are ANSI text, and in a double-byte code page (932, 936, 949,
// 950) a character may take two bytes whose second is any byte from 0x40 up, "\\" and "|" among
// them: every walk steps by character (CharNextExA), never by byte, so that no second byte is
// read as a separator and no cut splits a character. cp is the code page of the text; CP_ACP,
// the system's, unless a caller knows better.
//
// Where the character after the one at byte i starts (i itself may be past the end: the size).
size_t NextCharAt(std::string_view s, size_t i, UINT cp = CP_ACP);
// The first c (a byte below 0x40, or any byte that starts a character) standing as a character
// of its own at or after from; npos when there is none.
size_t FindCharIn(std::string_view s, char c, size_t from = 0, UINT cp = CP_ACP);
// The longest start of s of at most maxBytes bytes that ends between two characters.
std::string_view CutToBytes(std::string_view s, size_t maxBytes, UINT cp = CP_ACP);
// Every TAB of s read as a blank, in place: what a shortcut column shows of a TAB.
std::string& TabsAsBlanks(std::string& s, UINT cp = CP_ACP);

// The character a caption marks with its first single "&" ("&&" is a plain ampersand), or 0:
// the accelerator of a menu item or button. A double-byte character marked so is no key a
// single typed byte can match: 0 as well.
char AcceleratorOf(std::string_view caption, UINT cp = CP_ACP);
// Whether typed is the caption's accelerator, letter case aside: how a menu and a button both
// answer a typed key.
bool IsAcceleratorOf(std::string_view caption, char typed, UINT cp = CP_ACP);

// The bytes of a resource of the module, as the loaded image holds them (valid while the
// module stays loaded); Data null and Size 0 when it is missing. The type is RT_RCDATA unless
// another (an id or a type name) is given.
struct TResourceBytes {
  const void* Data = nullptr;
  DWORD Size = 0;
};
TResourceBytes ResourceBytes(HMODULE module, const char* name, const char* type = MAKEINTRESOURCEA(10));
