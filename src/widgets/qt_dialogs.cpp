#include "widgets/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <algorithm>

#include "platform/ui_state.h"
#include "widgets/vel_widget.h"

namespace kromel {

namespace {

QString Q(const std::string& S) { return QString::fromUtf8(S.data(), qsizetype(S.size())); }

class TQtFileDialog : public TFileDialog {
public:
  explicit TQtFileDialog(TFileDialogKind Kind) : TFileDialog(Kind) {}

  bool Execute() override {
    TModalScope Modal;
    QFileDialog D(QApplication::activeWindow());
    D.setOption(QFileDialog::DontConfirmOverwrite);
    D.setAcceptMode(Kind == TFileDialogKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    D.setFileMode(Kind == TFileDialogKind::OpenMulti ? QFileDialog::ExistingFiles
                  : Kind == TFileDialogKind::Open    ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
    QStringList Filters;
    for (const std::string& F : QtNameFilters(Filter)) Filters << Q(F);
    if (!Filters.isEmpty()) D.setNameFilters(Filters);
    if (FilterIndex >= 1 && FilterIndex <= Filters.size()) D.selectNameFilter(Filters[FilterIndex - 1]);
    if (!InitialDir.empty()) D.setDirectory(Q(InitialDir));
    if (!FileName.empty()) D.selectFile(Q(FileName));
    if (!DefaultExt.empty()) D.setDefaultSuffix(Q(DefaultExt));
    QObject::connect(&D, &QFileDialog::filterSelected, [&](const QString& Selected) {
      FilterIndex = int32_t(Filters.indexOf(Selected)) + 1;
      if (OnTypeChange) OnTypeChange();
      if (!DefaultExt.empty()) D.setDefaultSuffix(Q(DefaultExt));
    });
    if (D.exec() != QDialog::Accepted) return false;
    Files.clear();
    for (const QString& F : D.selectedFiles()) Files.push_back(F.toStdString());
    FileName = Files.empty() ? std::string() : Files.front();
    FilterIndex = int32_t(Filters.indexOf(D.selectedNameFilter())) + 1;
    return !FileName.empty();
  }
};

}  // namespace

std::vector<std::string> QtNameFilters(const std::string& Filter) {
  const std::vector<std::string> Items = FilterItems(Filter);
  std::vector<std::string> Out;
  for (size_t I = 0; I + 1 < Items.size(); I += 2) {
    std::string Mask = Items[I + 1];
    std::replace(Mask.begin(), Mask.end(), ';', ' ');
    Out.push_back(Items[I] + " (" + Mask + ")");
  }
  return Out;
}

std::unique_ptr<TFileDialog> NewQtFileDialog(TFileDialogKind Kind) {
  return std::make_unique<TQtFileDialog>(Kind);
}

bool ExecuteColorDialog(TColor& Color) {
  TModalScope Modal;
  const QColor C = QColorDialog::getColor(QColorOf(Color), QApplication::activeWindow());
  if (!C.isValid()) return false;
  Color = ColorOfQColor(C);
  return true;
}

bool SelectDirectory(const std::string& Caption, std::string& Directory) {
  TModalScope Modal;
  const QString D =
      QFileDialog::getExistingDirectory(QApplication::activeWindow(), Q(Caption), Q(Directory));
  if (D.isEmpty()) return false;
  Directory = D.toStdString();
  return true;
}

}  // namespace kromel
