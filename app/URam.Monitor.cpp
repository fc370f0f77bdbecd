// The memory monitor: the chart's first points, and the once-a-second tick that refreshes the
// available-memory line, scrolls the chart and raises or clears the low-memory alarm.
#include "app/URam.h"
#include "framework/Application.h"

namespace {
const int kChartPoints = 201;
}

void TfrmVelmor::PrimeChart() {
  Chart1->LeftAxis().SetMaximum(double(TotalRam()) / 1024.0);
  for (int i = 1; i <= kChartPoints; ++i) Series20->AddXY(i, double(UsedRam()) / 1024.0);
}

void TfrmVelmor::TimerTimer(TObject* Sender) {
  // One sample serves the whole tick, so the alarm, the line and the chart agree with each other,
  // and the system is asked once a second rather than three times.
  const TMemoryStatus sample = FMemory->Status();

  // 1. Free memory for the alarm test.
  double freeMb = double(sample.AvailPhys) / 1048576.0;

  // 2. The available-memory line.
  Label2->SetCaption(MemoryLine(FFreeMemText, sample.AvailPhys));

  // 3. The tray tooltip: the versioned caption and the line just written; and the figure in the
  // icon, from the same sample.
  TI->SetHint(Caption() + " - " + Label2->Caption());
  if (IconaMem1->Checked()) ShowFigure(sample);

  // 4. Scroll the chart by one point.
  double step = Series20->XValue(1) - Series20->XValue(0);
  Series20->Delete(0);
  Series20->AddXY(Series20->LastXValue() + step, double(sample.TotalPhys - sample.AvailPhys) / 1024.0);

  // 5. The alarm: free memory below the threshold. Equality is no alarm.
  if (soglia->Value() > freeMb) {
    TI->SetAnimated(true);
    ani->SetActive(true);
    if (rgAllarme->ItemIndex() == 1 && !FAlarmRan) {
      FAlarmRan = true;
      bdefragClick(this);  // returns when the run has ended
    }
    if (Beep1->Checked() && !FAlarmBeeped) {
      FAlarmBeeped = true;
      FBeep();
    }
  } else {
    FAlarmBeeped = false;
    FAlarmRan = false;
    TI->SetAnimated(false);  // its normal icon again
    ani->SetActive(false);
    ani->SetGlyphNum(1);
  }

  // 6. Whatever waited while the tick ran.
  Application->ProcessMessages();
}

void TfrmVelmor::ApplyMemoryIcon() {
  if (IconaMem1->Checked()) {
    ShowFigure(FMemory->Status());
  } else {
    TI->SetFace(nullptr);  // the ordinary icon at once
    FFigure.Clear();
  }
}

void TfrmVelmor::ShowFigure(const TMemoryStatus& sample) {
  // The size the shell shows icons at, asked every time: it follows the display's scale.
  if (!FFigure.SetFigure(InUsePercent(sample.TotalPhys, sample.AvailPhys), GetSystemMetrics(SM_CXSMICON),
                         GetSystemMetrics(SM_CYSMICON)))
    return;  // the same figure: the icon stays, nothing is sent
  TI->SetFace(FFigure.Handle());
  FFigure.DropPrevious();  // the shell keeps a copy of its own
}
