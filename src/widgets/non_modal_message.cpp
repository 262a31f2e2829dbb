#include "widgets/non_modal_message.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>
#include <cmath>

#include "widgets/canvas_paint.h"

namespace kromel {

namespace {

TNonModalMessageForm*& Form() {
  static TNonModalMessageForm* F = nullptr;
  return F;
}

QPointer<TSampleModalDlg>& Dialog() {
  static QPointer<TSampleModalDlg> D;
  return D;
}

TSampleModalDlg& EnsureDialog(QWidget* Owner) {
  if (Dialog().isNull()) Dialog() = new TSampleModalDlg(Owner);
  return *Dialog();
}

}  // namespace

bool NonModalMessagesSuppressed(const std::string& ProgramPath) {
  return ProgramPath.find("vudovoz.exe") != std::string::npos;
}

TNonModalMessageForm::TNonModalMessageForm() : CloseButton("Close") {
  setWindowTitle("Messages");
  Memo1.setReadOnly(true);
  auto* L = new QVBoxLayout(this);
  L->addWidget(&Memo1);
  auto* Row = new QHBoxLayout();
  Row->addStretch();
  Row->addWidget(&CloseButton);
  L->addLayout(Row);
  resize(420, 260);
  QObject::connect(&CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });
}

void TNonModalMessageForm::CloseButtonClick() {
  hide();
  Memo1.clear();
}

void ShowNonModalMessage(const std::string& Text) {
  const QStringList Args = QCoreApplication::arguments();
  if (!Args.isEmpty() && NonModalMessagesSuppressed(Args[0].toStdString())) return;
  if (Form() == nullptr) Form() = new TNonModalMessageForm();
  Form()->Memo1.appendPlainText(QString::fromStdString(Text));
  Form()->show();
  Form()->raise();
  QCoreApplication::processEvents();
}

TNonModalMessageForm* NonModalMessageForm() { return Form(); }

void FreeNonModalMessageForm() {
  delete Form();
  Form() = nullptr;
}

TEQFrequencyPlot::TEQFrequencyPlot(QWidget* Parent) : TVelWidget(Parent) { SetColor(0x202020); }

void TEQFrequencyPlot::Paint(TImage32& Image) {
  Image.Fill(Color());
  const int32_t W = Image.Width, H = Image.Height;
  const float Low = std::max(LowFrequency, 1.0f), High = std::max(HighFrequency, Low * 2);
  PaintOnCanvas(Image, [&](TCanvas& C) {
    // Decade lines on the logarithmic frequency axis.
    C.Pen.Color = 0x404040;
    for (float F = std::pow(10.0f, std::ceil(std::log10(Low))); F <= High; F *= 10) {
      const auto X = int32_t(std::log(F / Low) / std::log(High / Low) * float(W - 1));
      CanvasLine(C, X, 0, X, H);
    }
    const TSample32* S = AnalyzerData;
    if (!ShowAnalyzer || S == nullptr || !S->HoldsData() || S->Count < 2 || AnalyzerRate <= 0) return;
    // Bin k of the data is frequency k * (rate / 2) / (count - 1); levels in dB, 0 to -96.
    C.Pen.Color = 0x40C0FF;
    bool Started = false;
    for (int32_t X = 0; X < W; ++X) {
      const float F = Low * std::pow(High / Low, float(X) / float(std::max(W - 1, 1)));
      const auto K = int64_t(F / (AnalyzerRate / 2) * float(S->Count - 1));
      if (K < 0 || K >= S->Count) continue;
      const float V = std::fabs(S->Data[K]);
      const float Db = V > 0 ? std::clamp(20 * std::log10(V), -96.0f, 0.0f) : -96.0f;
      const auto Y = int32_t(-Db / 96.0f * float(H - 1));
      if (Started)
        C.LineTo(X, Y);
      else
        C.MoveTo(X, Y);
      Started = true;
    }
  });
}

TSampleModalDlg::TSampleModalDlg(QWidget* Owner) : QDialog(Owner) {
  setWindowTitle("Samples");
  auto* L = new QVBoxLayout(this);
  GraphBox1 = new TGraphBox(this);
  GraphBox1->setMinimumSize(400, 200);
  EQFrequencyPlot1 = new TEQFrequencyPlot(this);
  EQFrequencyPlot1->setMinimumSize(400, 200);
  L->addWidget(GraphBox1, 1);
  L->addWidget(EQFrequencyPlot1, 1);
  auto* Row = new QHBoxLayout();
  Row->addStretch();
  OKBtn = new QPushButton("OK", this);
  CancelBtn = new QPushButton("Cancel", this);
  Row->addWidget(OKBtn);
  Row->addWidget(CancelBtn);
  L->addLayout(Row);
  QObject::connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  QObject::connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  resize(440, 300);
}

TSampleModalDlg* SampleModalDlg() { return Dialog().data(); }

void ShowSampleModalGraph(const TSample32* Samples, QWidget* Owner, bool Bipolar) {
  TSampleModalDlg& D = EnsureDialog(Owner);
  D.GraphBox1->setVisible(true);
  D.GraphBox1->Samples = Samples;
  D.GraphBox1->Bipolar = Bipolar;
  D.GraphBox1->update();
  D.EQFrequencyPlot1->setVisible(false);
}

void ShowSampleModalSpectrum(const TSample32* Samples, QWidget* Owner, bool, int32_t LowFrequency,
                             int32_t HighFrequency, float Rate) {
  TSampleModalDlg& D = EnsureDialog(Owner);
  D.GraphBox1->setVisible(false);
  TEQFrequencyPlot& P = *D.EQFrequencyPlot1;
  P.LowFrequency = float(LowFrequency);
  P.HighFrequency = float(HighFrequency);
  P.setVisible(true);
  P.AnalyzerData = Samples;
  P.ShowAnalyzer = Rate > 0;
  P.AnalyzerRate = Rate;
  D.exec();
}

}  // namespace kromel
