// The standard controls the windows use: label, push button, radio group, numeric spin edit,
// progress bar.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "framework/Controls.h"

class TTimer;

// A static text that sizes itself to its caption.
class TLabel : public TWinControl {
public:
  TLabel(TComponent* AOwner, TWinControl* AParent);
  void SetPosition(int l, int t) { SetBounds(l, t, Width(), Height()); }

protected:
  void CaptionChanged() override;
  void FontChanged() override { AutoSize(); }

private:
  void AutoSize();
};

class TButton : public TWinControl {
public:
  TButton(TComponent* AOwner, TWinControl* AParent);
  void Click() { Fire(OnClick, this); }
  TNotifyEvent OnClick;
  bool CNCommand(WORD code) override;
};

// A framed group of radio buttons in one column.
class TRadioGroup : public TGroupBox {
public:
  TRadioGroup(TComponent* AOwner, TWinControl* AParent);
  ~TRadioGroup() override;
  void SetItems(const std::vector<std::string>& items);
  int ItemCount() const { return (int)FButtons.size(); }
  std::string Item(int i) const;
  void SetItem(int i, const std::string& caption);
  // -1: no item chosen.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int i);
  HWND ButtonHandle(int i) const;
  TNotifyEvent OnClick;

protected:
  void BoundsChanged() override { ArrangeButtons(); }
  void FontChanged() override;

private:
  friend class TRadioButton;
  void ArrangeButtons();
  void ButtonClicked(int i);
  std::vector<TWinControl*> FButtons;
  int FItemIndex = -1;
};

using TBeepProc = std::function<void()>;

// The window system's up-down arrows, drawn here with the system's scroll-arrow pictures. A
// press on an arrow tells the parent with UDN_DELTAPOS (+1 up, -1 down) and repeats while held.
// It keeps the standard control's class name, and never takes the focus.
class TUpDown : public TCustomControl {
public:
  TUpDown(TComponent* AOwner, TWinControl* AParent);
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
  void Paint(HDC dc) override;

private:
  int ArrowAt(int y) const;
  void Press(int arrow);
  void Release();
  void Step();
  int FPressed = 0;    // the arrow held: 0 none, +1 the upper, -1 the lower
  bool FOver = false;  // the pointer is over the held arrow: only then does it repeat
  TTimer* FRepeat;     // owned
};

// An integer field with up and down buttons. Once a maximum is set, values are kept within
// MinValue..MaxValue (equal bounds limit nothing); text that is not an integer reads as MinValue.
class TSpinEdit : public TWinControl {
public:
  TSpinEdit(TComponent* AOwner, TWinControl* AParent);
  int Value() const;
  void SetValue(int v);
  int MinValue() const { return FMinValue; }
  int MaxValue() const { return FMaxValue; }
  void SetMinValue(int v) { FMinValue = v; }
  void SetMaxValue(int v) { FMaxValue = v; }
  int Increment() const { return FIncrement; }
  void SetIncrement(int v) { FIncrement = v; }
  std::string Text() const;
  void SetText(const std::string& t);
  void UpClick() { SetValue(Value() + FIncrement); }
  void DownClick() { SetValue(Value() - FIncrement); }
  int CheckValue(int v) const;
  // Sounds when a typed character is refused; the system's default beep unless replaced.
  TBeepProc OnRefusedKey;
  TNotifyEvent OnChange;
  HWND ButtonHandle() const { return FUpDown; }

  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
  bool CNCommand(WORD code) override;

protected:
  void BoundsChanged() override { PlaceButton(); }

private:
  void PlaceButton();
  TUpDown* FButton = nullptr;
  HWND FUpDown = nullptr;
  int FMinValue = 0, FMaxValue = 0, FIncrement = 1;
};

// The window system's progress bar, drawn here: a sunken frame and blocks in the highlight
// colour. It keeps the standard control's class name and answers its PBM_ messages, so tools
// that look for a progress bar find one, while the program needs no common-controls library.
class TProgressBar : public TCustomControl {
public:
  TProgressBar(TComponent* AOwner, TWinControl* AParent);
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
  void Paint(HDC dc) override;
  int Position() const { return FPosition; }
  // Repaints only when the position changes: a run sets it 2048 times and only about a
  // hundred of them move the bar.
  void SetPosition(int v);
  void SetRange(int min, int max);
  int Min() const { return FMin; }
  int Max() const { return FMax; }

private:
  int FMin = 0, FMax = 100, FPosition = 0;
};

// Parses a whole decimal integer with an optional sign; false for anything else.
bool TryStrToInt(const std::string& s, int& out);
