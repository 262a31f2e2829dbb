#include "widgets/vel_radio_group.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>

#include "platform/message_sink.h"
#include "widgets/draw_helpers.h"
#include "widgets/vel_image.h"

namespace kromel {

namespace {

template <class F>
void Guarded(const char* Message, F Fn) {
  try {
    Fn();
  } catch (...) {
    PlatformShowMessage(Message);
  }
}

}  // namespace

TVelRadioGroup::TVelRadioGroup(QWidget* Parent, std::string Name)
    : TControlWidget(std::make_unique<TRadioGroupControl>(std::move(Name), std::vector<std::string>{}),
                     Parent) {
  FHoldTimer.setInterval(150);
  FHoldTimer.setSingleShot(true);
  QObject::connect(&FHoldTimer, &QTimer::timeout, this, [this] {
    FHoldTimer.stop();
    if (FStacked) ShowSubtoolMenu();
  });
  Group().OnChange = [this](void*) {
    ApplySelection();
    if (OnChange) OnChange(this);
  };
}

TVelRadioGroup::~TVelRadioGroup() = default;

TControlWidget* TVelRadioGroup::Button(int32_t I) const {
  return I >= 0 && I < ButtonCount() ? FButtons[size_t(I)] : nullptr;
}
TGlyphSwitch* TVelRadioGroup::SwitchButton(int32_t I) const { return dynamic_cast<TGlyphSwitch*>(Button(I)); }
TVelRadioGroup* TVelRadioGroup::ToolButton(int32_t I) const { return dynamic_cast<TVelRadioGroup*>(Button(I)); }

void TVelRadioGroup::SetItems(const std::vector<std::string>& Items) {
  Guarded("TVelRadioGroup.SetItems - Exception", [&] {
    FItems = Items;
    Group().Items = Items;
    if (Group().ItemIndex >= int32_t(FItems.size())) Group().ItemIndex = int32_t(FItems.size()) - 1;
    UpdateButtons();
    ResetButtonGlyphs();
  });
}

void TVelRadioGroup::SetLoading(bool Value) {
  FLoading = Value;
  if (!Value) UpdateButtons();
}

void TVelRadioGroup::SetItemIndex(int32_t Value) {
  if (FLoading) {
    Group().ItemIndex = Value;
    return;
  }
  Group().SetItemIndex(std::min(Value, ButtonCount() - 1));
}

void TVelRadioGroup::ApplySelection() {
  const int32_t Index = Group().ItemIndex;
  FUpdating = true;
  for (int32_t I = 0; I < ButtonCount(); ++I) {
    if (TGlyphSwitch* S = SwitchButton(I)) S->Switch().SetState(I == Index);
    if (TVelRadioGroup* T = ToolButton(I)) T->SetState(I == Index);
  }
  FUpdating = false;
  if (FStacked)
    for (int32_t I = 0; I < ButtonCount(); ++I) FButtons[size_t(I)]->setVisible(I == ShownIndex(Index));
  update();
}

void TVelRadioGroup::SetColumns(int32_t Value) {
  Value = std::clamp(Value, 1, 16);
  if (Value == FColumns) return;
  FColumns = Value;
  ArrangeButtons();
  update();
}

void TVelRadioGroup::SetStacked(bool Value) {
  FStacked = Value;
  ArrangeButtons();
}

void TVelRadioGroup::SetCaption(const std::string& Value) {
  Group().Caption = Value;
  ArrangeButtons();
  update();
}

void TVelRadioGroup::HookButton(TControlWidget* B) {
  B->OnMouseDown = [this](QWidget*, TMouseButton, TShiftState, int32_t, int32_t) {
    if (FStacked) FHoldTimer.start();
  };
  B->OnMouseUp = [this](QWidget*, TMouseButton, TShiftState, int32_t, int32_t) { FHoldTimer.stop(); };
}

TGlyphSwitch* TVelRadioGroup::AddSwitch(int32_t Index) {
  auto* S = new TGlyphSwitch(this, skTumbler);
  S->OnClick = [this](QWidget* W) { ButtonClick(W); };
  S->SetOnSwitchClick(FOnSwitchClick);
  S->SetOnSwitchChange(FOnSwitchChange);
  S->Switch().Tag = Index;
  HookButton(S);
  S->show();
  return S;
}

void TVelRadioGroup::UpdateButtons() {
  Guarded("Exception in TVelRadioGroup.UpdateButtons", [&] {
    const int32_t Count = int32_t(FItems.size());
    while (ButtonCount() < Count) FButtons.push_back(AddSwitch(ButtonCount()));
    while (ButtonCount() > Count) {
      delete FButtons.back();
      FButtons.pop_back();
    }
    for (int32_t I = 0; I < Count; ++I) {
      const TRadioItemMarkup M = ParseRadioItem(FItems[size_t(I)]);
      TControlWidget*& B = FButtons[size_t(I)];
      if (M.ToolGroup) {
        auto* T = dynamic_cast<TVelRadioGroup*>(B);
        if (T == nullptr) {
          delete B;
          T = new TVelRadioGroup(this, Group().Name + "Tool" + std::to_string(I));
          HookButton(T);
          T->show();
          B = T;
        }
        T->Controller().Tag = I;
        T->FStacked = true;
        if (T->FItems != M.Variants) {
          T->SetItems(M.Variants);
          T->OnClick = [this](QWidget* W) { ButtonClick(W); };
          T->OnChange = [this](QWidget*) {
            if (OnChange) OnChange(this);
          };
        }
        continue;
      }
      auto* S = dynamic_cast<TGlyphSwitch*>(B);
      if (S == nullptr) {
        delete B;
        S = AddSwitch(I);
        B = S;
      }
      S->Switch().Tag = I;
      S->SetKind(M.WithoutButton ? skTumblerWithoutButton : skTumbler);
      if (M.HasHint) S->Hint = M.Hint;
      S->SetSwitchControllerNumber(M.SwitchNumber);
      S->SetHasSwitch(M.HasSwitch);
      S->SetCaption(M.Caption);
    }
    if (Group().ItemIndex >= 0) ApplySelection();
    ArrangeButtons();
    update();
  });
}

void TVelRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || width() == 0 || FLoading) return;
  Guarded("Exception in TVelRadioGroup.ArrangeButtons", [&] {
    FLastVisibleCount = GetVisibleItemCount();
    const std::vector<TButtonPlace> P = ArrangeRadioButtons(
        FItems, FColumns, width(), height(), FStacked, !Group().Caption.empty(), Group().ItemIndex);
    for (size_t I = 0; I < P.size() && I < FButtons.size(); ++I) {
      FButtons[I]->setGeometry(P[I].Left, P[I].Top, P[I].Width, P[I].Height);
      FButtons[I]->setVisible(P[I].Visible);
    }
  });
}

void TVelRadioGroup::ResetButtonGlyphs() {
  for (int32_t I = 0; I < ButtonCount(); ++I)
    if (TGlyphSwitch* S = SwitchButton(I)) S->OnGlyph().Clear();
}

void TVelRadioGroup::resizeEvent(QResizeEvent* E) {
  ArrangeButtons();
  ResetButtonGlyphs();
  TControlWidget::resizeEvent(E);
}

void TVelRadioGroup::Paint(TImage32& Canvas) {
  Canvas.Fill(Color());
  // A stacked group shows its caption in the band under the button.
  if (FStacked && !Group().Caption.empty() && height() > 15) {
    TFont F;
    F.Size = 10;
    F.Color = FontColor();
    const int32_t Top = std::max(15, height() - 14);
    DrawTextBox(Canvas, Group().Caption, F, Color(), 0, Top, width(), height() - Top, 2);
  }
}

void TVelRadioGroup::ButtonClick(QWidget* Sender) {
  if (FUpdating) return;
  int32_t D = -1;
  Guarded("Exception in TVelRadioGroup.ButtonClick", [&] {
    setFocus(Qt::OtherFocusReason);
    for (int32_t I = 0; I < ButtonCount(); ++I)
      if (FButtons[size_t(I)] == Sender) D = I;
    if (D < 0) return;
    if (D == Group().ItemIndex) {
      // The selected button toggled itself off: it stays selected.
      if (AllowAllOff) {
        Group().ItemIndex = -1;
        return;
      }
      FUpdating = true;
      if (TGlyphSwitch* S = SwitchButton(D)) S->Switch().SetState(true);
      if (TVelRadioGroup* T = ToolButton(D)) T->SetState(true);
      FUpdating = false;
      if (OnChange) OnChange(this);
      return;
    }
    Group().ItemIndex = D;
    ApplySelection();
    if (OnChange) OnChange(this);
    if (OnClick) OnClick(this);
  });
}

void TVelRadioGroup::SetButtonSwitchState(int32_t I, bool V) {
  if (TGlyphSwitch* S = SwitchButton(I)) S->SetSwitchState(V);
}
bool TVelRadioGroup::GetButtonSwitchState(int32_t I) const {
  const TGlyphSwitch* S = SwitchButton(I);
  return S != nullptr && S->SwitchState();
}
TGlyphSwitch* TVelRadioGroup::GetButtonSwitch(int32_t I) const {
  TGlyphSwitch* S = SwitchButton(I);
  return S ? S->SwitchControl() : nullptr;
}
bool TVelRadioGroup::GetButtonIsolate(int32_t I) const {
  TControlWidget* B = Button(I);
  return B != nullptr && B->Controller().GetIsolate();
}
void TVelRadioGroup::SetButtonIsolate(int32_t I, bool V) {
  if (TControlWidget* B = Button(I)) B->Controller().Isolate = V;
}

void TVelRadioGroup::SetOnSwitchClick(TNotifyHandler H) {
  FOnSwitchClick = std::move(H);
  for (int32_t I = 0; I < ButtonCount(); ++I)
    if (TGlyphSwitch* S = SwitchButton(I)) S->SetOnSwitchClick(FOnSwitchClick);
}
void TVelRadioGroup::SetOnSwitchChange(TNotifyHandler H) {
  FOnSwitchChange = std::move(H);
  for (int32_t I = 0; I < ButtonCount(); ++I)
    if (TGlyphSwitch* S = SwitchButton(I)) S->SetOnSwitchChange(FOnSwitchChange);
}

int32_t TVelRadioGroup::ItemIndexWithSubtools() const {
  const TVelRadioGroup* T = ToolButton(ItemIndex());
  return kromel::ItemIndexWithSubtools(ItemIndex(), T != nullptr, T ? T->ItemIndex() : 0);
}

void TVelRadioGroup::NextSubtool() {
  TVelRadioGroup* T = ToolButton(ItemIndex());
  if (T && !T->FItems.empty()) T->SetItemIndex((T->ItemIndex() + 1) % int32_t(T->FItems.size()));
}

void TVelRadioGroup::ShowSubtoolMenu() {
  const QPoint At = mapToGlobal(QPoint(width(), 0));
  if (FItems.empty()) return;
  const TSubtoolEntry First = ParseSubtoolEntry(FItems[0]);
  const QList<QAction*> Existing = FMenu.actions();
  if (Existing.isEmpty() || Existing[0]->text().toStdString() != First.Caption) {
    FMenu.clear();
    for (int32_t I = 0; I < int32_t(FItems.size()); ++I) {
      const TSubtoolEntry E = ParseSubtoolEntry(FItems[size_t(I)]);
      QAction* A = FMenu.addAction(QString::fromStdString(E.Caption));
      A->setData(I);
      A->setCheckable(true);
      if (!E.Blank) A->setToolTip(QString::fromStdString(E.Hint));
      if (!E.Picture.empty()) {
        TImage32 G;
        if (GlyphBitmapFromText(E.Picture, G))
          A->setIcon(QIcon(QPixmap::fromImage(QImageOver(G, true).copy())));
        G.Dispose();
      }
      QObject::connect(A, &QAction::triggered, this, [this, I] { MenuClick(I); });
    }
  }
  const QList<QAction*> Actions = FMenu.actions();
  for (int32_t I = 0; I < int32_t(Actions.size()); ++I) Actions[I]->setChecked(I == ShownIndex(ItemIndex()));
  FMenu.popup(At);
}

void TVelRadioGroup::MenuClick(int32_t Tag) {
  Guarded("Exception in TVelRadioGroup.MenuClick", [&] {
    SetItemIndex(Tag);
    if (OnClick) OnClick(this);
  });
}

}  // namespace kromel
