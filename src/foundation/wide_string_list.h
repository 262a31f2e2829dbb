// A list of texts, each with an untyped object pointer beside it, with change
// notification, two line splitters, a file form of UTF-16LE code units (an LF
// after each line, no byte-order mark) and the streamed property "Strings"
// holding one UTF-7 text per item. Texts are UTF-8 in memory.
#pragma once
#include <cstdint>
#include <functional>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kromel {

class EStringListError : public std::out_of_range {
public:
  using std::out_of_range::out_of_range;
};

// The component library's 8-bit string list (UTF-8 texts).
using TStrings = std::vector<std::string>;

class TWideStringList {
public:
  using TChangeEvent = std::function<void(TWideStringList* Sender)>;
  static constexpr const char* StringsPropertyName = "Strings";

  TWideStringList() = default;
  TWideStringList(const TWideStringList&) = delete;
  TWideStringList& operator=(const TWideStringList&) = delete;
  virtual ~TWideStringList() = default;

  // Access; an index outside 0..Count-1 throws EStringListError
  // "List index (%d) out of bounds" and changes nothing.
  std::string Get(int32_t Index) const;
  void* GetObject(int32_t Index) const;
  int32_t GetCount() const { return static_cast<int32_t>(FItems.size()); }
  int32_t GetCapacity() const { return FCapacity; }
  int32_t IndexOf(const std::string& S) const;
  bool EqualsList(const TWideStringList& Other) const;
  // Every text followed by one LF.
  std::string GetTextStr() const;
  std::string GetText() const { return GetTextStr(); }
  TStrings ToStringList() const;

  // Changes. Add notifies twice outside an update (once from AddObject).
  int32_t Add(const std::string& S);
  int32_t AddObject(const std::string& S, void* Object);
  void Insert(int32_t Index, const std::string& S);
  void InsertObject(int32_t Index, const std::string& S, void* Object);
  void Delete(int32_t Index);
  // Notifies only when S differs from the stored text.
  void Put(int32_t Index, const std::string& S);
  void PutObject(int32_t Index, void* Object);
  // Frees the items and the capacity; an empty list does not notify.
  void Clear();
  // Texts only, by the locale's collation with case significant; objects
  // stay at their index; stable.
  void Sort();
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FUpdating; }
  int32_t UpdateCount() const { return FUpdateCount; }

  void AddStrings(const TStrings& Strings);
  void AddWideStrings(const TWideStringList& Other);
  void SetStrings(const TStrings& Strings);
  // Assigning a list to itself changes nothing.
  void Assign(const TWideStringList& Source);
  void Assign(const TStrings& Source);
  // Makes Dest equal to the list, replacing only the lines that differ.
  void AssignToStrings(TStrings& Dest) const;
  // Splitter A: breaks at LF, CR, CR LF and U+2028 (a following U+2028 joins
  // the break); empty lines stay; stops at U+0000.
  virtual void SetTextStr(const std::string& Text);
  void SetText(const std::string& Text);
  // Splitter B: breaks at LF, VT, FF, CR (CR LF as one), U+2028, U+2029 and
  // stops at U+0000 or at the first empty line.
  void SetTextUntilBlank(const std::string& Text);

  // The file form, written through a temporary file in the same folder; the
  // old file stays when the save fails. No report.
  bool SaveToFile(const std::string& FileName) const;
  // Reads the file form (opened read-only) up to its first empty line; false
  // with the list unchanged when the file cannot be read.
  bool LoadFromFile(const std::string& FileName);
  // Reads a text file whose byte-order mark says UTF-16LE, UTF-16BE or UTF-8
  // (UTF-8 without one); false with the list unchanged when it cannot be read.
  bool LoadFromFileDetect(const std::string& FileName);
  bool LoadFromStream(std::istream& Stream) { return LoadFromStreamDetect(Stream, true); }
  // Without Detect the rest of the stream is UTF-16LE.
  bool LoadFromStreamDetect(std::istream& Stream, bool Detect);

  // The streamed property "Strings": written only when HasStringsData.
  bool HasStringsData(const TWideStringList* Ancestor) const;
  std::vector<std::string> WriteStringsUTF7() const;
  // Replaces the items by the decoded texts; on a malformed text throws
  // EUTF7Error and leaves the list unchanged.
  void ReadStringsUTF7(const std::vector<std::string>& Values);
  // A single streamed text goes through SetTextStr; a list replaces the items.
  void ReadStringsWide(const std::string& Value);
  void ReadStringsWide(const std::vector<std::string>& Values);
  // Taken only when the list is empty; otherwise the values are dropped.
  void ReadStringsUTF8(const std::vector<std::string>& Values);

  TChangeEvent OnChange;

protected:
  void Changed();
  void SetUpdateState(bool Updating);
  void Grow();
  void SetCapacity(int32_t NewCapacity);
  void InsertItem(int32_t Index, const std::string& S, void* Object);

private:
  struct TItem {
    std::string Text;
    void* Object = nullptr;
  };
  void CheckIndex(int32_t Index) const;
  void AddLinesA(const std::string& Text);

  bool FUpdating = false;
  int32_t FUpdateCount = 0;
  std::vector<TItem> FItems;
  int32_t FCapacity = 0;
};

}  // namespace kromel
