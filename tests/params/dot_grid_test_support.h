// Shared by the dot-grid tests: message capture and laid-out grids.
#pragma once
#include <string>
#include <vector>

#include "foundation/byte_stream.h"
#include "foundation/messages.h"
#include "params/dot_grid.h"
#include "platform/message_sink.h"

namespace kromel::testing {

// Records the message boxes shown while it lives; nothing reaches stderr.
class TMessageCapture {
public:
  TMessageCapture() {
    Sink.EchoToStderr = false;
    SetMessageSink(&Sink);
    ResetMessageState();
  }
  ~TMessageCapture() {
    SetMessageSink(nullptr);
    ResetMessageState();
  }
  std::vector<std::string> Messages() const { return Sink.Messages(); }
  // True when some message box contains Text.
  bool Shown(const std::string& Text) const {
    for (const std::string& M : Sink.Messages())
      if (M.find(Text) != std::string::npos) return true;
    return false;
  }
  void Clear() {
    Sink.Clear();
    ResetMessageState();
  }

private:
  THeadlessMessageSink Sink;
};

inline T2DEnvelopeDots MakeRectGrid(int32_t Cols, int32_t Rows, int32_t Lo, int32_t Hi) {
  T2DEnvelopeDots G;
  G.SetColCount(Cols);
  G.SetRowCount(Rows);
  G.SetRanges(Lo, Lo, Hi, Hi);
  G.InitializeRectangular(true);
  return G;
}

inline T2DEnvelopeDots MakeCircularGrid(int32_t Cols, int32_t Rows, int32_t Radius) {
  T2DEnvelopeDots G;
  G.SetColCount(Cols);
  G.SetRowCount(Rows);
  G.SetRanges(-Radius, -Radius, Radius, Radius);
  G.InitializeCircular(true);
  G.StoreAsDefault();
  return G;
}

// Both dot arrays as chunk bytes: equal bytes mean equal grids.
inline std::string GridBytes(const T2DEnvelopeDots& G) {
  TMemoryStream S;
  G.SaveToStream(S, "");
  return S.Bytes();
}

}  // namespace kromel::testing
