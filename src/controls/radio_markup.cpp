#include "controls/radio_markup.h"

#include <algorithm>

namespace kromel {

TRadioItemMarkup ParseRadioItem(const std::string& Source) {
  TRadioItemMarkup M;
  std::string Text = Source;
  if (!Text.empty() && Text[0] == '|') {
    M.ToolGroup = true;
    size_t Start = 1;
    while (Start <= Text.size()) {
      size_t Bar = Text.find('|', Start);
      if (Bar == std::string::npos) Bar = Text.size();
      if (Bar > Start) M.Variants.push_back(Text.substr(Start, Bar - Start));
      Start = Bar + 1;
    }
    return M;
  }
  if (!Text.empty() && Text[0] == '^') {
    M.WithoutButton = true;
    Text.erase(0, 1);
  }
  if (const size_t Grave = Text.find('`'); Grave != std::string::npos) {
    M.HasHint = true;
    M.Hint = Text.substr(Grave + 1);
    Text.resize(Grave);
  }
  if (Text.rfind("[x", 0) == 0) {
    size_t I = 2;
    bool Negative = false;
    if (I < Text.size() && Text[I] == '-') {
      Negative = true;
      ++I;
    }
    int64_t N = 0;
    for (; I < Text.size() && Text[I] >= '0' && Text[I] <= '9'; ++I)
      N = std::min<int64_t>(N * 10 + (Text[I] - '0'), INT32_MAX);
    M.SwitchNumber = static_cast<int32_t>(Negative ? -N : N);
    const size_t Close = Text.find(']');
    Text = Close == std::string::npos ? std::string() : Text.substr(Close + 1);
    M.HasSwitch = true;
    Text = "   " + Text;
  }
  M.Caption = Text;
  return M;
}

TSubtoolEntry ParseSubtoolEntry(const std::string& Text) {
  TSubtoolEntry E;
  if (Text.empty()) {
    E.Blank = true;
    return E;
  }
  const size_t First = Text.find('`');
  const size_t Second = First == std::string::npos ? std::string::npos : Text.find('`', First + 1);
  const std::string Head = Text.substr(Text[0] == '>' ? 1 : 0);
  if (Head.rfind('#', 0) == 0 && Head.rfind("##", 0) != 0)
    E.Picture = Head.substr(0, Head.find('`'));
  if (First == std::string::npos) {
    E.Caption = Text;
    E.Hint = Text;
  } else if (Second == std::string::npos) {
    E.Caption = Text.substr(First + 1);
    E.Hint = E.Caption;
  } else {
    E.Caption = Text.substr(First + 1, Second - First - 1);
    E.Hint = Text.substr(Second + 1);
  }
  return E;
}

int32_t VisibleItemCount(const std::vector<std::string>& Items) {
  return static_cast<int32_t>(
      std::count_if(Items.begin(), Items.end(), [](const std::string& S) { return !S.empty(); }));
}

std::vector<TButtonPlace> ArrangeRadioButtons(const std::vector<std::string>& Items, int32_t Columns,
                                              int32_t Width, int32_t Height, bool Stacked,
                                              bool HasCaption, int32_t ItemIndex) {
  std::vector<TButtonPlace> P(Items.size());
  if (Items.empty() || Width <= 0) return P;
  Columns = std::clamp(Columns, 1, 16);
  if (Stacked) {
    const int32_t C = HasCaption ? 14 : 0;
    const int32_t Shown = ShownIndex(ItemIndex);
    for (size_t I = 0; I < P.size(); ++I)
      P[I] = {0, 0, Width, std::max(15, Height - C), static_cast<int32_t>(I) == Shown};
    return P;
  }
  const int32_t N = VisibleItemCount(Items);
  // All items empty: nothing to lay out, every button stays hidden.
  if (N == 0) return P;
  const int32_t Rows = (Columns + N - 1) / Columns;
  int32_t W = Width / std::max(1, std::min(Columns, N));
  const int32_t H = Height / Rows;
  int32_t K = 0;
  for (size_t I = 0; I < Items.size(); ++I) {
    if (Items[I].empty()) continue;
    const int32_t X = W * (K / Rows);
    if (K == N - 1) W = std::max(Width - X, 3);
    P[I] = {X, H * (K % Rows), W, std::max(15, H), true};
    ++K;
  }
  return P;
}

int32_t ItemIndexWithSubtools(int32_t ItemIndex, bool SelectedIsToolGroup, int32_t ToolIndex) {
  if (ItemIndex >= 0 && SelectedIsToolGroup) return ItemIndex + 32 * ToolIndex;
  return ItemIndex;
}

}  // namespace kromel
