// The reference image beside the work image: load, paste, snapshot of the
// processed image, swap, and its colour profile. The pixels live in the
// session (ReferenceImage); this object keeps the file name and the
// profile they are in, which is always the work image's profile after a
// load, snapshot, swap or conversion.
#pragma once
#include <FreeImage.h>

#include <string>

#include "images/image32.h"

namespace kromel {

class TKromelSession;

// "photo.jpg" -> "photo(Processed).jpg": the marker goes before a 3- or
// 4-character extension (dot included), else at the end.
std::string ProcessedSnapshotName(const std::string& ImageFileName);

class TSessionReference {
 public:
  explicit TSessionReference(TKromelSession& Session);
  ~TSessionReference();
  TSessionReference(const TSessionReference&) = delete;
  TSessionReference& operator=(const TSessionReference&) = delete;

  std::string FileName;           // ReferenceFileName
  FIICCPROFILE ProfileData{};     // ReferenceProfileData (owned)
  std::string ProfileSourceFile;  // ReferenceProfileSourceFile
  bool ShowReference = false;     // "Show Reference" tick
  bool UseAlpha = true;           // "Use Alpha Channel" tick (the snapshot's blend)

  // Decodes FileName into the work image's profile (an untagged work image
  // takes the file's profile). A missing file does nothing; a file that
  // cannot be decoded shows "Failed to load image: " and changes nothing.
  bool Load(const std::string& FileName);
  // The clipboard's bitmap (BGRA bytes) as reference, converted from sRGB
  // into the image profile, opaque. An empty bitmap: "No image in
  // clipboard", nothing changed.
  bool Paste(const TImage32& Clipboard);
  // The work image through the main LUT becomes the reference.
  bool SnapshotProcessed();
  // Exchanges the work and reference images and their file names.
  bool Swap();
  // Brings the reference pixels into the work image's profile.
  bool ConvertImageProfile();
  // The previous or next picture of the reference's folder; a popup
  // notification when there is none.
  bool LoadAdjacent(bool Previous);
  // The reference pixels are in the work image's profile now (converted
  // together with the work image): the profile record follows.
  void TakeImageProfile();

 private:
  TKromelSession& FSession;
};

}  // namespace kromel
