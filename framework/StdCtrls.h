// The standard controls the windows use: label, push button, radio group, numeric spin edit,
// progress bar.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "framework/Controls.h"

// A static text that sizes itself to its caption.
class TLabel : public TWinControl {
public:
  TLabel(TComponent* AOwner, TWinControl* AParent);
  void SetPosition(int l, int t) { SetBounds(l, t, Width(), Height()); }

protected:
  void CaptionChanged() override { AutoSize(); }
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
  HWND FUpDown = nullptr;
  int FMinValue = 0, FMaxValue = 0, FIncrement = 1;
};

class TProgressBar : public TWinControl {
public:
  TProgressBar(TComponent* AOwner, TWinControl* AParent);
  int Position() const { return FPosition; }
  // Sends nothing to the control when the position is unchanged: a run sets it 2048 times
  // and only about a hundred of them move the bar.
  void SetPosition(int v);
  void SetRange(int min, int max);
  int Min() const { return FMin; }
  int Max() const { return FMax; }

private:
  int FMin = 0, FMax = 100, FPosition = 0;
};

// Parses a whole decimal integer with an optional sign; false for anything else.
bool TryStrToInt(const std::string& s, int& out);
