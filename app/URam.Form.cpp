// The main window's description: every control in the order of its table, with position,
// size, font, caption and event binding.
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Application.h"

namespace {
const gdi::FontSpec kBoldArial{"Arial", 8, true};
const gdi::FontSpec kBoldSansSerif{"MS Sans Serif", 8, true};

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name) {
  T* c = new T(owner, parent);
  c->SetName(name);
  return c;
}

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const char* name, const char* caption, UINT command = 0) {
  auto* m = new TMenuItem(owner, command);
  m->SetName(name);
  m->SetCaption(caption);
  parent->Add(m);
  return m;
}

void Picture(TMenuItem* m, const char* resource) {
  m->SetBitmap(LoadBitmapOnColor(GetModuleHandleA(nullptr), resource, GetSysColor(COLOR_MENU)));
}
}  // namespace

void TfrmVelmor::CreateControls() {
  SetName("frmVelmor");
  SetCaption("Velmor");
  SetBounds(100, 100, 0, 0);
  // The tray icon first: it is all the user sees of a start, and the window's controls, made
  // after it, take longer than the rest of the start together.
  CreateTray();

  Panel2 = Make<TPanel>(this, this, "Panel2");
  Panel2->SetBounds(0, 0, 330, 107);
  Label1 = Make<TLabel>(this, Panel2, "Label1");
  Label1->SetFont(kBoldArial);
  Label1->SetPosition(8, 10);
  Label1->SetCaption("Memoria totale::");
  Label2 = Make<TLabel>(this, Panel2, "Label2");
  Label2->SetFont(kBoldArial);
  Label2->SetPosition(8, 30);
  Label2->SetCaption("Memoria disponibile:");
  ani = Make<TAnimatedImage>(this, Panel2, "ani");
  ani->BeginLoading();
  ani->SetBounds(286, 12, 32, 32);
  ani->Glyph().LoadFromResource(GetModuleHandleA(nullptr), "ALARM_STRIP");
  ani->SetGlyphNum(1);
  ani->SetInterval(500);
  ani->SetNumGlyphs(2);
  gb = Make<TGroupBox>(this, Panel2, "gb");
  gb->SetBounds(4, 50, 117, 53);
  gb->SetFont(kBoldArial);
  gb->SetCaption("Soglia d'allarme");
  soglia = Make<TSpinEdit>(this, gb, "soglia");
  soglia->SetBounds(8, 20, 47, 22);
  soglia->SetIncrement(10);
  soglia->SetValue(50);
  soglia->OnRefusedKey = [this] { FBeep(); };
  Label4 = Make<TLabel>(this, gb, "Label4");
  Label4->SetFont(kBoldSansSerif);
  Label4->SetPosition(60, 24);
  Label4->SetCaption("Mb liberi");
  rgAllarme = Make<TRadioGroup>(this, Panel2, "rgAllarme");
  rgAllarme->SetBounds(122, 50, 205, 53);
  rgAllarme->SetFont(kBoldArial);
  rgAllarme->SetCaption("In caso di allarme");
  rgAllarme->SetItems({"Avvisa soltanto", "Esegui automaticamente defrag"});

  Panel3 = Make<TPanel>(this, this, "Panel3");
  Panel3->SetBounds(0, 107, 330, 118);
  Chart1 = Make<TChart>(this, Panel3, "Chart1");
  Chart1->SetBounds(1, 1, 328, 116);
  Chart1->LeftAxis().SetAutomatic(false);
  Chart1->LeftAxis().SetMinMax(0, 512000);
  Chart1->SetMargins(10, 0);
  Series20 = new TFastLineSeries(this, Chart1, 201);
  Series20->SetName("Series20");
  Series20->SetSeriesColor(RGB(0, 255, 0));

  Panel1 = Make<TPanel>(this, this, "Panel1");
  Panel1->SetBounds(0, 225, 330, 41);
  ProgressBar = Make<TProgressBar>(this, Panel1, "ProgressBar");
  ProgressBar->SetBounds(6, 13, 123, 16);
  ProgressBar->SetRange(0, 100);
  ProgressBar->Hide();
  babort = Make<TOvColorBtn>(this, Panel1, "babort");
  babort->SetBounds(138, 2, 89, 35);
  babort->SetCaption("Abbandona");
  babort->Glyph().LoadFromResource(GetModuleHandleA(nullptr), "GLYPH_ABORT");
  babort->SetColor(clBtnFace);
  babort->SetStyle(bsNew);
  babort->SetOptions(boShowMouseFocus | boDitherPattern | boAutoBlackWhiteText);
  babort->OnClick = [this](TObject* s) { babortClick(s); };
  bdefrag = Make<TOvColorBtn>(this, Panel1, "bdefrag");
  bdefrag->SetBounds(228, 2, 99, 35);
  bdefrag->SetCaption("Deframmenta");
  bdefrag->Glyph().LoadFromResource(GetModuleHandleA(nullptr), "GLYPH_DEFRAG");
  bdefrag->SetColor(clBtnFace);
  bdefrag->SetStyle(bsNew);
  bdefrag->SetOptions(boShowMouseFocus | boDitherPattern | boAutoBlackWhiteText);
  bdefrag->OnClick = [this](TObject* s) { bdefragClick(s); };

  Ov = new TmxMaxMem(this, FMemory);
  Ov->SetName("Ov");
  Ov->OnBeforeDefrag = [this](TObject* s) { OvBeforeDefrag(s); };
  Ov->OnProgress = [this](TObject* s, int p) { OvProgress(s, p); };
  Ov->OnAfterDefrag = [this](TObject* s) { OvAfterDefrag(s); };

  Timer = new TTimer(this);
  Timer->SetName("Timer");
  Timer->SetInterval(1000);
  Timer->OnTimer = [this](TObject* s) { TimerTimer(s); };

  MenuPainter1 = new TFlatMenuPainter(this);
  MenuPainter1->SetName("MenuPainter1");
  gdi::FontSpec menuFont{"Microsoft Sans Serif", 8};
  menuFont.Height = -11;
  menuFont.CharSet = ANSI_CHARSET;
  MenuPainter1->SetFont(menuFont, clMenuText);
  MenuPainter1->SetIconWidth(16);
  MenuPainter1->SetOverrideOwnerDraw(true);
  MenuPainter1->SetGradient(true);
  MenuPainter1->SetAutoDetect(true);
  MenuPainter1->SetActive(true);  // the menus below are hooked as they are built

  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  TMenuItem* bar = MainMenu1->Items();
  File1 = Item(this, bar, "File1", "File");
  Deframmenta2 = Item(this, File1, "Deframmenta2", "Deframmenta", cmDefrag);
  Picture(Deframmenta2, "MENU_DEFRAG");
  Deframmenta2->OnClick = [this](TObject* s) { bdefragClick(s); };
  Abbandona2 = Item(this, File1, "Abbandona2", " Abbandona", cmAbort);
  Picture(Abbandona2, "MENU_ABORT");
  Abbandona2->SetVisible(false);
  Abbandona2->OnClick = [this](TObject* s) { babortClick(s); };
  N2 = Item(this, File1, "N2", "-");
  Riduciaicona1 = Item(this, File1, "Riduciaicona1", "Riduci a icona", cmHide);
  Picture(Riduciaicona1, "MENU_HIDE");
  Riduciaicona1->OnClick = [this](TObject* s) { Riduciaicona1Click(s); };
  Chiudi2 = Item(this, File1, "Chiudi2", "Chiudi", cmQuit);
  Picture(Chiudi2, "MENU_QUIT");
  Chiudi2->OnClick = [this](TObject* s) { Chiudi1Click(s); };
  Language1 = Item(this, bar, "Language1", "Language");
  Settings1 = Item(this, bar, "Settings1", "Settings");
  Beep1 = Item(this, Settings1, "Beep1", "Beep on alarm", cmBeep);
  Beep1->OnClick = [this](TObject* s) { Beep1Click(s); };
  autostart = Item(this, Settings1, "autostart", "Apri all'avvio di Windows", cmAutostart);
  autostart->OnClick = [this](TObject* s) { autostartClick(s); };
  OnTop = Item(this, Settings1, "OnTop", "Sempre in primo piano", cmOnTop);
  OnTop->OnClick = [this](TObject* s) { OnTopClick(s); };
  Notifica1 = Item(this, Settings1, "Notifica1", kBuiltInNotifyCaption, cmNotify);
  Notifica1->OnClick = [this](TObject* s) { Notifica1Click(s); };
  IconaMem1 = Item(this, Settings1, "IconaMem1", kBuiltInMemoryIconCaption, cmMemoryIcon);
  IconaMem1->OnClick = [this](TObject* s) { IconaMem1Click(s); };
  Help1 = Item(this, bar, "Help1", "Help");
  ReadMe1 = Item(this, Help1, "ReadMe1", "Read me", cmReadme);
  Picture(ReadMe1, "MENU_README");
  ReadMe1->OnClick = [this](TObject* s) { ReadMe1Click(s); };
  About1 = Item(this, Help1, "About1", "About", cmAbout);
  Picture(About1, "MENU_ABOUT");
  About1->OnClick = [this](TObject* s) { About1Click(s); };

  // The file version behind the caption: "Velmor v. 1.0.0.7" from the first activation on.
  fv = new TOvVersionCaptionForm(this);
  fv->SetName("fv");
  fv->SetInfoPrefix("v.");

  SetMenu(MainMenu1);
  SetClientSize(330, 266);
  HINSTANCE inst = GetModuleHandleA(nullptr);
  // Each at the size the system shows it, from the images drawn for 96 to 192 DPI.
  const int big = GetSystemMetrics(SM_CXICON), small = SmallIconSize();
  SetIcon(static_cast<HICON>(LoadImageA(inst, "MAINICON", IMAGE_ICON, big, big, LR_SHARED)),
          static_cast<HICON>(LoadImageA(inst, "MAINICON", IMAGE_ICON, small, small, LR_SHARED)));

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnShow = [this](TObject* s) { FormShow(s); };
}
