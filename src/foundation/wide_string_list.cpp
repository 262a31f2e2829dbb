#include "foundation/wide_string_list.h"

#include <fstream>
#include <locale>
#include <iterator>

#include "foundation/files.h"
#include "foundation/utf16.h"
#include "foundation/wide_string_utils.h"

namespace kromel {

namespace {

// Break characters as UTF-8: U+2028 and U+2029 are E2 80 A8 / E2 80 A9.
bool IsAt(const std::string& S, std::size_t P, const char* Seq, std::size_t N) {
  return P + N <= S.size() && S.compare(P, N, Seq, N) == 0;
}
bool IsLineSep(const std::string& S, std::size_t P) { return IsAt(S, P, "\xE2\x80\xA8", 3); }
bool IsParaSep(const std::string& S, std::size_t P) { return IsAt(S, P, "\xE2\x80\xA9", 3); }

// Valid UTF-8 whatever the bytes were (malformed ones become U+FFFD).
std::string DecodeUtf8(const std::string& Bytes) { return Utf16ToUtf8(Utf8ToUtf16(Bytes)); }

}  // namespace

void TWideStringList::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= GetCount())
    throw EStringListError("List index (" + std::to_string(Index) + ") out of bounds");
}

std::string TWideStringList::Get(int32_t Index) const {
  CheckIndex(Index);
  return FItems[static_cast<std::size_t>(Index)].Text;
}

void* TWideStringList::GetObject(int32_t Index) const {
  CheckIndex(Index);
  return FItems[static_cast<std::size_t>(Index)].Object;
}

int32_t TWideStringList::IndexOf(const std::string& S) const {
  for (std::size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I].Text == S) return static_cast<int32_t>(I);
  return -1;
}

bool TWideStringList::EqualsList(const TWideStringList& Other) const {
  if (GetCount() != Other.GetCount()) return false;
  for (std::size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I].Text != Other.FItems[I].Text) return false;
  return true;
}

std::string TWideStringList::GetTextStr() const {
  std::string R;
  for (const TItem& It : FItems) {
    R += It.Text;
    R += '\n';
  }
  return R;
}

TStrings TWideStringList::ToStringList() const {
  TStrings R;
  R.reserve(FItems.size());
  for (const TItem& It : FItems) R.push_back(It.Text);
  return R;
}

void TWideStringList::Changed() {
  if (OnChange && !FUpdating) OnChange(this);
}

void TWideStringList::SetUpdateState(bool Updating) {
  FUpdating = Updating;
  if (!Updating) Changed();
}

void TWideStringList::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TWideStringList::EndUpdate() {
  if (FUpdateCount <= 0) return;
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

void TWideStringList::Grow() {
  int32_t Delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
  SetCapacity(FCapacity + Delta);
}

void TWideStringList::SetCapacity(int32_t NewCapacity) {
  if (NewCapacity < GetCount()) return;
  if (NewCapacity == 0) {
    FItems = {};
  } else {
    FItems.reserve(static_cast<std::size_t>(NewCapacity));
  }
  FCapacity = NewCapacity;
}

void TWideStringList::InsertItem(int32_t Index, const std::string& S, void* Object) {
  if (GetCount() == FCapacity) Grow();
  FItems.insert(FItems.begin() + Index, TItem{S, Object});
  Changed();
}

int32_t TWideStringList::AddObject(const std::string& S, void* Object) {
  int32_t Index = GetCount();
  InsertItem(Index, S, Object);
  return Index;
}

int32_t TWideStringList::Add(const std::string& S) {
  int32_t Index = AddObject(S, nullptr);
  Changed();
  return Index;
}

void TWideStringList::Insert(int32_t Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TWideStringList::InsertObject(int32_t Index, const std::string& S, void* Object) {
  if (Index < 0 || Index > GetCount())
    throw EStringListError("List index (" + std::to_string(Index) + ") out of bounds");
  InsertItem(Index, S, Object);
}

void TWideStringList::Delete(int32_t Index) {
  CheckIndex(Index);
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TWideStringList::Put(int32_t Index, const std::string& S) {
  CheckIndex(Index);
  TItem& It = FItems[static_cast<std::size_t>(Index)];
  if (It.Text == S) return;
  It.Text = S;
  Changed();
}

void TWideStringList::PutObject(int32_t Index, void* Object) {
  CheckIndex(Index);
  FItems[static_cast<std::size_t>(Index)].Object = Object;
  Changed();
}

void TWideStringList::Clear() {
  if (FItems.empty()) return;
  FItems = {};
  FCapacity = 0;
  Changed();
}

void TWideStringList::Sort() {
  const auto& Collate = std::use_facet<std::collate<char>>(std::locale());
  BeginUpdate();
  const int32_t N = GetCount();
  for (int32_t I = 0; I < N; ++I) {
    for (int32_t J = N - 2; J >= I; --J) {
      const std::string& A = FItems[static_cast<std::size_t>(J)].Text;
      const std::string& B = FItems[static_cast<std::size_t>(J) + 1].Text;
      if (Collate.compare(A.data(), A.data() + A.size(), B.data(), B.data() + B.size()) > 0) {
        std::string T = A;
        Put(J, B);
        Put(J + 1, T);
      }
    }
  }
  EndUpdate();
}

void TWideStringList::AddStrings(const TStrings& Strings) {
  BeginUpdate();
  for (const std::string& S : Strings) Add(S);
  EndUpdate();
}

void TWideStringList::AddWideStrings(const TWideStringList& Other) {
  std::vector<std::string> Texts;  // Other may be this list
  Texts.reserve(Other.FItems.size());
  for (const TItem& It : Other.FItems) Texts.push_back(It.Text);
  BeginUpdate();
  for (const std::string& S : Texts) Add(S);
  EndUpdate();
}

void TWideStringList::SetStrings(const TStrings& Strings) {
  FUpdating = true;
  Clear();
  FUpdating = false;
  AddStrings(Strings);
}

void TWideStringList::Assign(const TWideStringList& Source) {
  if (&Source == this) return;
  BeginUpdate();
  Clear();
  AddWideStrings(Source);
  EndUpdate();
}

void TWideStringList::Assign(const TStrings& Source) {
  TStrings Copy = Source;  // Source may be our own ToStringList's owner
  BeginUpdate();
  Clear();
  AddStrings(Copy);
  EndUpdate();
}

void TWideStringList::AssignToStrings(TStrings& Dest) const {
  const std::size_t N = FItems.size();
  while (Dest.size() > N) Dest.pop_back();
  for (std::size_t I = 0; I < N; ++I) {
    if (I < Dest.size()) {
      if (Dest[I] != FItems[I].Text) Dest[I] = FItems[I].Text;
    } else {
      Dest.push_back(FItems[I].Text);
    }
  }
}

void TWideStringList::AddLinesA(const std::string& Text) {
  std::size_t P = 0;
  const std::size_t N = Text.size();
  while (P < N && Text[P] != '\0') {
    std::size_t Start = P;
    while (P < N && Text[P] != '\0' && Text[P] != '\n' && Text[P] != '\r' && !IsLineSep(Text, P)) ++P;
    Add(Text.substr(Start, P - Start));
    if (P < N && Text[P] == '\r') ++P;
    if (P < N && Text[P] == '\n') ++P;
    if (IsLineSep(Text, P)) P += 3;
  }
}

void TWideStringList::SetTextStr(const std::string& Text) {
  BeginUpdate();
  Clear();
  AddLinesA(Text);
  EndUpdate();
}

void TWideStringList::SetText(const std::string& Text) {
  FUpdating = true;
  Clear();
  AddLinesA(Text);
  FUpdating = false;
  Changed();
}

void TWideStringList::SetTextUntilBlank(const std::string& Text) {
  Clear();
  std::size_t P = 0;
  const std::size_t N = Text.size();
  while (P < N && Text[P] != '\0') {
    std::size_t Start = P;
    while (P < N) {
      char C = Text[P];
      if (C == '\0' || C == '\n' || C == '\v' || C == '\f' || C == '\r' || IsLineSep(Text, P) ||
          IsParaSep(Text, P))
        break;
      ++P;
    }
    if (P == Start) break;
    Add(Text.substr(Start, P - Start));
    if (P >= N || Text[P] == '\0') break;
    if (Text[P] == '\r') {
      ++P;
      if (P < N && Text[P] == '\n') ++P;
    } else if (Text[P] == '\n' || Text[P] == '\v' || Text[P] == '\f') {
      ++P;
    } else {
      P += 3;
    }
  }
}

bool TWideStringList::SaveToFile(const std::string& FileName) const {
  std::string Bytes = Utf16ToLEBytes(Utf8ToUtf16(GetTextStr()));
  return SaveBufferToFile(FileName, Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

bool TWideStringList::LoadFromFile(const std::string& FileName) {
  std::string Bytes;
  if (!LoadFileToString(FileName, Bytes)) return false;
  SetTextUntilBlank(Utf16ToUtf8(LEBytesToUtf16(Bytes.data(), Bytes.size())));
  return true;
}

bool TWideStringList::LoadFromFileDetect(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  if (!In) return false;
  return LoadFromStream(In);
}

bool TWideStringList::LoadFromStreamDetect(std::istream& Stream, bool Detect) {
  BeginUpdate();
  struct TEnd {
    TWideStringList* L;
    ~TEnd() { L->EndUpdate(); }
  } End{this};

  TStreamBOM Kind = Detect ? DetectStreamBOM(Stream) : bomUTF16LE;
  std::string Bytes((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
  if (Stream.bad()) return false;
  std::string Text;
  if (Kind == bomUTF16LE || Kind == bomUTF16BE) {
    std::u16string U;
    if (Bytes.size() > 1) U = LEBytesToUtf16(Bytes.data(), Bytes.size());
    if (Kind == bomUTF16BE) SwapWideCharBytes(U);
    Text = Utf16ToUtf8(U);
  } else {
    Text = DecodeUtf8(Bytes);
  }
  SetTextStr(Text);
  return true;
}

bool TWideStringList::HasStringsData(const TWideStringList* Ancestor) const {
  if (Ancestor) return !EqualsList(*Ancestor);
  return GetCount() > 0;
}

std::vector<std::string> TWideStringList::WriteStringsUTF7() const {
  std::vector<std::string> R;
  R.reserve(FItems.size());
  for (const TItem& It : FItems) R.push_back(WideStringToUTF7(It.Text));
  return R;
}

void TWideStringList::ReadStringsUTF7(const std::vector<std::string>& Values) {
  std::vector<std::string> Texts;
  Texts.reserve(Values.size());
  for (const std::string& V : Values) Texts.push_back(UTF7ToWideString(V));
  BeginUpdate();
  Clear();
  for (const std::string& T : Texts) Add(T);
  EndUpdate();
}

void TWideStringList::ReadStringsWide(const std::string& Value) { SetTextStr(Value); }

void TWideStringList::ReadStringsWide(const std::vector<std::string>& Values) {
  std::vector<std::string> Texts = Values;
  BeginUpdate();
  Clear();
  for (const std::string& T : Texts) Add(T);
  EndUpdate();
}

void TWideStringList::ReadStringsUTF8(const std::vector<std::string>& Values) {
  if (GetCount() > 0) return;
  BeginUpdate();
  Clear();
  for (const std::string& V : Values) Add(DecodeUtf8(V));
  EndUpdate();
}

}  // namespace kromel
